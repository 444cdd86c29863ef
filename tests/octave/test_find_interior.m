function test_find_interior()
  % "find_interior" (criss-cross) and "find_interior_DS" (dual simplex):
  % missing or unreadable input, the worked examples, the ceiling on the
  % slack, equations, and random systems against GLPK.
  for cmd = {'find_interior', 'find_interior_DS'}
    bad_input(cmd{1});
    unit_square(cmd{1});
    half_plane(cmd{1});
    equations(cmd{1});
    empty_polyhedron(cmd{1});
    random_against_glpk(cmd{1});
  end
end

function bad_input(cmd)
  % Without an input there is nothing to read: an error, not a crash.
  expect_zonix_error(['zonix:' cmd ':usage'], ...
      [cmd ' expects an H input struct and produces an LP result struct'], 1, cmd);
  msg = 'Error in the setting of LP matrix.';
  expect_zonix_error(['zonix:' cmd ':lpMatrix'], msg, 1, cmd, struct('A', [1 0]));
  expect_zonix_error(['zonix:' cmd ':lpMatrix'], msg, 1, cmd, struct('V', [1 0]));
  expect_zonix_error(['zonix:' cmd ':lpMatrix'], msg, 1, cmd, 5);
  expect_zonix_error(['zonix:' cmd ':lpMatrix'], msg, 1, cmd, ...
                     struct('A', [1 0; 0 1], 'B', [1; 1; 1]));
  expect_zonix_error(['zonix:' cmd ':nonFinite'], ...
      'field A must hold finite numbers only; entry (1,2) is Inf', 1, cmd, ...
      struct('A', [1 Inf], 'B', 1));
end

% Shapes for m rows, k equations, d variables: xopt d+1, lambda m+k+1.
function check_shape(S, m, k, d)
  assert(isequal(fieldnames(S), {'xopt'; 'lambda'; 'how'; 'objlp'; 'active'}));
  assert(isequal(size(S.xopt), [d + 1, 1]));
  assert(isequal(size(S.lambda), [m + k + 1, 1]));
  assert(all(S.active >= 1 & S.active <= m + k + 1));
end

function unit_square(cmd)
  H = struct('A', [1 0; 0 1; -1 0; 0 -1], 'B', [1; 1; 0; 0]);
  S = zonixmex(cmd, H);
  check_shape(S, 4, 0, 2);
  assert(S.how == 1);
  assert(abs(S.objlp - 0.5) < 1e-12);
  assert(norm(S.xopt - [0.5; 0.5; 0.5], Inf) < 1e-12);
  % Slack is measured in the rows' own scale: with x <= 1 written as
  % 2x <= 2 the best point on the line moves to x = 2/3.
  S = zonixmex(cmd, struct('A', [2; -1], 'B', [2; 0]));
  assert(abs(S.objlp - 2 / 3) < 1e-12 && abs(S.xopt(1) - 2 / 3) < 1e-12);
end

function half_plane(cmd)
  % x <= 0 in the plane: nothing stops the slack but the ceiling
  % 2 * max(1, largest B).
  S = zonixmex(cmd, struct('A', [1 0], 'B', 0));
  check_shape(S, 1, 0, 2);
  assert(S.how == 1 && S.objlp == 2);
  assert(-S.xopt(1) >= 2 - 1e-12);
  S = zonixmex(cmd, struct('A', [1 0], 'B', 5));
  assert(S.objlp == 10 && 5 - S.xopt(1) >= 10 - 1e-12);
  S = zonixmex(cmd, struct('A', [1 0; 0 1], 'B', [0.5; -3]));
  assert(S.objlp == 2);
end

function equations(cmd)
  % The unit square's side x = 1: no point has positive slack in both the
  % equation and its negated copy.
  H = struct('A', [1 0; 0 1; -1 0; 0 -1], 'B', [1; 1; 0; 0], 'lin', 1);
  S = zonixmex(cmd, H);
  check_shape(S, 4, 1, 2);
  assert(S.how == 1 && S.objlp <= 1e-12);
  assert(abs(S.xopt(1) - 1) < 1e-9, 'the point leaves the equation');
  % A lin entry past the rows warns and is ignored.
  H.lin = 7;
  [S, warnings] = zonix_call_warnings(cmd, H);
  assert(isequal(warnings, {'Error in the lineality vector '}));
  assert(abs(S.objlp - 0.5) < 1e-12);
end

function empty_polyhedron(cmd)
  % x <= 0 and x >= 1: the best common slack is -1/2, at x = 1/2.
  S = zonixmex(cmd, struct('A', [1; -1], 'B', [0; -1]));
  assert(S.how == 1);
  assert(abs(S.objlp + 0.5) < 1e-12 && abs(S.xopt(1) - 0.5) < 1e-12);
end

function random_against_glpk(cmd)
  rand('seed', 3);
  for trial = 1:30
    d = 1 + mod(trial, 4);
    m = 1 + mod(7 * trial, 15);
    A = round(10 * (rand(m, d) - 0.5));
    B = round(12 * (rand(m, 1) - 0.3));
    S = zonixmex(cmd, struct('A', A, 'B', B));
    check_shape(S, m, 0, d);
    % max t subject to A x + t <= B, t <= 2 * max(1, max(B)), all free.
    cap = 2 * max(1, max(B));
    [~, fopt, errnum, extra] = glpk([zeros(d, 1); 1], [A, ones(m, 1); zeros(1, d), 1], [B; cap], ...
                             -Inf(d + 1, 1), Inf(d + 1, 1), repmat('U', 1, m + 1), ...
                             repmat('C', 1, d + 1), -1);
    assert(errnum == 0 && extra.status == 5, 'GLPK error %d, status %d', errnum, extra.status);
    assert(S.how == 1);
    assert(abs(S.objlp - fopt) <= 1e-7 * max(1, abs(fopt)), ...
           'trial %d: objlp %g, GLPK %g', trial, S.objlp, fopt);
    x = S.xopt(1:d);
    t = S.xopt(d + 1);
    assert(abs(t - S.objlp) < 1e-9);
    assert(all(B - A * x >= t - 1e-7 * max(1, norm(x, Inf))), 'trial %d: slack below t*', trial);
  end
end
