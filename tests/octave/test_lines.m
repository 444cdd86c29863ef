function test_lines()
  % Polyhedra with lines, and rows that say nothing.  {y >= 1, 0 <= 1}: the
  % point (0, 1), the ray e2 and the line e1.  hull of the point (1, 2)
  % with the line e1 and the ray e2 is {y >= 2} and the row 0 <= 1; back
  % through extreme, the point (0, 2) with the same ray and line.
  for a = {'auto', 'exact', 'double'}
    o = struct('arithmetic', a{1});
    P = zonixmex('extreme', struct('A', [0 -1; 0 0], 'B', [-1; 1]), o);
    check(P, [0 1], [0 1], [1 0], a{1});
    H = zonixmex('hull', struct('V', [1 2], 'R', [1 0; -1 0; 0 1]), o);
    P = zonixmex('extreme', H, o);
    check(P, [0 2], [0 1], [1 0], a{1});
    % 0 <= -1 holds nowhere: no generator.
    P = zonixmex('extreme', struct('A', [0 -1; 0 0], 'B', [-1; -1]), o);
    assert(isempty(P.V) && isempty(P.R), a{1});
    % The slab 0 <= z <= 1 has the points 0 and e3 and the lines e1, e2:
    % each generator is adjacent to every other one, none to itself.
    [P, adj] = zonixmex('adj_extreme', struct('A', [0 0 -1; 0 0 1], 'B', [0; 1]), o);
    n = rows(P.V) + rows(P.R);
    assert(n == 4 && numel(P.lin) == 2, a{1});
    for k = 1:n
      assert(isequal(adj{k}(:)', setdiff(1:n, k)), '%s: generator %d', a{1}, k);
    end
  end
end

% P has the one point p (modulo the line), the one ray r and the one line l.
function check(P, p, r, l, what)
  lines = P.R(ismember(P.rpos, P.lin), :);
  rays = P.R(~ismember(P.rpos, P.lin), :);
  assert(rows(P.V) == 1 && rows(rays) == 1 && rows(lines) == 1, what);
  assert(abs(det([lines; l])) < 1e-12, '%s: the line', what);
  assert(all(rays / max(abs(rays)) == r), '%s: the ray', what);
  assert(abs(det([P.V - p; l])) < 1e-12, '%s: the point', what);
end
