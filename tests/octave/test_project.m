function test_project()
  % project, linearity, strong_redundancy: known shapes, then projections
  % of random polytopes against the hull of their projected vertices.
  cube = struct('A', [eye(3); -eye(3)], 'B', [ones(3, 1); zeros(3, 1)]);
  sq = struct('A', [eye(2); -eye(2)], 'B', [1; 1; 0; 0]);
  fourier = struct('method', 'fourier');
  for opt = {struct(), fourier}
    assert(isequal(zonix_facets(zonixmex('project', cube, 3, opt{1})), zonix_facets(sq)));
    assert(isequal(zonix_facets(zonixmex('project', cube, [2; 1], opt{1})), [-1 0; 1 1]));
    % |x1| + ... + |x4| <= 1 seen from (x2, x4): |x2| + |x4| <= 1
    S = dec2bin(0:15) - '0';
    cross = struct('A', 1 - 2 * S, 'B', ones(16, 1));
    P = zonixmex('project', cross, [3 1], opt{1});
    assert(isequal(zonix_facets(P), zonix_facets(struct('A', 1 - 2 * S(1:4, 3:4), 'B', ones(4, 1)))));
    % x + y + z = 1 (given last, twice), x, y, z >= 0: z goes by
    % substitution and leaves the triangle; y too leaves 0 <= x <= 1.
    simplex = struct('A', [-eye(3); 1 1 1; 2 2 2], 'B', [0; 0; 0; 1; 2], 'lin', [4 5]);
    P = zonixmex('project', simplex, 3, opt{1});
    assert(isempty(P.lin) && isequal(zonix_facets(P), zonix_facets(struct('A', [-eye(2); 1 1], 'B', [0; 0; 1]))));
    assert(isequal(zonix_facets(zonixmex('project', simplex, [2 3], opt{1})), [-1 0; 1 1]));
    % an equation without the eliminated variable stays an equation
    P = zonixmex('project', setfield(cube, 'lin', 1), 3, opt{1});
    assert(isequal(P.A(P.lin, :), [1 0]) && P.B(P.lin) == 1);
  end
  % Unreduced Fourier-Motzkin: the 4 rows without z, then z <= 1 with z >= 0.
  P = zonixmex('project', cube, 3, struct('method', 'fourier', 'reduce', false));
  assert(rows(P.A) == 5 && isequal(P.A(5, :), [0 0]) && P.B(5) > 0);

  randn('seed', 5);
  for t = 1:20
    d = 3 + mod(t, 2);
    m = 8 + mod(t, 7);  % random facets inside a box: bounded
    H = struct('A', [randn(m, d); eye(d); -eye(d)], 'B', [ones(m, 1); 3 * ones(2 * d, 1)]);
    cols = 1 + mod(t + (0:d - 3), d);  % eliminate all but two
    P = zonixmex('project', H, cols);
    W = zonixmex('extreme', H);
    keep = setdiff(1:d, cols);
    Q = zonixmex('hull', struct('V', W.V(:, keep)));
    assert(isequal(zonix_facets(P, 1e6), zonix_facets(Q, 1e6)), 'polytope %d', t);
    assert(isequal(zonix_facets(zonixmex('project', H, cols, fourier), 1e6), zonix_facets(P, 1e6)));
  end

  % Two hidden equations: x <= 0 and x >= 0; from V: rays both ways.
  assert(isequal(zonixmex('linearity', struct('A', [1 0; -1 0; 0 1; 0 -1], 'B', [0; 0; 1; 1])), [1 2]));
  assert(isequal(zonixmex('linearity', struct('A', [1 0; -1 0], 'B', [0; 0], 'lin', 1)), 2));
  assert(isequal(zonixmex('linearity', struct('V', [0 0], 'R', [1 0; -1 0; 0 1])), [2 3]));
  assert(isempty(zonixmex('linearity', cube)));
  % A shifted copy of a facet (x <= 2) is strongly redundant, a twin is
  % not (it touches); the centre of a square is, a corner is not.
  [S, W] = zonixmex('strong_redundancy', setfield(setfield(cube, 'A', [cube.A; 1 0 0; 1 0 0]), 'B', [cube.B; 2; 1]));
  assert(isequal(S, 7) && iscell(W) && isequal(size(W), [8 1]));
  assert(isequal(zonixmex('strong_redundancy', struct('V', [sq.A; 0 0] / 2)), 5));
end
