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
