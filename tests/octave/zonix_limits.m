function zonix_limits(what)
  % Run by limits.sh in an octave-cli of its own.  'memory' (under an
  % address-space limit): calls whose storage cannot fit are refused with
  % outOfMemory, and Octave carries on.  'interrupt': a long extreme in
  % try/catch, which the script interrupts with SIGINT.
  square = struct('A', [eye(2); -eye(2)], 'B', ones(4, 1));
  if strcmp(what, 'memory')
    calls = {{'extreme', struct('A', [1 zeros(1, 99999)], 'B', 1)}, ...
             {'extreme', struct('A', zeros(0, 1e6), 'B', zeros(0, 1))}, ...
             {'hull', struct('V', zeros(0, 1e6))}, ...
             {'solve_lp', struct('A', zeros(1, 1e6), 'B', 1, 'obj', ones(1, 1e6))}, ...
             {'extreme', struct('A', [1 zeros(1, 19999)], 'B', 1)}};  % fits RAM, not the limit
    for k = 1:numel(calls)
      [id, msg] = zonix_error(1, calls{k}{:});
      assert(~isempty(regexp(id, ':outOfMemory$', 'once')), 'call %d: %s %s', k, id, msg);
    end
  else
    randn('seed', 1);
    H = struct('A', randn(100, 10), 'B', ones(100, 1));  % some seconds at least
    printf('running\n');
    fflush(stdout);
    try
      P = zonixmex('extreme', H);
      printf('not interrupted\n');
    catch err
      printf('caught %s\n', err.identifier);
    end
    fflush(stdout);
  end
  P = zonixmex('extreme', square);
  printf('alive with %d vertices\n', rows(P.V));
end
