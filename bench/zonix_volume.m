function zonix_volume(file, arithmetic)
  % Prints the volume of the polytope in FILE (the text format's V form) as
  % "volume NUM/DEN VALUE" (NUM/DEN only when exact) and the seconds volume
  % took inside Octave as "seconds S", for bench/run_bench.py.
  lines = strsplit(fileread(file), "\n");
  at = find(strcmp(strtrim(lines), 'begin'), 1);
  rc = sscanf(lines{at + 1}, '%d %d');
  X = zeros(rc(1), rc(2));
  for k = 1:rc(1)
    words = strsplit(strtrim(lines{at + 1 + k}));
    for j = 1:rc(2)
      parts = sscanf(strrep(words{j}, '/', ' '), '%f');
      X(k, j) = parts(1);
      if numel(parts) > 1
        X(k, j) = parts(1) / parts(2);
      end
    end
  end
  P = zpoly('V', X(:, 2:end) ./ X(:, 1));
  t = tic();
  [v, num, den] = volume(P, struct('arithmetic', arithmetic));
  s = toc(t);
  if isempty(num)
    printf('volume - %.17g\n', v);
  else
    printf('volume %d/%d %.17g\n', num, den, v);
  end
  printf('seconds %.6f\n', s);
end
