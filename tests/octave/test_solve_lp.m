function test_solve_lp()
  % "solve_lp" (criss-cross) and "solve_lp_DS" (dual simplex): result
  % shapes, values checked against LP duality and Octave's glpk, status
  % codes, and the errors for malformed LP structs.
  for cmd = {'solve_lp', 'solve_lp_DS'}
    small_optimum(cmd{1});
    equation_rows(cmd{1});
    statuses(cmd{1});
    no_constraints(cmd{1});
    objective_row_rules(cmd{1});
    malformed_input(cmd{1});
    random_against_glpk(cmd{1});
  end
end

function S = solve(cmd, A, B, obj, varargin)
  s = struct('A', A, 'B', B, 'obj', obj);
  for k = 1:2:numel(varargin)
    s.(varargin{k}) = varargin{k + 1};
  end
  S = zonixmex(cmd, s);
  check_shape(S, A, s);
end

% Fields in order, sizes from the LP: xopt d, lambda m + k, active at most
% d distinct rows, lambda zero off the active rows.
function check_shape(S, A, s)
  [m, d] = size(A);
  k = 0;
  if isfield(s, 'lin') && ~isempty(s.lin) && rows(s.lin) == 1
    k = numel(unique(s.lin(s.lin >= 1 & s.lin <= m)));
  end
  assert(isequal(fieldnames(S), {'xopt'; 'lambda'; 'how'; 'objlp'; 'active'}));
  assert(isequal(size(S.xopt), [d 1]), 'xopt is %dx%d', rows(S.xopt), columns(S.xopt));
  assert(isequal(size(S.lambda), [m + k 1]), 'lambda is %dx%d', rows(S.lambda), columns(S.lambda));
  assert(isscalar(S.how) && isscalar(S.objlp));
  assert(columns(S.active) <= 1 && numel(S.active) <= d);
  assert(numel(unique(S.active)) == numel(S.active), 'active repeats a row');
  assert(all(S.active >= 1 & S.active <= m + k));
  off = true(m + k, 1);
  off(S.active) = false;
  assert(all(S.lambda(off) == 0), 'lambda nonzero off the active rows');
end

% The LP rows as the library states them, b + a*x >= 0: (B, -A), then the
% negated equation rows.
function [b, a] = lp_rows(A, B, lin)
  b = B;
  a = -A;
  for r = sort(unique(lin(lin >= 1 & lin <= rows(A))))
    b(end + 1, 1) = -B(r);
    a(end + 1, :) = A(r, :);
  end
end

% An optimum proves itself: x feasible, the active rows tight, obj equal to
% objlp minus the lambda-weighted rows with lambda <= 0 (minimisation).
function check_optimum(S, A, B, obj, lin)
  tol = 1e-7 * max(1, max(abs([A(:); B(:); obj(:)])));
  [b, a] = lp_rows(A, B, lin);
  x = S.xopt;
  assert(S.how == 1, 'status %d, expected optimal', S.how);
  assert(all(b + a * x >= -tol), 'xopt violates a row');
  assert(all(abs(b(S.active) + a(S.active, :) * x) <= tol), 'an active row is not tight');
  assert(abs(obj(1:columns(A)) * x - S.objlp) <= tol * (1 + norm(x, 1)));
  assert(all(S.lambda <= tol), 'a dual value has the sign of a maximisation');
  % (0, obj) + sum lambda_r (b_r, a_r) = objlp * e_1
  lhs = [0, obj(1:columns(A))] + S.lambda' * [b, a];
  assert(norm(lhs - [S.objlp, zeros(1, columns(A))], Inf) <= 10 * tol, ...
         'the duals do not reproduce the objective');
end

function small_optimum(cmd)
  % min x + 2y on the triangle x, y >= 0, x + y <= 1: the origin, with the
  % two bounds active at dual values -1 and -2.
  A = [-1 0; 0 -1; 1 1];
  B = [0; 0; 1];
  S = solve(cmd, A, B, [1 2]);
  assert(isequal(S.xopt, [0; 0]) && S.objlp == 0 && S.how == 1);
  assert(isequal(sort(S.active), [1; 2]));
  assert(isequal(S.lambda, [-1; -2; 0]));
  check_optimum(S, A, B, [1 2], []);

  % The opposite objective ends at the far vertex on x + y <= 1.
  S = solve(cmd, A, B, [-1 -2]);
  assert(abs(S.objlp + 2) < 1e-12 && norm(S.xopt - [0; 1]) < 1e-12);
  check_optimum(S, A, B, [-1 -2], []);
