function zonix_run_test(name)
  % Runs one test function and exits octave-cli with status 1 on any error,
  % so that CTest sees the failure.
  if exist('zonixmex') ~= 3
    fprintf(2, '%s: the zonixmex module is not on the path (build it first)\n', name);
    exit(1);
  end
  try
    feval(name);
  catch err
    fprintf(2, '%s FAILED: %s\n', name, err.message);
    if ~isempty(err.identifier)
      fprintf(2, '  identifier: %s\n', err.identifier);
    end
    for k = 1:numel(err.stack)
      fprintf(2, '  at %s line %d\n', err.stack(k).name, err.stack(k).line);
    end
    exit(1);
  end
  printf('%s: all checks passed\n', name);
end
