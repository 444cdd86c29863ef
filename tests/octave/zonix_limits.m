function zonix_limits(what)
  % Run by limits.sh in an octave-cli of its own.  'memory' (under an
  % address-space limit): calls whose storage cannot fit are refused with
  % outOfMemory, and Octave carries on.  'interrupt': long calls (extreme,
  % then project by every method) in try/catch, each of which the script
  % interrupts with SIGINT once it says "running K".
  square = struct('A', [eye(2); -eye(2)], 'B', ones(4, 1));
  if strcmp(what, 'memory')
    calls = {{'extreme', struct('A', [1 zeros(1, 99999)], 'B', 1)}, ...
             {'extreme', struct('A', zeros(0, 1e6), 'B', zeros(0, 1))}, ...
             {'hull', struct('V', zeros(0, 1e6))}, ...
             {'solve_lp', struct('A', zeros(1, 1e6), 'B', 1, 'obj', ones(1, 1e6))}, ...
             {'extreme', struct('A', [1 zeros(1, 19999)], 'B', 1)}, ...  % fits RAM, not the limit
             ... % 10^5 rows with a positive and 10^5 with a negative last entry:
             ... % Fourier-Motzkin would make 10^10 rows.
             {'project', struct('A', [ones(1e5, 1); -ones(1e5, 1)], 'B', ones(2e5, 1)), 1, ...
              struct('method', 'fourier')}};
    for k = 1:numel(calls)
      [id, msg] = zonix_error(1, calls{k}{:});
      assert(~isempty(regexp(id, ':outOfMemory$', 'once')), 'call %d: %s %s', k, id, msg);
    end
  else
    randn('seed', 1);
    H = struct('A', randn(100, 10), 'B', ones(100, 1));  % some seconds at least
    H6 = struct('A', round(20 * rand(40, 6)) - 10, 'B', 10 + round(10 * rand(40, 1)));
    method = @(m) struct('method', m);
    calls = {{'extreme', H}, {'project', H, 3:10, method('vertices')}, ...
             {'project', H, 3:10, method('block')}, {'project', H6, 3:6, method('fourier')}, ...
             {'project', H, 3:10}};
    for k = 1:numel(calls)
      printf('running %d\n', k);
      fflush(stdout);
      try
        P = zonixmex(calls{k}{:});
        printf('not interrupted %d\n', k);
      catch err
        printf('caught %d %s\n', k, err.identifier);
      end
      fflush(stdout);
    end
  end
  P = zonixmex('extreme', square);
  printf('alive with %d vertices\n', rows(P.V));
end
