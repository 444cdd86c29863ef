function test_copy_h()
  % H structs through the library matrix and back.
  round_trips();
  empty_and_malformed();
  lineality_vector();
  struct_arrays_and_extra_fields();
end

function H = copy(A, B, varargin)
  s = struct('A', A, 'B', B);
  for k = 1:2:numel(varargin)
    s.(varargin{k}) = varargin{k + 1};
  end
  H = zonixmex('copy_h', s);
end

function round_trips()
  H = copy([1 0; 0 1], [1; 2]);
  assert(isequal(fieldnames(H), {'A'; 'B'; 'lin'}));
  assert(isequal(H.A, [1 0; 0 1]) && isequal(H.B, [1; 2]));
  assert(isempty(H.lin));

  % Unit square 0 <= x, y <= 1, values back bit for bit.
  A = [1 0; -1 0; 0 1; 0 -1];
  B = [1; 0; 1; 0];
  H = copy(A, B);
  assert(isequal(H.A, A) && isequal(H.B, B));

  % Awkward numbers survive: tiny, huge, negative, non-representable.
  A = [0.1 -2.5e-300; 1e300 -7; 1/3 0];
  B = [-0.3; 4e-20; 123456789.125];
  H = copy(A, B);
  assert(isequal(H.A, A) && isequal(H.B, B));
  assert(~any(1 ./ H.A(:) == -Inf), 'a zero came back as -0');

  % One column, many rows; one row, many columns.
  H = copy((1:5)', (5:-1:1)');
  assert(isequal(H.A, (1:5)') && isequal(H.B, (5:-1:1)'));
  H = copy(1:6, 2);
  assert(isequal(H.A, 1:6) && H.B == 2);
end

function empty_and_malformed()
  % No inequalities at all: 0 rows, and A has no columns left.
  H = copy([], zeros(0, 1));
  assert(isequal(size(H.A), [0 0]) && isequal(size(H.B), [0 1]));
  H = copy(zeros(0, 3), zeros(0, 1));
  assert(isequal(size(H.A), [0 3]) && isequal(size(H.B), [0 1]));

  % Shapes the conversion does not accept end in the usage message.
  usage = 'copy_h expects a H input struct and produces a H output struct';
  id = 'zonix:copy_h:usage';
  expect_zonix_error(id, usage, 1, 'copy_h', struct('A', [], 'B', []));
  expect_zonix_error(id, usage, 1, 'copy_h', struct('A', [1 0; 0 1], 'B', [1 2]));
  expect_zonix_error(id, usage, 1, 'copy_h', struct('A', [1 0; 0 1], 'B', [1; 2; 3]));
  expect_zonix_error(id, usage, 1, 'copy_h', struct('A', [1 0; 0 1], 'B', [1 1; 2 2]));
  expect_zonix_error(id, usage, 1, 'copy_h', struct('A', ones(2, 2, 2), 'B', [1; 2]));
  expect_zonix_error(id, usage, 1, 'copy_h', struct('A', [1 0], 'B', ones(1, 1, 2)));
  expect_zonix_error(id, usage, 1, 'copy_h', struct('A', [1 0]));
  expect_zonix_error(id, usage, 1, 'copy_h', struct('B', 1));
  expect_zonix_error(id, usage, 1, 'copy_h', struct());
  % A V struct is not an H struct.
  expect_zonix_error(id, usage, 1, 'copy_h', struct('V', [1 2], 'R', [0 1]));
end

function lineality_vector()
  A = [1 0; 0 1; -1 -1];
  B = [1; 1; 0];
  warn_text = 'Error in the lineality vector ';
  s = struct('A', A, 'B', B);

  % Accepted entries come back sorted and without repeats, with no warning.
  s.lin = [3 1 3];
  [H, w] = zonix_call_warnings('copy_h', s);
  assert(isequal(H.lin, [1 3]) && isempty(w));
  assert(isequal(H.A, A) && isequal(H.B, B));

  % A column vector, or an empty array, means no equations, silently.
  for lin = {[1; 2], [], zeros(0, 1), zeros(2, 0)}
    s.lin = lin{1};
    [H, w] = zonix_call_warnings('copy_h', s);
    assert(isempty(H.lin) && isempty(w));
  end
  % A single entry is a 1 x 1 row and counts.
  s.lin = 2;
  H = zonixmex('copy_h', s);
  assert(isequal(H.lin, 2));

  % Out of range: one warning per bad entry, the others still taken.
  s.lin = [2 2 5];
  lastwarn('');
  [H, w] = zonix_call_warnings('copy_h', s);
  assert(isequal(H.lin, 2), 'lin = [2 2 5] gave [%s]', num2str(H.lin));
  assert(isequal(w, {warn_text}), 'expected one warning, got %d', numel(w));
  [~, wid] = lastwarn();
  assert(strcmp(wid, 'zonix:copy_h:linOutOfRange'), 'warning id %s', wid);

  s.lin = [4 7 1];
  [H, w] = zonix_call_warnings('copy_h', s);
  assert(isequal(H.lin, 1) && isequal(w, {warn_text, warn_text}));

  % Compared before truncation: 2.7 marks row 2, 3.5 is past the 3 rows.
  s.lin = 2.7;
  [H, w] = zonix_call_warnings('copy_h', s);
  assert(isequal(H.lin, 2) && isempty(w));
  s.lin = 3.5;
  [H, w] = zonix_call_warnings('copy_h', s);
  assert(isempty(H.lin) && isequal(w, {warn_text}));
  s.lin = 3;
  [H, w] = zonix_call_warnings('copy_h', s);
  assert(isequal(H.lin, 3) && isempty(w));

  % Zero, fractions below 1, negative numbers mark nothing and say nothing.
  s.lin = [0 0.5 -1 -3.2 -Inf];
  [H, w] = zonix_call_warnings('copy_h', s);
  assert(isempty(H.lin) && isempty(w));

  % NaN and Inf are not at most the row count: warned and skipped.
  s.lin = [NaN 1 Inf];
  [H, w] = zonix_call_warnings('copy_h', s);
  assert(isequal(H.lin, 1) && isequal(w, {warn_text, warn_text}));

  % With no rows at all every positive entry is out of range.
  s2 = struct('A', zeros(0, 2), 'B', zeros(0, 1), 'lin', 1);
  [H, w] = zonix_call_warnings('copy_h', s2);
  assert(isempty(H.lin) && isequal(w, {warn_text}));

  % Turned into an error by the user, the warning still leaves cleanly.
  warning('error', 'zonix:copy_h:linOutOfRange');
  try
    s.lin = 9;
    H = zonixmex('copy_h', s);
    error('zonix_test:noError', 'the warning did not become an error');
  catch err
    assert(strcmp(err.identifier, 'zonix:copy_h:linOutOfRange'));
  end
  warning('on', 'zonix:copy_h:linOutOfRange');
  s.lin = 1;
  H = zonixmex('copy_h', s);
  assert(isequal(H.lin, 1));
end

function struct_arrays_and_extra_fields()
  % Only the first element of a struct array is read; other fields ignored.
  s = struct('A', {[1 2], [3 4 5]}, 'B', {7, 8}, 'note', 'ignored');
  H = zonixmex('copy_h', s);
  assert(isequal(H.A, [1 2]) && H.B == 7 && isempty(H.lin));

  % An empty struct array has no first element to read.
  expect_zonix_error('zonix:copy_h:usage', ...
                     'copy_h expects a H input struct and produces a H output struct', ...
                     1, 'copy_h', struct('A', {}, 'B', {}));
end
