function test_zpoly()
  % zpoly on six sets whose answers follow by hand, each method against
  % them; then the operations on pairs, the adjacencies, the structs and
  % the errors.  Volumes: test_zpoly_volume.
  cube = zpoly('A', [eye(3); -eye(3)], 'b', [1; 1; 1; 0; 0; 0]);        % [0,1]^3
  simplex = zpoly('V', [0 0 0; eye(3)]);
  cross = zpoly('V', [eye(3); -eye(3)]);
  flat = zpoly('V', [0 0 0; 1 0 0; 0 1 0]);                            % in z = 0
  cone = zpoly('A', -eye(2), 'b', [0; 0]);                             % x, y >= 0
  empty = zpoly('A', [1 0; -1 0], 'b', [0; -1]);                       % x <= 0, x >= 1
  s3 = sqrt(3);
  % set, dim, bounded, vertices, rays, facets (the empty set keeps one
  % row, 0 <= -1), Chebyshev radius (inradius
  % of the corner simplex 1/(3+sqrt 3), of the octahedron 1/sqrt 3, of the
  % right triangle (2-sqrt 2)/2), support in direction (1,..,1), box.
  T = {
    cube,    3,  true,  8, 0, 6, 1/2,             3,    [0 0 0], [1 1 1]
    simplex, 3,  true,  4, 0, 4, 1/(3 + s3),      1,    [0 0 0], [1 1 1]
    cross,   3,  true,  6, 0, 8, 1/s3,            1,    -[1 1 1], [1 1 1]
    flat,    2,  true,  3, 0, 3, (2 - sqrt(2))/2, 1,    [0 0 0], [1 1 0]
    cone,    2,  false, 1, 2, 2, Inf,             Inf,  [0 0], [Inf Inf]
    empty,   -1, true,  0, 0, 1, -Inf,            -Inf, [Inf Inf], -[Inf Inf]
  };
  for k = 1:rows(T)
    [P, d, bounded, nv, nr, nf, r, h, lb, ub] = T{k, :};
    n = P.Dim;
    assert(dim(P) == d && isEmptySet(P) == (d < 0) && isFullDim(P) == (d == n), 'case %d: dim', k);
    assert(isBounded(P) == bounded, 'case %d: bounded', k);
    V = minVRep(P);
    assert(isequal(size(V.V, 1), nv) && size(V.R, 1) == nr && isempty(V.L), 'case %d: V form', k);
    H = minHRep(P);
    assert(size(H.A, 1) == nf && size(H.Ae, 1) == max(n - d, 0) * (d >= 0), 'case %d: H form', k);
    [x, rr] = chebyCenter(P);
    assert(abs(rr - r) < 1e-9 || rr == r, 'case %d: radius %g', k, rr);
    if isfinite(r)
      assert(all(contains(P, x)) && numel(x) == n, 'case %d: centre', k);
    end
    [hh, xe] = support(P, ones(n, 1));
    assert(abs(hh - h) < 1e-9 || hh == h, 'case %d: support %g', k, hh);
    if isfinite(h)
      assert(abs(sum(xe) - h) < 1e-9 && contains(P, xe), 'case %d: extreme point', k);
    end
    [~, lo, hi] = outerApprox(P);
    assert(isequal(lo', lb) && isequal(hi', ub), 'case %d: box', k);
    if d >= 0
      assert(contains(P, interiorPoint(P)), 'case %d: interior point', k);
    end
  end

  % The flat triangle: its affine hull is z = 0, its interior point is
  % strictly inside the triangle, its Chebyshev centre at (r, r, 0).
  He = affineHull(flat);
  assert(size(He, 1) == 1 && norm(He / He(3) - [0 0 1 0]) < 1e-12);
  x = interiorPoint(flat);
  assert(x(3) == 0 && all(x(1:2) > 0) && sum(x(1:2)) < 1);
  [x, r] = chebyCenter(flat);
  assert(norm(x - [r; r; 0]) < 1e-9);

  % contains: points as columns (or one row), on the boundary, outside by
  % more than the tolerance; sets inside sets.
  pts = [0.5 0.5 0.5; 1 1 1; 1 1 1 + 1e-9; 1 1 1.001; -0.1 0 0]';
  assert(isequal(contains(cube, pts), [true true true false false]));
  assert(contains(cube, [0.2 0.3 0.4]) && ~contains(empty, [0; 0]));
  assert(contains(cube, simplex) && ~contains(simplex, cube) && contains(cross, simplex));
  assert(contains(cone, zpoly('V', [1 1], 'R', [1 2])) && ~contains(cone, zpoly('V', [1 1], 'R', [-1 0])));
  assert(contains(cube, zpoly('V', zeros(0, 3))));

  % Redundant input goes: a repeated row, an implied row, an inner point.
  P = zpoly('A', [1 0; 1 0; 0 1; -1 0; 0 -1; 1 1], 'b', [1; 1; 1; 0; 0; 5]);
  assert(size(minHRep(P).A, 1) == 4 && size(minVRep(P).V, 1) == 4);
  P = zpoly('V', [0 0; 2 0; 0 2; 2 2; 1 1; 1 0]);
  assert(isequal(sortrows(minVRep(P).V), [0 0; 0 2; 2 0; 2 2]));

  % Operations, each against a set known by hand.
  sq = @(lo, hi) zpoly('A', [eye(2); -eye(2)], 'b', [hi(:); -lo(:)]);
  tri = zpoly('V', [0 0; 1 0; 0 1]);
  O = {  % result, area, box lo, box hi
    sq([0 0], [1 1]) & sq([0.5 0.5], [2 2]),        0.25, [0.5 0.5], [1 1]
    intersect(sq([0 0], [1 1]), tri),               0.5,  [0 0],     [1 1]
    sq([0 0], [1 1]) + tri,                         3.5,  [0 0],     [2 2]
    sq([0 0], [1 1]) + [2; 3],                      1,    [2 3],     [3 4]
    tri + sq([0 0], [1 1]),                         3.5,  [0 0],     [2 2]
    sq([-2 -2], [2 2]) - sq([-1 -1], [1 1]),        4,    [-1 -1],   [1 1]
    sq([0 0], [3 1]) - tri,                         0,    [0 0],     [2 0]
    sq([0 0], [1 1]) - [1; 1],                      1,    [-1 -1],   [0 0]
    convexHull(sq([0 0], [1 1]), sq([2 0], [3 1])), 3,    [0 0],     [3 1]
    convexHull(tri, zpoly('V', [1 1])),             1,    [0 0],     [1 1]
    [2 0; 0 3] * sq([0 0], [1 1]),                  6,    [0 0],     [2 3]
    affineMap(tri, [1 1; 0 1], [1; 0]),             0.5,  [1 0],     [2 1]
    invAffineMap(sq([0 0], [1 1]), [2 0; 0 3]),     1/6,  [0 0],     [1/2 1/3]
    invAffineMap(tri, eye(2), [1; 1]),              0.5,  [-1 -1],   [0 0]
    projection(zpoly('A', [eye(3); -eye(3)], 'b', [1; 2; 3; 0; 0; 0]), [3 1]), 3, [0 0], [3 1]
    projection(zpoly('V', [eye(3); -eye(3)]), [1 2]), 2, [-1 -1], [1 1]
  };
  for k = 1:rows(O)
    [Q, area, lo, hi] = O{k, :};
    [~, l, h] = outerApprox(Q);
    assert(abs(volume(Q) - area) < 1e-9, 'operation %d: area %g', k, volume(Q));
    assert(norm([l' h'] - [lo hi]) < 1e-9, 'operation %d: box', k);
    assert(all(1 ./ [l' h'] ~= -Inf), 'operation %d: a bound of the box is -0', k);
  end
  % Equations, lines and the whole space: set, dim, bounded, volume, a
  % point in it, a point not in it.
  flatH = zpoly('A', -eye(3), 'b', zeros(3, 1), 'Ae', [1 1 1], 'be', 1);   % a triangle
  sqz = zpoly('A', [eye(3); -eye(3)], 'b', [1; 1; 0; 0; 0; 0], 'Ae', [0 0 1], 'be', 0);
  diag_line = zpoly('V', [0 0], 'L', [1 1]);
  F = {
    projection(flatH, [2 1]),                          2,  true,  0.5, [0.2; 0.7],  [0.6; 0.6]
    affineMap(sq([0 0], [1 1]), [1 1]),                1,  true,  2,   1.5,         2.5
    sqz - zpoly('V', [0 0 0; 0.5 0 0]),                2,  true,  0,   [0.5; 1; 0], [0.6; 0; 0]
    convexHull(zpoly('V', [0 0]), zpoly('V', [1 1], 'R', [1 0])), 2, false, Inf, [5; 1], [5; 2]
    diag_line,                                         1,  false, 0,   [3; 3],      [3; 2]
    diag_line & sq([-1 -5], [1 5]),                    1,  true,  0,   [-1; -1],    [1; 0]
    zpoly('A', zeros(0, 2), 'b', zeros(0, 1)),         2,  false, Inf, [1e6; -1e6], zeros(2, 0)
  };
  for k = 1:rows(F)
    [Q, d, bounded, vol, in, out] = F{k, :};
    assert(dim(Q) == d && isBounded(Q) == bounded && volume(Q) == vol, 'flat case %d', k);
    assert(contains(Q, in) && ~any(contains(Q, out)), 'flat case %d: contains', k);
  end
  assert(isEmptySet(sqz - zpoly('V', [0 0 0; 0 0 0.5])), 'z moves off the equation');
  assert(isEmptySet(zpoly('Ae', [1 0; 1 0], 'be', [0; 1])));

  % Pontryagin difference that is empty or a point.
  assert(isEmptySet(sq([0 0], [1 1]) - sq([0 0], [2 2])));
  assert(dim(cube - cube) == 0 && contains(cube - cube, [0; 0; 0]));
  assert(isEmptySet(cube & (cube + [2; 0; 0])) && isEmptySet(cube + zpoly('V', zeros(0, 3))));

  % Minkowski sums of random polytopes: each vertex of the sum is a sum of
  % vertices, the sums of vertices lie in it, and its support function is
  % the sum of the two.
  rand('seed', 7);
  for t = 1:3
    P = zpoly('V', round(10 * rand(6, 3)) - 5);
    Q = zpoly('V', round(4 * rand(5, 3)) - 2);
    S = P + Q;
    VP = minVRep(P).V;
    VQ = minVRep(Q).V;
    sums = kron(VP, ones(rows(VQ), 1)) + repmat(VQ, rows(VP), 1);
    VS = minVRep(S).V;
    assert(all(ismember(round(VS * 1e9), round(sums * 1e9), 'rows')), 'sum %d: vertex', t);
    assert(all(contains(S, sums')), 'sum %d: pairwise sums', t);
    assert(isequal(zonix_facets(hstruct(minHRep(S)), 1e6), ...
                   zonix_facets(zonixmex('hull', struct('V', sums)), 1e6)), 'sum %d: facets', t);
    for c = randn(3, 10)
      assert(abs(support(S, c) - support(P, c) - support(Q, c)) < 1e-9, 'sum %d: support', t);
    end
  end

  % Chebyshev ball against the LP written out here: max r subject to
  % A*x + r*|A_i| <= b, solved by the module.
  rand('seed', 3);
  for t = 1:4
    A = [randn(12, 3); eye(3); -eye(3)];   % the box keeps it bounded
    b = [1 + rand(12, 1); 5 * ones(6, 1)];
    S = zonixmex('solve_lp', struct('A', [A sqrt(sum(A .^ 2, 2)); 0 0 0 -1], 'B', [b; 0], ...
                                    'obj', [0 0 0 -1]));
    [x, r] = chebyCenter(zpoly('A', A, 'b', b));
    assert(S.how == 1 && abs(r + S.objlp) < 1e-9 && norm(x - S.xopt(1:3)) < 1e-7, 'ball %d', t);
  end

  % Adjacency: cube vertices have 3 neighbours (those one coordinate away),
  % its facets 4 (all but the opposite one); the octahedron's vertices 4,
  % its triangles 3; in the quadrant every pair of apex and rays is
  % adjacent (the two rays as adj_extreme has them: they bound the face at
  % infinity), and the two facets meet at the apex.
  C = minVRep(cube).V;
  adj = vertexAdjacency(cube);
  assert(isequal(adj, squareform_l1(C) == 1));
  F = minHRep(cube).A;
  assert(isequal(facetAdjacency(cube), abs(F * F') < 0.5));
  assert(all(sum(vertexAdjacency(cross), 2) == 4) && all(sum(facetAdjacency(cross), 2) == 3));
  assert(isequal(vertexAdjacency(cone), ~eye(3)));
  assert(isequal(facetAdjacency(cone), [false true; true false]));

  % The module's structs, there and back; lines given by lin.
  S = zonixmex('extreme', struct('A', [1 0], 'B', 1));                % x <= 1: a line
  P = zpoly(S);
  assert(size(P.L, 1) == 1 && abs(P.L(1)) < 1e-12 && size(P.R, 1) == 1);
  assert(contains(P, [1; 100]) && contains(P, [-5; -100]) && ~contains(P, [1.1; 0]));
  P = zpoly(struct('A', [1 1; -1 0; 0 -1], 'B', [1; 0; 0], 'lin', 1));
  assert(dim(P) == 1 && size(P.Ae, 1) == 1 && isequal(P.be, 1));
  H = hstruct(P);
  assert(isequal(H.lin, 3) && isequal(H.A(3, :), [1 1]));
  V = vstruct(zpoly('V', [0 0], 'R', [1 0], 'L', [0 1]));
  assert(isequal(V.R, [1 0; 0 1]) && isequal(V.lin, 3));
  assert(isequal(zpoly('H', [eye(2) [1; 1]]).A, eye(2)));

  % Options reach the module: arithmetics agree, progress prints, a bad
  % option names itself.
  for a = {'double', 'exact', 'auto'}
    assert(volume(cross, struct('arithmetic', a{1})) == 4/3 || ...
           abs(volume(cross, struct('arithmetic', a{1})) - 4/3) < 1e-12);
  end
  out = evalc('V = minVRep(zpoly(''A'', [eye(3); -eye(3)], ''b'', ones(6, 1)), struct(''progress'', true));');
  assert(~isempty(strfind(out, 'extreme: iteration')), out);
  P = zpoly('V', [0 0; 1 0; 0 1], 'options', struct('arithmetic', 'exact'));
  assert(abs(volume(P) - 0.5) < 1e-15);

  % disp shows the space, the state and the forms.
  out = evalc('disp(cube)');
  assert(~isempty(regexp(out, 'R\^3, bounded, dimension 3', 'once')) && ~isempty(strfind(out, '6 inequalities')), out);
  assert(~isempty(strfind(evalc('disp(empty)'), 'empty')));
  assert(~isempty(strfind(evalc('disp(cone)'), 'unbounded')));

  % Errors, each with its identifier.
  E = {
    'usage',     @() zpoly('A', eye(2), 'b', [1; 1], 'V', [0 0])
    'usage',     @() zpoly('A', eye(2))
    'usage',     @() zpoly('Q', 1)
    'usage',     @() zpoly(struct('x', 1))
    'size',      @() zpoly('A', eye(2), 'b', [1; 1; 1])
    'size',      @() zpoly('V', [0 0], 'R', [1 0 0])
    'badNumber', @() zpoly('A', [1 NaN], 'b', 1)
    'badNumber', @() zpoly('V', {1})
    'badOption', @() volume(cube, struct('colour', 'red'))
    'badOption', @() zpoly('V', [0 0], 'options', 5)
    'dimension', @() cube + tri
    'badDims',   @() projection(cube, [1 4])
    'badDims',   @() projection(cube, [1 1])
    'badMap',    @() affineMap(cube, eye(2))
    'badMap',    @() invAffineMap(cube, eye(2))
    'badPoint',  @() contains(cube, [1 2])
    'empty',     @() plot(empty)
  };
  for k = 1:rows(E)
    try
      E{k, 2}();
      id = 'none';
    catch err
      id = err.identifier;
    end
    assert(strcmp(id, ['zonix:zpoly:' E{k, 1}]), 'error case %d: %s', k, id);
  end
end

function D = squareform_l1(X)
  % Manhattan distances between the rows of X.
  n = rows(X);
  D = zeros(n);
  for i = 1:n
    D(i, :) = sum(abs(X - X(i, :)), 2)';
  end
end