end

function equation_rows(cmd)
  % min x with x = 1 (row 1 an equation) and x <= 5: 4 LP rows, lambda of 3.
  A = [1; 1];
  B = [1; 5];
  S = solve(cmd, A, B, 1, 'lin', 1);
  assert(S.how == 1 && abs(S.objlp - 1) < 1e-12 && abs(S.xopt - 1) < 1e-12);
  assert(numel(S.lambda) == 3);
  check_optimum(S, A, B, 1, 1);

  % Two equations in a plane fix the point; lin given out of order.
  A = [1 1; 1 -1; 1 0];
  B = [3; 1; 10];
  S = solve(cmd, A, B, [1 1], 'lin', [2 1]);
  assert(norm(S.xopt - [2; 1]) < 1e-12 && abs(S.objlp - 3) < 1e-12);
  assert(numel(S.lambda) == 5);
  check_optimum(S, A, B, [1 1], [1 2]);

  % A lin entry beyond m warns and is dropped; the LP is still solved.
  s = struct('A', A, 'B', B, 'obj', [1 1], 'lin', [1 7]);
  [S, w] = zonix_call_warnings(cmd, s);
  assert(isequal(w, {'Error in the lineality vector '}));
  assert(numel(S.lambda) == 4 && S.how == 1);
end

function statuses(cmd)
  % Infeasible: x <= 0 and x >= 1.
  S = solve(cmd, [1; -1], [0; -1], 1);
  assert(S.how == 2, 'infeasible LP gave status %d', S.how);
  % Unbounded below: min x subject to x <= 1; xopt is a direction of
  % decrease.
  S = solve(cmd, 1, 1, 1);
  assert(S.how == 3, 'unbounded LP gave status %d', S.how);
  assert(S.xopt < 0);
  % y appears in no row but in the objective.
  S = solve(cmd, [1 0; -1 0], [1; 1], [0 1]);
  assert(S.how == 5, 'free objective variable gave status %d', S.how);
  assert(S.xopt(2) < 0, 'the direction must lower the objective');
  % The same variable with a zero cost is harmless.
  S = solve(cmd, [1 0; -1 0], [1; 1], [1 0]);
  assert(S.how == 1 && abs(S.objlp + 1) < 1e-12);
end

function no_constraints(cmd)
  S = solve(cmd, zeros(0, 2), zeros(0, 1), [0 0]);
  assert(isequal(size(S.lambda), [0 1]) && S.how == 1 && S.objlp == 0);
  assert(isempty(S.active));
  S = solve(cmd, zeros(0, 2), zeros(0, 1), [1 0]);
  assert(isequal(size(S.lambda), [0 1]) && S.how == 5);
end

function objective_row_rules(cmd)
  A = [-1 0; 0 -1; 1 1];
  B = [0; 0; 1];
  base = solve(cmd, A, B, [1 2]);
  % Entries past d are ignored, whatever they hold.
  longer = solve(cmd, A, B, [1 2 99 -5]);
  assert(isequal(longer, base));
end

