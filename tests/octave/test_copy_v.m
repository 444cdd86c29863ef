function test_copy_v()
  % V structs through the library matrix and back.
  points_and_rays();
  points_only_and_rays_only();
  malformed();
end

function points_and_rays()
  P = zonixmex('copy_v', struct('V', [1 2; 3 4], 'R', [0 1]));
  assert(isequal(fieldnames(P), {'V'; 'R'; 'rpos'; 'vpos'; 'lin'}));
  assert(isequal(P.V, [1 2; 3 4]) && isequal(P.R, [0 1]));
  assert(isequal(P.vpos, [1; 2]) && isequal(P.rpos, 3));
  assert(isempty(P.lin));

  % Rays are numbered after all the points; a lin given in the input is
  % not read (a V struct has no lines on the way in).
  V = [0 0 0; 1 0 0; 0 1 0; 0 0 1];
  R = [1 1 1; -1 0 2.5];
  P = zonixmex('copy_v', struct('V', V, 'R', R, 'lin', [1 2]));
  assert(isequal(P.V, V) && isequal(P.R, R));
  assert(isequal(P.vpos, (1:4)') && isequal(P.rpos, [5; 6]));
  assert(isempty(P.lin));

  % A point at the origin stays a point: it is the leading 1 that counts.
  P = zonixmex('copy_v', struct('V', [0 0], 'R', [0 0]));
  assert(isequal(P.V, [0 0]) && isequal(P.vpos, 1));
  assert(isequal(P.R, [0 0]) && isequal(P.rpos, 2));
end

function points_only_and_rays_only()
  P = zonixmex('copy_v', struct('V', [1 2; 3 4; 5 6]));
  assert(isequal(P.V, [1 2; 3 4; 5 6]) && isequal(P.vpos, [1; 2; 3]));
  assert(isequal(size(P.R), [0 2]) && isequal(size(P.rpos), [0 1]));

  % An empty R is no rays, whatever its width.
  P = zonixmex('copy_v', struct('V', [1 2], 'R', []));
  assert(isequal(P.V, [1 2]) && isequal(size(P.R), [0 2]));
  P = zonixmex('copy_v', struct('V', [1 2], 'R', zeros(0, 5)));
  assert(isequal(P.V, [1 2]) && isequal(size(P.R), [0 2]));

  P = zonixmex('copy_v', struct('V', zeros(0, 2), 'R', [1 0; 0 1]));
  assert(isequal(size(P.V), [0 2]) && isequal(size(P.vpos), [0 1]));
  assert(isequal(P.R, [1 0; 0 1]) && isequal(P.rpos, [1; 2]));

  % No points and no rays.
  P = zonixmex('copy_v', struct('V', zeros(0, 3)));
  assert(isequal(size(P.V), [0 3]) && isequal(size(P.R), [0 3]));

  % A 3-D R is not read at all.
  P = zonixmex('copy_v', struct('V', [1 2], 'R', ones(2, 2, 2)));
  assert(isequal(P.V, [1 2]) && isequal(size(P.R), [0 2]));
end

function malformed()
  usage = 'copy_v expects a V input struct and produces a V output struct';
  id = 'zonix:copy_v:usage';
  expect_zonix_error(id, usage, 1, 'copy_v', struct('R', [0 1]));
  expect_zonix_error(id, usage, 1, 'copy_v', struct('V', ones(2, 2, 2)));
  expect_zonix_error(id, usage, 1, 'copy_v', struct('A', [1 0], 'B', 1));
  expect_zonix_error(id, usage, 1, 'copy_v', struct('V', {}));

  % R must be as wide as V: rays of another dimension are refused rather
  % than cut off or read past their end.
  expect_zonix_error('zonix:copy_v:columnMismatch', ...
                     'field R must have as many columns as V (2), not 3', ...
                     1, 'copy_v', struct('V', [1 2], 'R', [1 0 0]));
  expect_zonix_error('zonix:copy_v:columnMismatch', ...
                     'field R must have as many columns as V (3), not 1', ...
                     1, 'copy_v', struct('V', [1 2 3], 'R', [1; 2]));
  expect_zonix_error('zonix:copy_v:columnMismatch', ...
                     ['field R must have as many columns as V (0), not 2; ' ...
                      'for rays without points give V = zeros(0, d)'], ...
                     1, 'copy_v', struct('V', [], 'R', [1 0]));
end
