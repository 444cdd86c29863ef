function test_usage()
  % Argument counts and kinds for the copy commands.
  H = struct('A', [1 0; 0 1], 'B', [1; 1]);
  V = struct('V', [1 2; 3 4]);
  check('copy_h', 'copy_h expects a H input struct and produces a H output struct', H);
  check('copy_v', 'copy_v expects a V input struct and produces a V output struct', V);
end

function check(cmd, usage, good)
  id = ['zonix:' cmd ':usage'];
  expect_zonix_error(id, usage, 1, cmd);                 % no input
  expect_zonix_error(id, usage, 1, cmd, good, good);     % two inputs
  expect_zonix_error(id, usage, 0, cmd, good);           % no output
  expect_zonix_error(id, usage, 2, cmd, good);           % two outputs
  expect_zonix_error(id, usage, 1, cmd, 5);              % not a struct
  expect_zonix_error(id, usage, 1, cmd, {good});
  expect_zonix_error(id, usage, 1, cmd, 'A');
  % The good call itself works.
  out = zonixmex(cmd, good);
  assert(isstruct(out));
end
