function test_reduce()
  % "reduce_h" and "reduce_v": argument checks, the worked examples, and
  % random inputs checked against GLPK (every removed row implied, every
  % kept row needed) and against qhull's convex hull (the vertices stay).
  usage_errors();
  looser_bound_goes();
  identical_rows_keep_the_first();
  equations_stay();
  square_centre_goes();
  scaled_ray_goes();
  random_h_against_glpk();
  random_v_against_convhulln();
end

function usage_errors()
  H = struct('A', [1; 1; -1], 'B', [1; 2; 0]);
  P = struct('V', [0 0; 1 0]);
  uh = 'reduce_h expects an H input struct and produces a H output struct and an optional vector of removed rows';
  uv = 'reduce_v expects an V input struct and produces a V output struct and an optional vector of removed vertices';
  for nout = [0 3]
    expect_zonix_error('zonix:reduce_h:usage', uh, nout, 'reduce_h', H);
    expect_zonix_error('zonix:reduce_v:usage', uv, nout, 'reduce_v', P);
  end
  expect_zonix_error('zonix:reduce_h:usage', uh, 1, 'reduce_h');
  expect_zonix_error('zonix:reduce_h:usage', uh, 1, 'reduce_h', H, H);
  expect_zonix_error('zonix:reduce_h:usage', uh, 1, 'reduce_h', [1 2; 3 4]);
  expect_zonix_error('zonix:reduce_v:usage', uv, 1, 'reduce_v', {P});
  % Structs the conversion cannot read reach no LP: the usage text again.
  expect_zonix_error('zonix:reduce_h:usage', uh, 1, 'reduce_h', struct('A', [1 0]));
  expect_zonix_error('zonix:reduce_h:usage', uh, 2, 'reduce_h', struct('A', [1 0], 'B', [1; 2]));
  expect_zonix_error('zonix:reduce_h:usage', uh, 1, 'reduce_h', P);
  expect_zonix_error('zonix:reduce_v:usage', uv, 1, 'reduce_v', H);
  expect_zonix_error('zonix:reduce_v:usage', uv, 2, 'reduce_v', struct('R', [1 0]));
  % The input checks of the conversion still apply.
  expect_zonix_error('zonix:reduce_h:nonFinite', ...
      'field B must hold finite numbers only; entry (2,1) is NaN', 1, ...
      'reduce_h', struct('A', [1; 1], 'B', [1; NaN]));
  expect_zonix_error('zonix:reduce_v:columnMismatch', ...
      'field R must have as many columns as V (2), not 3', 1, ...
      'reduce_v', struct('V', [0 0], 'R', [1 0 0]));
end

function looser_bound_goes()
  % x <= 1, x <= 2, x >= 0: x <= 2 is implied by x <= 1.
  H = struct('A', [1; 1; -1], 'B', [1; 2; 0]);
  [H2, removed] = zonixmex('reduce_h', H);
  assert(isequal(removed, 2));
  assert(isequal(H2.A, [1; -1]) && isequal(H2.B, [1; 0]));
  assert(isempty(H2.lin));
  % One output: only the struct.
  H3 = zonixmex('reduce_h', H);
  assert(isequal(H3, H2));
end

function identical_rows_keep_the_first()
  H = struct('A', [2 1; 2 1], 'B', [3; 3]);
  [H2, removed] = zonixmex('reduce_h', H);
  assert(isequal(removed, 2));
  assert(isequal(H2.A, [2 1]) && isequal(H2.B, 3));
  % Within a bounded square, a facet repeated as a multiple further down.
  H = struct('A', [1 0; 0 1; -1 0; 0 -1; 3 0], 'B', [1; 1; 0; 0; 3]);
  [H2, removed] = zonixmex('reduce_h', H);
  assert(isequal(removed, 5));
  assert(isequal(H2.A, H.A(1:4, :)));
  % Nothing to remove: an empty row of removed rows, the input unchanged.
  [H2, removed] = zonixmex('reduce_h', struct('A', H.A(1:4, :), 'B', H.B(1:4)));
  assert(isempty(removed) && isequal(size(removed), [1 0]));
  assert(isequal(H2.A, H.A(1:4, :)) && isequal(H2.B, H.B(1:4)));
end

function equations_stay()
  % x <= 0, x >= 0 and the equation x = 0 (row 3), implied by the two:
  % the equation stays, renumbered as row 1, and both inequalities go.
  H = struct('A', [1; -1; 1], 'B', [0; 0; 0], 'lin', 3);
  [H2, removed] = zonixmex('reduce_h', H);
  assert(isequal(removed, [1 2]));
  assert(isequal(H2.A, 1) && isequal(H2.B, 0) && isequal(H2.lin, 1));
  % x = 1/2 in the unit square: x <= 1 and x >= 0 go, the equation moves
  % to row 1.
  H = struct('A', [1 0; -1 0; 1 0; 0 1; 0 -1], 'B', [1; 0; 0.5; 1; 0], 'lin', 3);
  [H2, removed] = zonixmex('reduce_h', H);
  assert(isequal(removed, [1 2]));
  assert(isequal(H2.lin, 1) && isequal(H2.A(1, :), [1 0]) && H2.B(1) == 0.5);
