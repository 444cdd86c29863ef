% zonix toolbox demo: the zpoly class (run by `make demo`).
% Each step says what it computes and what the answer should be.

printf('== A square [-1,1]^2 from its inequalities, a triangle from its corners\n');
S = zpoly('A', [eye(2); -eye(2)], 'b', ones(4, 1))
T = zpoly('V', [0 0; 1 0; 0 1])

printf('\n== The square''s vertices (computed once, then kept)\n');
disp(S.V)

printf('== Minkowski sum S + T: area(S) + 2 V(S,T) + area(T) = 4 + 2*2 + 1/2 = 8.5,\n');
printf('   the mixed area V(S,T) half the sum over S''s edges of length times T''s support\n');
M = S + T;
[v, num, den] = volume(M);
printf('volume(S + T) = %g = %d/%d, %d vertices\n', v, num, den, rows(minVRep(M).V));

printf('\n== Pontryagin difference S - T = {x : x + T in S}: the square [-1,0]^2\n');
D = S - T;
[~, lo, hi] = outerApprox(D);
printf('box [%g %g] x [%g %g], volume %g\n', lo(1), hi(1), lo(2), hi(2), volume(D));

printf('\n== Chebyshev ball of the triangle: radius (2 - sqrt 2)/2 = %.6f\n', (2 - sqrt(2)) / 2);
[x, r] = chebyCenter(T);
printf('centre (%.6f, %.6f), radius %.6f\n', x, r);

printf('\n== Support function in direction (1, 2): S gives 3, T gives 2, S + T 5\n');
printf('%g %g %g\n', support(S, [1; 2]), support(T, [1; 2]), support(M, [1; 2]));

printf('\n== contains: the points (0.5, 0.5), (1, 1) and (1.2, 0) in S\n');
disp(contains(S, [0.5 1 1.2; 0.5 1 0]))

printf('== A flat triangle in 3-D: dimension 2, volume 0, affine hull z = 0\n');
F = zpoly('V', [0 0 0; 1 0 0; 0 1 0]);
printf('dim %d, volume %g, affine hull [%s]\n', dim(F), volume(F), num2str(affineHull(F)));

printf('\n== The 5-cube and the 5-dimensional cross-polytope: volumes 32 and 2^5/5! = 4/15\n');
C5 = zpoly('A', [eye(5); -eye(5)], 'b', ones(10, 1));
X5 = zpoly('V', [eye(5); -eye(5)]);
[~, n1, d1] = volume(C5);
[~, n2, d2] = volume(X5);
printf('%d/%d and %d/%d, exact\n', n1, d1, n2, d2);

printf('\n== An unbounded cone x, y >= 0 shifted by (1, 1): bounded %d, volume %g\n', ...
       isBounded(zpoly('A', -eye(2), 'b', [0; 0]) + [1; 1]), ...
       volume(zpoly('A', -eye(2), 'b', [0; 0]) + [1; 1]));

printf('\n== Projection of the 3-cube [0,1]^3 onto (x3, x1), an image under T\n');
Q = projection(zpoly('A', [eye(3); -eye(3)], 'b', [1; 1; 1; 0; 0; 0]), [3 1])
printf('volume of [2 0; 0 3] * Q: 6 (area 1 times det 6): %g\n', volume([2 0; 0 3] * Q));

printf('\n== Intersection and convex hull of two unit squares shifted by (0.5, 0.5)\n');
U = zpoly('V', [0 0; 1 0; 0 1; 1 1]);
W = U + [0.5; 0.5];
printf('area of U & W: 0.25 -> %g; of convexHull(U, W), a 1.5-square less two\n', volume(U & W));
printf('corners of 1/8: 2 -> %g\n', volume(convexHull(U, W)));

printf('\n== Vertex adjacency of the 3-cube: each vertex has 3 neighbours\n');
disp(sum(vertexAdjacency(zpoly('A', [eye(3); -eye(3)], 'b', ones(6, 1))), 2)')
