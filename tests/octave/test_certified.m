function test_certified()
  % Inputs on which a decision in double against the tolerance gave wrong
  % answers with success status; the default mode must now get them right.
  % Expected values by hand.

  % maximize x8 where one row bounds x8 by entries up to 2e7 and the other
  % variables by boxes up to 1e14: a direction e8 violates that row by 1.
  % Optimum: each term of the row at the end of its box that raises it.
  A = zeros(15, 8); B = zeros(15, 1);
  A(1, :) = [3e6 -2e7 -2e7 3e6 0 1e7 2e7 1]; B(1) = 1;
  lo = [-1e7 -1 -1e14 -1e14 -1 -1 -1e7]; hi = [1 1e7 1e7 1 1 1e14 1e7];
  for j = 1:7
    A(2 * j, j) = 1; B(2 * j) = hi(j);
    A(2 * j + 1, j) = -1; B(2 * j + 1) = -lo(j);
  end
  for solver = {'solve_lp', 'solve_lp_DS'}
    r = zonixmex(solver{1}, struct('A', A, 'B', B, 'obj', [0 0 0 0 0 0 0 -1]));
    assert(r.how == 1, '%s: status %d', solver{1}, r.how);
    assert(-r.objlp == 300000630000010000001, '%s: %.17g', solver{1}, -r.objlp);
  end

  % The box 0 <= x <= 1e-9, 0 <= y <= 1 written with x's row scaled by
  % w = 1/1e-9: four vertices; with w = 1e9 (an integer) no implicit
  % equation, at widths 1e-8 and 1e-12 too.
  for w = [1 / 1e-9, 1e8, 1e9, 1e12]
    H = struct('A', [w 0; -1 0; 0 1; 0 -1], 'B', [1; 0; 1; 0]);
    V = zonixmex('extreme', H);
    assert(rows(V.V) == 4, 'w = %g: %d vertices', w, rows(V.V));
    assert(isempty(zonixmex('linearity', H)), 'w = %g', w);
    assert(isequal(sort(V.V(:, 2))', [0 0 1 1]));
  end
  % The same box's corners: none of them is redundant.
  for w = [1e-9, 1e-12]
    [R, gone] = zonixmex('reduce_v', struct('V', [0 0; w 0; 0 1; w 1]));
    assert(rows(R.V) == 4 && isempty(gone), 'reduce_v at width %g', w);
  end

  % A far point and a near one with the quadrant's rays: every facet holds
  % on both points.
  V = [1e308 0; 1 1];
  H = zonixmex('hull', struct('V', V, 'R', eye(2)));
  assert(all(all(H.A * V' <= H.B)), 'hull excludes an input point');
end