end

function square_centre_goes()
  P = struct('V', [0 0; 1 0; 0 1; 1 1; 0.5 0.5]);
  [P2, removed] = zonixmex('reduce_v', P);
  assert(isequal(removed, 5));
  assert(isequal(P2.V, P.V(1:4, :)));
  assert(isequal(P2.vpos, (1:4)') && isempty(P2.R) && isempty(P2.lin));
  % The centre first: it is still the one removed.
  [P2, removed] = zonixmex('reduce_v', struct('V', P.V([5 1 2 3 4], :)));
  assert(isequal(removed, 1) && isequal(P2.V, P.V(1:4, :)));
end

function scaled_ray_goes()
  % The origin and rays (1, 0), (2, 0), (0, 1): rows are numbered points
  % first, so the doubled ray is row 3; vpos and rpos number the output.
  P = struct('V', [0 0], 'R', [1 0; 2 0; 0 1]);
  [P2, removed] = zonixmex('reduce_v', P);
  assert(isequal(removed, 3));
  assert(isequal(P2.V, [0 0]) && isequal(P2.R, [1 0; 0 1]));
  assert(isequal(P2.vpos, 1) && isequal(P2.rpos, [2; 3]));
end

% Max of a(i,:)*x over {x : A(keep,:)*x <= B(keep)} by GLPK: +Inf when
% unbounded.
function v = lp_max(A, B, keep, i)
  d = columns(A);
  [~, fmin, errnum, extra] = glpk(-A(i, :)', A(keep, :), B(keep), -Inf(d, 1), Inf(d, 1), ...
                                   repmat('U', 1, numel(keep)), repmat('C', 1, d), 1);
  if errnum == 0 && extra.status == 5
    v = -fmin;
  elseif extra.status == 6 || errnum == 11
    v = Inf;  % unbounded (found by the simplex, or by the presolver)
  else
    error('zonix_test:glpk', 'GLPK error %d, status %d', errnum, extra.status);
  end
end

function random_h_against_glpk()
  rand('seed', 7);
  for trial = 1:25
    d = 2 + mod(trial, 3);
    m = 6 + mod(3 * trial, 10);
    A = round(10 * (rand(m, d) - 0.5));
    A(all(A == 0, 2), 1) = 1;
    B = 5 + round(5 * rand(m, 1));
    % Mix in implied rows: copies, multiples, loosened sums.
    extra = [A(1:2, :); 3 * A(3, :); A(4, :) + A(5, :)];
    A = [A; extra];
    B = [B; B(1:2); 3 * B(3); B(4) + B(5) + 2];
    perm = randperm(rows(A));
    A = A(perm, :);
    B = B(perm);
    [H2, removed] = zonixmex('reduce_h', struct('A', A, 'B', B));
    kept = setdiff(1:rows(A), removed);
    assert(rows(H2.A) == numel(kept) && isequal(H2.A, A(kept, :)) && isequal(H2.B, B(kept)));
    assert(numel(removed) >= 4, 'trial %d: only %d rows removed', trial, numel(removed));
    tol = 1e-6 * max(1, max(abs(B)));
    for i = removed
      assert(lp_max(A, B, kept, i) <= B(i) + tol, 'trial %d: removed row %d is not implied', trial, i);
    end
    for i = kept
      others = setdiff(kept, i);
      assert(lp_max(A, B, others, i) > B(i) + tol, 'trial %d: kept row %d is implied', trial, i);
    end
  end
end

function random_v_against_convhulln()
  rand('seed', 11);
  for trial = 1:25
    d = 2 + mod(trial, 2);
    n = 8 + mod(5 * trial, 20);
    V = rand(n, d);
    % Copies of points and points inside.
    V = [V; V(1:3, :); (V(1, :) + V(2, :) + V(3, :)) / 3];
    [P2, removed] = zonixmex('reduce_v', struct('V', V));
    hull = unique(convhulln(V)(:))';
    % qhull may name either copy of a repeated vertex; the library keeps
    % the first.
    first = arrayfun(@(i) find(all(abs(V - V(i, :)) < 1e-12, 2), 1), hull);
    kept = setdiff(1:rows(V), removed);
    assert(isequal(kept, unique(first)), 'trial %d: kept rows differ from the hull vertices', trial);
    assert(isequal(P2.V, V(kept, :)) && isequal(P2.vpos, (1:numel(kept))'));
  end
end
