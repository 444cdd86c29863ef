function test_lp()
  % solve_lp / solve_lp_DS and find_interior / find_interior_DS: worked
  % examples, status codes, every optimum proved by its duals (glpk_oracle
  % and interior_oracle hold the library to glpsol on random problems).
  for solver = {'', '_DS'}
    lp = ['solve_lp' solver{1}];
    fi = ['find_interior' solver{1}];
    % min x + 2y on the triangle x, y >= 0, x + y <= 1: the origin, with
    % dual values -1 and -2 on the two bounds.
    A = [-1 0; 0 -1; 1 1];
    B = [0; 0; 1];
    S = solve(lp, A, B, [1 2]);
    assert(isequal(S.xopt, [0; 0]) && isequal(S.lambda, [-1; -2; 0]));
    assert(isequal(sort(S.active), [1; 2]));
    assert(isequal(solve(lp, A, B, [1 2 99 -5]), S), 'obj past d is read');
    S = solve(lp, A, B, [-1 -2]);
    assert(abs(S.objlp + 2) < 1e-12 && norm(S.xopt - [0; 1]) < 1e-12);
    % Equations enter twice: x = 1 (row 1), x <= 5 give 3 lambdas.
    S = solve(lp, [1; 1], [1; 5], 1, 1);
    assert(abs(S.xopt - 1) < 1e-12 && numel(S.lambda) == 3);
    S = solve(lp, [1 1; 1 -1; 1 0], [3; 1; 10], [1 1], [2 1]);
    assert(norm(S.xopt - [2; 1]) < 1e-12 && numel(S.lambda) == 5);
    % Status: infeasible, unbounded (xopt a direction of decrease), a
    % variable only the objective uses, no rows at all.
    assert(solve(lp, [1; -1], [0; -1], 1).how == 2);
    S = solve(lp, 1, 1, 1);
    assert(S.how == 3 && S.xopt < 0);
    assert(solve(lp, [1 0; -1 0], [1; 1], [0 1]).how == 5);
    S = solve(lp, zeros(0, 2), zeros(0, 1), [0 0]);
    assert(S.how == 1 && isequal(size(S.lambda), [0 1]) && isempty(S.active));

    % Interior points: slack 1/2 at the centre of the unit square; the
    % ceiling 2 * max(B) on a half-plane; with an equation no positive
    % slack; -1/2 for the empty x <= 0, x >= 1.
    sq = struct('A', [1 0; 0 1; -1 0; 0 -1], 'B', [1; 1; 0; 0]);
    S = zonixmex(fi, sq);
    assert(S.how == 1 && S.objlp == 0.5 && norm(S.xopt - 0.5, Inf) < 1e-12);
    assert(isequal(size(S.lambda), [5 1]));
    assert(zonixmex(fi, struct('A', [1 0], 'B', 5)).objlp == 10);
    S = zonixmex(fi, setfield(sq, 'lin', 1));
    assert(S.objlp <= 1e-12 && abs(S.xopt(1) - 1) < 1e-9 && numel(S.lambda) == 6);
    S = zonixmex(fi, struct('A', [1; -1], 'B', [0; -1]));
    assert(abs(S.objlp + 0.5) < 1e-12 && abs(S.xopt(1) - 0.5) < 1e-12);
  end
end

% Solves and, for an optimum, checks it: x feasible, the active rows tight,
% lambda <= 0 and zero off the active rows, and the duals reproducing the
% objective: (0, obj) + lambda' * rows = objlp * e1, rows = (b, -A) plus
% the negated equation rows.
function S = solve(cmd, A, B, obj, lin)
  if nargin < 5, lin = []; end
  S = zonixmex(cmd, struct('A', A, 'B', B, 'obj', obj, 'lin', lin));
  assert(isequal(fieldnames(S), {'xopt'; 'lambda'; 'how'; 'objlp'; 'active'}));
  [m, d] = size(A);
  lin = reshape(unique(lin), [], 1);
  rows_ = [B -A; -B(lin) A(lin, :)];
  assert(isequal(size(S.xopt), [d 1]) && isequal(size(S.lambda), [m + numel(lin) 1]));
  off = true(rows(rows_), 1);
  off(S.active) = false;
  assert(all(S.lambda(off) == 0) && numel(S.active) <= d);
  if S.how ~= 1, return; end
  tol = 1e-7 * max(1, max(abs([A(:); B(:); obj(:)])));
  slack = rows_ * [1; S.xopt];
  assert(all(slack >= -tol) && all(abs(slack(S.active)) <= tol));
  assert(all(S.lambda <= tol));
  lhs = [0, obj(1:d)] + S.lambda' * rows_;
  assert(norm(lhs - [S.objlp, zeros(1, d)], Inf) <= 10 * tol * (1 + norm(S.xopt, 1)));
end