function malformed_input(cmd)
  A = [-1 0; 0 -1; 1 1];
  B = [0; 0; 1];
  good = struct('A', A, 'B', B, 'obj', [1 2]);
  objective = 'Error in the setting of LP objective.';
  matrix = 'Error in the setting of LP matrix.';
  oid = ['zonix:' cmd ':lpObjective'];
  mid = ['zonix:' cmd ':lpMatrix'];

  % Without an LP struct nothing is read.
  expect_zonix_error(['zonix:' cmd ':usage'], ...
                     [cmd ' expects an LP struct with fields A, B, obj and optional lin'], ...
                     1, cmd);

  % obj missing, a column, too short, more than two dimensions.
  s = rmfield(good, 'obj');
  expect_zonix_error(oid, objective, 1, cmd, s);
  s = good; s.obj = [1; 2];
  expect_zonix_error(oid, objective, 1, cmd, s);
  s = good; s.obj = 1;
  expect_zonix_error(oid, objective, 1, cmd, s);
  s = good; s.obj = zeros(1, 0);
  expect_zonix_error(oid, objective, 1, cmd, s);
  s = good; s.obj = [];
  expect_zonix_error(oid, objective, 1, cmd, s);
  s = good; s.obj = ones(1, 2, 2);
  expect_zonix_error(oid, objective, 1, cmd, s);

  % obj holds numbers the library can take, like A and B.
  s = good; s.obj = [1 NaN];
  expect_zonix_error(['zonix:' cmd ':nonFinite'], ...
                     'field obj must hold finite numbers only; entry (1,2) is NaN', 1, cmd, s);
  s = good; s.obj = [Inf 1];
  expect_zonix_error(['zonix:' cmd ':nonFinite'], ...
                     'field obj must hold finite numbers only; entry (1,1) is Inf', 1, cmd, s);
  tid = ['zonix:' cmd ':fieldType'];
  s = good; s.obj = int32([1 2]);
  expect_zonix_error(tid, 'field obj must be a real, full (non-sparse) double array, not int32', 1, cmd, s);
  s = good; s.obj = sparse([1 2]);
  expect_zonix_error(tid, 'field obj must be a real, full (non-sparse) double array, not sparse double', 1, cmd, s);
  s = good; s.obj = [1 2] + 1i;
  expect_zonix_error(tid, 'field obj must be a real, full (non-sparse) double array, not complex double', 1, cmd, s);
  s = good; s.obj = 'ab';
  expect_zonix_error(tid, 'field obj must be a real, full (non-sparse) double array, not char', 1, cmd, s);
  s = good; s.A = [-1 0; 0 -1; 1 Inf];
  expect_zonix_error(['zonix:' cmd ':nonFinite'], ...
                     'field A must hold finite numbers only; entry (3,2) is Inf', 1, cmd, s);
  s = good; s.B = single(B);
  expect_zonix_error(tid, 'field B must be a real, full (non-sparse) double array, not single', 1, cmd, s);

  % No usable A and B: missing, mismatched, or not a struct at all.
  expect_zonix_error(mid, matrix, 1, cmd, rmfield(good, 'A'));
  expect_zonix_error(mid, matrix, 1, cmd, rmfield(good, 'B'));
  s = good; s.B = [0; 0];
  expect_zonix_error(mid, matrix, 1, cmd, s);
  expect_zonix_error(mid, matrix, 1, cmd, 5);
  expect_zonix_error(mid, matrix, 1, cmd, {good});
  expect_zonix_error(mid, matrix, 1, cmd, struct('A', {}, 'B', {}, 'obj', {}));

  % A struct array is read through its first element.
  two = [good, good];
  two(2).obj = [5 5];
  S = zonixmex(cmd, two);
  assert(S.how == 1 && S.objlp == 0);
end

function random_against_glpk(cmd)
  % Small random LPs with a bounded, feasible optimum, compared with
  % Octave's own glpk (free variables, A*x <= B).
  rand('seed', 7);
  for t = 1:40
    d = 1 + mod(t, 5);
    m = d + 1 + mod(3 * t, 12);
    x0 = round(10 * rand(d, 1) - 5);
    A = round(18 * rand(m, d) - 9);
    B = A * x0 + round(5 * rand(m, 1));
    y = round(3 * rand(m, 1));
    y(1 + mod(t, m)) = 1;
    obj = -(y' * A);                % in the cone of the rows: bounded
    S = solve(cmd, A, B, obj);
    [xg, fg, errnum, extra] = glpk(obj', A, B, -Inf(d, 1), [], repmat('U', 1, m), ...
                                   repmat('C', 1, d), 1);
    assert(errnum == 0 && extra.status == 5, 'glpk: error %d, status %d', errnum, extra.status);
    assert(abs(S.objlp - fg) <= 1e-6 * max(1, abs(fg)), ...
           '%s case %d: %g, glpk %g', cmd, t, S.objlp, fg);
    check_optimum(S, A, B, obj, []);
  end
end
