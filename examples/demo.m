% zonix demo: the MEX module from Octave (run by `make demo`).
% Each step prints what goes in and what comes out.

printf('== zonixmex(''version'')\n');
zonixmex('version');

printf('\n== An H struct: the unit square 0 <= x <= 1, 0 <= y <= 1, as A*x <= B\n');
H = struct('A', [1 0; -1 0; 0 1; 0 -1], 'B', [1; 0; 1; 0])
printf('== zonixmex(''copy_h'', H): the same square after a trip through the library\n');
H2 = zonixmex('copy_h', H)
printf('same A and B as given: %s\n', mat2str(isequal(H2.A, H.A) && isequal(H2.B, H.B)));

printf('\n== An H struct whose row 3 is an equation (lin = 3): the edge y = 1\n');
E = zonixmex('copy_h', struct('A', H.A, 'B', H.B, 'lin', 3))

printf('\n== A V struct: two points and one ray, the strip going up from a segment\n');
P = struct('V', [0 0; 1 0], 'R', [0 1])
printf('== zonixmex(''copy_v'', P): points in V, rays in R, with their row numbers\n');
P2 = zonixmex('copy_v', P)
printf('same points and rays as given: %s\n', mat2str(isequal(P2.V, P.V) && isequal(P2.R, P.R)));

printf('\n== zonixmex(''extreme'', H): the vertices of the unit square\n');
V = zonixmex('extreme', H)

printf('\n== zonixmex(''hull'', V): back to inequalities (rows scaled by the library)\n');
H3 = zonixmex('hull', struct('V', V.V))

printf('\n== [V, adj] = zonixmex(''adj_extreme'', H): each corner with its two neighbours\n');
[V, adj] = zonixmex('adj_extreme', H);
for k = 1:numel(adj)
  printf('  vertex %d (%s) is adjacent to rows %s\n', k, mat2str(V.V(k, :)), mat2str(adj{k}));
end

printf('\n== zonixmex(''v_hull_extreme'', ...): the centre of the square is not extreme\n');
Q = zonixmex('v_hull_extreme', struct('V', [0 0; 1 0; 0 1; 1 1; 0.5 0.5]))

printf('\n== zonixmex(''adjacency'', ...): which input points share an edge of the hull\n');
adjin = zonixmex('adjacency', struct('V', [0 0; 1 0; 1 1; 0 1]))

printf('\n== [H4, removed] = zonixmex(''reduce_h'', ...): x <= 2 is implied by x <= 1\n');
[H4, removed] = zonixmex('reduce_h', struct('A', [1; 1; -1], 'B', [1; 2; 0]))

printf('\n== [P4, removed] = zonixmex(''reduce_v'', ...): the centre goes\n');
[P4, removed] = zonixmex('reduce_v', struct('V', [0 0; 1 0; 0 1; 1 1; 0.5 0.5]))

printf('\n== zonixmex(''find_interior'', H): the centre of the square, slack 0.5\n');
S = zonixmex('find_interior', H)

printf('\n== zonixmex(''solve_lp'', LP): minimise x + 2y over the triangle x, y >= 0, x + y <= 1\n');
LP = struct('A', [-1 0; 0 -1; 1 1], 'B', [0; 0; 1], 'obj', [1 2]);
S = zonixmex('solve_lp', LP)
S_DS = zonixmex('solve_lp_DS', LP);
printf('== the dual simplex method agrees: xopt = %s, objlp = %s\n', mat2str(S_DS.xopt'), mat2str(S_DS.objlp + 0));
