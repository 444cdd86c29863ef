function test_dispatch()
  % The command string: exact, case-sensitive names; anything else fails
  % with one of two fixed messages.
  version_prints_and_assigns_nothing();
  near_misses_are_unknown();
  non_row_strings_are_refused();
end

function version_prints_and_assigns_nothing()
  out = evalc('zonixmex(''version'')');
  assert(strcmp(out, sprintf('Version 1.0\n')), 'version printed "%s"', out);

  % Further inputs of any kind are ignored.
  out = evalc('zonixmex(''version'', 1, struct(''A'', 1), {''x''}, ''hull'')');
  assert(strcmp(out, sprintf('Version 1.0\n')), 'version with inputs printed "%s"', out);

  % No output is assigned, so asking for one is the host's error, not ours.
  try
    v = zonixmex('version');
    error('zonix_test:noError', 'version assigned an output');
  catch err
    assert(isempty(strfind(err.identifier, 'zonix:')), ...
           'unexpected zonix error: %s', err.message);
  end
end

function near_misses_are_unknown()
  unknown = {'Version', 'VERSION', 'version ', ' version', 'versio', ...
             'copy_h ', 'Copy_h', 'copy', 'copy_', 'copyh', 'copy_hv', ...
             'copy-v', char(zeros(1, 0))};
  for k = 1:numel(unknown)
    expect_zonix_error('zonix:zonixmex:unknownFunction', 'Unknown function', ...
                       0, unknown{k});
  end
  % Also when the remaining inputs would suit a command.
  H = struct('A', [1 0; 0 1], 'B', [1; 1]);
  expect_zonix_error('zonix:zonixmex:unknownFunction', 'Unknown function', ...
                     1, 'copy_H', H);
end

function non_row_strings_are_refused()
  msg = 'Input 1 must be a row vector string';
  id = 'zonix:zonixmex:notRowString';
  expect_zonix_error(id, msg, 0);                      % no input at all
  expect_zonix_error(id, msg, 0, '');                  % 0 x 0
  expect_zonix_error(id, msg, 0, char(zeros(0, 3)));   % 0 x 3
  expect_zonix_error(id, msg, 0, ['copy_h'; 'copy_v']);
  expect_zonix_error(id, msg, 0, ('version')');        % a column
  expect_zonix_error(id, msg, 0, 5);
  expect_zonix_error(id, msg, 0, double('version'));
  expect_zonix_error(id, msg, 0, {'version'});
  expect_zonix_error(id, msg, 0, struct('name', 'version'));
end
