function test_unsafe_input()
  % Fields whose data would not be rows x columns of finite doubles are
  % refused with an error naming the field, before anything is read.
  wrong_kinds();
  non_finite_numbers();
end

function cases = wrong_values(x)
  % The same numbers in every kind of array that is not a real, full double.
  cases = {int32(x), 'int32'; single(x), 'single'; logical(x), 'logical'; ...
           x + 1i, 'complex double'; sparse(x), 'sparse double'; ...
           char(x + 48), 'char'; num2cell(x), 'cell'; ...
           uint8(x), 'uint8'; sparse(logical(x)), 'sparse logical'};
end

function expect_kind_error(cmd, s, name, kind)
  expect_zonix_error(['zonix:' cmd ':fieldType'], ...
                     ['field ' name ' must be a real, full (non-sparse) double array, not ' kind], ...
                     1, cmd, s);
end

function wrong_kinds()
  % Fields are set one by one: struct() would spread a cell over an array.
  H = struct('A', [1 0; 0 1], 'B', [1; 1]);
  V = struct('V', [1 2; 3 4], 'R', [0 1]);
  for f = {'A', 'B'}
    for c = wrong_values(H.(f{1}))'
      s = H;
      s.(f{1}) = c{1};
      expect_kind_error('copy_h', s, f{1}, c{2});
    end
  end
  for c = wrong_values([1 2])'
    s = H;
    s.lin = c{1};
    expect_kind_error('copy_h', s, 'lin', c{2});
  end
  for f = {'V', 'R'}
    for c = wrong_values(V.(f{1}))'
      s = V;
      s.(f{1}) = c{1};
      expect_kind_error('copy_v', s, f{1}, c{2});
    end
  end
  s = H;
  s.A = struct('x', 1);
  expect_kind_error('copy_h', s, 'A', 'struct');
  % A lin that is not read (a column) is not checked either.
  s = H;
  s.lin = int32([1; 2]);
  out = zonixmex('copy_h', s);
  assert(isempty(out.lin));
end

function non_finite_numbers()
  A = [1 0; 0 1; 2 3];
  B = [1; 1; 1];
  expect_nonfinite('copy_h', struct('A', [1 0; 0 NaN; 2 3], 'B', B), 'A', '(2,2) is NaN');
  expect_nonfinite('copy_h', struct('A', [1 0; 0 1; Inf 3], 'B', B), 'A', '(3,1) is Inf');
  expect_nonfinite('copy_h', struct('A', A, 'B', [1; -Inf; 1]), 'B', '(2,1) is -Inf');
  expect_nonfinite('copy_v', struct('V', [1 2; 3 NaN]), 'V', '(2,2) is NaN');
  expect_nonfinite('copy_v', struct('V', [1 2], 'R', [0 1; -Inf 0]), 'R', '(2,1) is -Inf');
  % The first bad entry in column-major order is named.
  expect_nonfinite('copy_h', struct('A', [1 Inf; NaN 1; 2 3], 'B', B), 'A', '(2,1) is NaN');
end

function expect_nonfinite(cmd, s, name, where)
  expect_zonix_error(['zonix:' cmd ':nonFinite'], ...
                     ['field ' name ' must hold finite numbers only; entry ' where], ...
                     1, cmd, s);
end
