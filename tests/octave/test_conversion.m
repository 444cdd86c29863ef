function test_conversion()
  % The double description commands and the copies on polyhedra whose
  % answers are known by hand; lines and equations both ways; the text
  % the module and the library print, and the options.
  S = struct('A', [1 0; 0 1; -1 0; 0 -1], 'B', [1; 1; 0; 0]);
  corners = [0 0; 0 1; 1 0; 1 1];
  P = zonixmex('extreme', S);
  assert(isequal(fieldnames(P), {'V'; 'R'; 'rpos'; 'vpos'; 'lin'}));
  assert(isequal(snap(P.V), corners) && isempty(P.R) && isequal(P.vpos, (1:4)'));
  H = zonixmex('hull', struct('V', corners));
  assert(isequal(fieldnames(H), {'A'; 'B'; 'lin'}) && isequal(zonix_facets(H), zonix_facets(S)));
  P = zonixmex('v_hull_extreme', struct('V', [corners; 0.5 0.5]));
  assert(isequal(snap(P.V), corners) && isequal(P.vpos, (1:4)') && isempty(P.rpos));

  % 3-cube: eight vertices, each adjacent to the three that differ in one
  % coordinate; square corners in cyclic order are a 4-cycle.
  C = struct('A', [eye(3); -eye(3)], 'B', [ones(3, 1); zeros(3, 1)]);
  [P, adj] = zonixmex('adj_extreme', C);
  assert(size(P.V, 1) == 8 && isequal(size(adj), [8 1]));
  for k = 1:8
    assert(isequal(sort(adj{k}), find(sum(abs(P.V - P.V(k, :)), 2) == 1)'));
  end
  adj = zonixmex('adjacency', struct('V', [0 0; 1 0; 1 1; 0 1; 0.5 0.5]));
  assert(isequal(adj, {[2 4]; [1 3]; [2 4]; [1 3]; zeros(1, 0)}));

  % Unbounded: the quadrant is a cone (B = 0); moved, it has a vertex.
  P = zonixmex('extreme', struct('A', -eye(2), 'B', [0; 0]));
  assert(isempty(P.V) && isequal(snap(P.R ./ max(abs(P.R), [], 2)), [0 1; 1 0]));
  P = zonixmex('extreme', struct('A', -eye(2), 'B', [-1; -2]));
  assert(isequal(P.V, [1 2]) && size(P.R, 1) == 2);
  % The half-plane x <= 1 has a line; it survives the way back and forth.
  w = zonixmex('extreme', struct('A', [1 0], 'B', 1));
  k = find(w.rpos == w.lin);
  assert(numel(w.lin) == 1 && numel(k) == 1 && w.R(k, 1) == 0);
  H = zonixmex('hull', w);
  keep = any(H.A ~= 0, 2);  % rows 0 <= b (b >= 0) say nothing
  assert(all(H.B(~keep) >= 0) && isempty(H.lin));
  assert(isequal(zonix_facets(struct('A', H.A(keep, :), 'B', H.B(keep))), [1 0 1]));
  % Rays given as lines by row number (points first) also make the plane.
  H = zonixmex('hull', struct('V', [0 0], 'R', [1 0; 0 1], 'lin', [2 3]));
  assert(all(H.A(:) == 0) && all(H.B >= 0) && isempty(H.lin));
  % An equation: the segment x + y = 1, x, y >= 0, given as a column lin.
  P = zonixmex('extreme', struct('A', [1 1; -1 0; 0 -1], 'B', [1; 0; 0], 'lin', 1));
  assert(isequal(snap(P.V), [0 1; 1 0]) && isempty(P.R));

  % Copies: numbers bit for bit, lin sorted without repeats (a column is
  % read as the rows it names), lines of V structs kept.
  A = [0.1 -2.5e-300; 1e300 -7; 1/3 0];
  H = zonixmex('copy_h', struct('A', A, 'B', [-0.3; 4e-20; 1], 'lin', [3; 1; 3]));
  assert(isequal(H.A, A) && isequal(H.B, [-0.3; 4e-20; 1]) && isequal(H.lin, [1 3]));
  assert(~any(1 ./ H.A(:) == -Inf), 'a zero came back as -0');
  H = zonixmex('copy_h', struct('A', zeros(0, 3), 'B', zeros(0, 1), 'lin', []));
  assert(isequal(size(H.A), [0 3]) && isempty(H.lin));
  P = zonixmex('copy_v', struct('V', [1 2; 3 4], 'R', [0 1; 2 2], 'lin', 4));
  assert(isequal({P.V, P.R, P.vpos, P.rpos, P.lin}, {[1 2; 3 4], [0 1; 2 2], [1; 2], [3; 4], 4}));
  P = zonixmex('copy_v', struct('V', [], 'R', zeros(0, 5)));
  assert(isempty(P.V) && isempty(P.R));

  % Text: "version"; the library's error message reaches evalc.
  assert(strcmp(evalc('zonixmex(''version'', 1, {})'), sprintf('Version 1.0\n')));
  out = evalc('try, x = zonixmex(''hull'', struct(''V'', zeros(0, 2))); catch, end');
  assert(~isempty(strfind(out, 'V-representation is empty')), 'evalc saw "%s"', out);
  % Options: progress lines, and the three arithmetics.
  out = evalc('P = zonixmex(''extreme'', C, struct(''progress'', true));');
  assert(~isempty(regexp(out, 'extreme: iteration \d+ of \d+, \d+ rays', 'once')), out);
  assert(isempty(evalc('P = zonixmex(''extreme'', C, struct(''progress'', false));')));
  for a = {'double', 'auto', 'exact'}
    Q = zonixmex('extreme', C, struct('arithmetic', a{1}, 'progress', 0));
    assert(isequal(snap(Q.V), snap(P.V)));
  end
  % The cube scaled by 1e-8: exact gives its 8 vertices, auto the same.
  S = struct('A', 1e-8 * [eye(3); -eye(3)], 'B', 1e-8 * [ones(3, 1); zeros(3, 1)]);
  for a = {'exact', 'auto'}
    Q = zonixmex('extreme', S, struct('arithmetic', a{1}));
    assert(isequal(snap(Q.V), snap(dec2bin(0:7) - '0')));
  end
end

function X = snap(X)
  X = sortrows(round(X * 1e9) / 1e9);
end
