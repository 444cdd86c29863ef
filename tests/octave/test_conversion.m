function test_conversion()
  % The double description commands on small polytopes whose answers are
  % known by hand.
  square_to_corners();
  corners_to_square();
  centre_is_dropped();
  corner_adjacency();
  input_adjacency();
  unbounded_and_lines();
  argument_checks();
  library_errors();
end

function S = unit_square()
  S = struct('A', [1 0; 0 1; -1 0; 0 -1], 'B', [1; 1; 0; 0]);
end

function rows = sortrows_tol(X)
  rows = sortrows(round(X * 1e9) / 1e9);
end

function square_to_corners()
  P = zonixmex('extreme', unit_square());
  assert(isequal(fieldnames(P), {'V'; 'R'; 'rpos'; 'vpos'; 'lin'}));
  assert(isequal(sortrows_tol(P.V), [0 0; 0 1; 1 0; 1 1]));
  assert(isempty(P.R) && isempty(P.rpos) && isempty(P.lin));
  assert(isequal(P.vpos, (1:4)'));
end

% Each row of A*x <= B scaled so that its largest |entry| is 1.
function rows = facets(H)
  F = [H.A H.B];
  F = F ./ max(abs(F), [], 2);
  rows = sortrows_tol(F);
end

function corners_to_square()
  H = zonixmex('hull', struct('V', [0 0; 1 0; 0 1; 1 1]));
  assert(isequal(fieldnames(H), {'A'; 'B'; 'lin'}));
  assert(isequal(facets(H), facets(unit_square())));
  assert(isempty(H.lin));
  % A lin field of a V struct is not read.
  H2 = zonixmex('hull', struct('V', [0 0; 1 0; 0 1; 1 1], 'lin', [1 2]));
  assert(isequal(facets(H2), facets(H)) && isempty(H2.lin));
end

function centre_is_dropped()
  P = zonixmex('v_hull_extreme', struct('V', [0 0; 1 0; 0 1; 1 1; 0.5 0.5]));
  assert(isequal(sortrows_tol(P.V), [0 0; 0 1; 1 0; 1 1]));
  assert(isequal(P.vpos, (1:4)') && isempty(P.rpos));
  % The hull of the five points has the square's four facets.
  H = zonixmex('hull', struct('V', [0 0; 1 0; 0 1; 1 1; 0.5 0.5]));
  assert(isequal(facets(H), facets(unit_square())));
end

function corner_adjacency()
  [P, adj] = zonixmex('adj_extreme', unit_square());
  assert(iscell(adj) && isequal(size(adj), [4 1]));
  for k = 1:4
    assert(numel(adj{k}) == 2 && ~any(adj{k} == k));
    % Neighbours of a corner differ from it in exactly one coordinate.
    for j = adj{k}
      assert(sum(abs(P.V(k, :) - P.V(j, :)) > 0.5) == 1);
    end
  end
  % 3-cube: every vertex has three neighbours.
  C = struct('A', [eye(3); -eye(3)], 'B', [ones(3, 1); zeros(3, 1)]);
  [P, adj] = zonixmex('adj_extreme', C);
  assert(size(P.V, 1) == 8 && all(cellfun(@numel, adj) == 3));
end

function input_adjacency()
  % Square corners in the order (0,0), (1,0), (1,1), (0,1): a 4-cycle.
  adj = zonixmex('adjacency', struct('V', [0 0; 1 0; 1 1; 0 1]));
  assert(isequal(adj, {[2 4]; [1 3]; [2 4]; [1 3]}));
  % Triangle plus an interior point: the interior point is adjacent to none
  % of the others and the triangle's corners are pairwise adjacent.
  adj = zonixmex('adjacency', struct('V', [0 0; 4 0; 0 4; 1 1]));
  assert(isequal(adj(1:3), {[2 3]; [1 3]; [1 2]}) && isempty(adj{4}));
end

function unbounded_and_lines()
  % The quadrant x, y >= 0 has B = 0, so it is taken as a cone: no point,
  % the two axis rays.
  P = zonixmex('extreme', struct('A', -eye(2), 'B', [0; 0]));
  assert(isempty(P.V) && isempty(P.vpos));
  R = P.R ./ max(abs(P.R), [], 2);
  assert(isequal(sortrows_tol(R), [0 1; 1 0]));
  % The same quadrant moved to (1, 2): one vertex and the two rays.
  P = zonixmex('extreme', struct('A', -eye(2), 'B', [-1; -2]));
  assert(isequal(P.V, [1 2]) && size(P.R, 1) == 2);
  % The half-plane x <= 1: a point on x = 1, the ray -x, and the line y.
  P = zonixmex('extreme', struct('A', [1 0], 'B', 1));
  assert(size(P.V, 1) == 1 && abs(P.V(1) - 1) < 1e-9);
  assert(numel(P.lin) == 1);
  k = find(P.rpos == P.lin);
  assert(numel(k) == 1);
  line = P.R(k, :);
  assert(abs(line(1)) < 1e-9 && abs(line(2)) > 0);
  other = P.R(setdiff(1:2, k), :);
  assert(other(1) < 0 && abs(other(2)) < 1e-9);
  % An equation: the segment {x + y = 1, x, y >= 0}.
  P = zonixmex('extreme', struct('A', [1 1; -1 0; 0 -1], 'B', [1; 0; 0], 'lin', 1));
  assert(isequal(sortrows_tol(P.V), [0 1; 1 0]) && isempty(P.R));
end

function argument_checks()
  H = unit_square();
  V = struct('V', [0 0; 1 0; 0 1]);
  cases = { ...
    'hull', 'hull expects a V input struct and produces an H output struct', V; ...
    'extreme', 'extreme expects an H input struct and produces a V output struct', H; ...
    'v_hull_extreme', 'v_hull_extreme expects a V input struct and produces a V output struct', V; ...
    'adjacency', 'adjacency expects a V input struct and produces the adjacency cell array of its rows', V};
  for k = 1:rows(cases)
    [cmd, msg, arg] = cases{k, :};
    id = ['zonix:' cmd ':usage'];
    expect_zonix_error(id, msg, 0, cmd, arg);          % no output
    expect_zonix_error(id, msg, 2, cmd, arg);          % two outputs
    expect_zonix_error(id, msg, 1, cmd);               % no input
    expect_zonix_error(id, msg, 1, cmd, arg, arg);     % two inputs
    expect_zonix_error(id, msg, 1, cmd, [1 2 3]);      % not a struct
    expect_zonix_error(id, msg, 1, cmd, struct('x', 1));  % converts to nothing
  end
  msg = ['adj_extreme expects an H input struct and produces a V output ' ...
         'struct and the adjacency struct'];
  expect_zonix_error('zonix:adj_extreme:usage', msg, 1, 'adj_extreme', H);
  expect_zonix_error('zonix:adj_extreme:usage', msg, 2, 'adj_extreme', V);
  % The input checks of the struct conversions apply here too.
  expect_zonix_error('zonix:extreme:nonFinite', ...
      zonix_error_text_of('extreme', struct('A', [1 NaN], 'B', 1)), 1, ...
      'extreme', struct('A', [1 NaN], 'B', 1));
end

function text = zonix_error_text_of(cmd, arg)
  try
    out = zonixmex(cmd, arg);
    text = '';
  catch err
    text = zonix_error_text(err.message);
  end
  assert(~isempty(strfind(text, 'A')), 'the message names the field');
end

function library_errors()
  msg = 'ZONIX returned an error, see above(!) for details';
  % No points at all: the library refuses an empty V-representation.
  expect_zonix_error('zonix:hull:library', msg, 1, 'hull', struct('V', zeros(0, 2)));
  expect_zonix_error('zonix:v_hull_extreme:library', msg, 1, 'v_hull_extreme', ...
                     struct('V', zeros(0, 2)));
end
