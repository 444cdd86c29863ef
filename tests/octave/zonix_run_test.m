function zonix_run_test(name)
  % Runs one test function; any error exits octave-cli with status 1.
  try
    feval(name);
  catch err
    fprintf(2, '%s FAILED: %s (%s)\n', name, err.message, err.identifier);
    for k = 1:numel(err.stack)
      fprintf(2, '  at %s line %d\n', err.stack(k).name, err.stack(k).line);
    end
    exit(1);
  end
  printf('%s: all checks passed\n', name);
end
