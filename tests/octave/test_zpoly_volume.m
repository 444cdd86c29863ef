function test_zpoly_volume()
  % volume against closed forms (cube, simplex 1/d!, cross-polytope
  % 2^d/d!), exactly as fractions; then against normaliz -V on random
  % rational polytopes.
  for d = 2:6
    I = eye(d);
    corners = dec2bin(0:2^d - 1) - '0';
    T = {  % set, numerator, denominator
      zpoly('A', [I; -I], 'b', [ones(d, 1); zeros(d, 1)]), 1, 1
      zpoly('V', 2 * corners - 1), 2^d, 1
      zpoly('V', [zeros(1, d); I]), 1, factorial(d)
      zpoly('A', [-I; ones(1, d)], 'b', [zeros(d, 1); 1]), 1, factorial(d)
      zpoly('V', [I; -I]), 2^d, factorial(d)
      zpoly('A', 2 * corners - 1, 'b', ones(2^d, 1)), 2^d, factorial(d)
      zpoly('V', [zeros(1, d); I / 3]), 1, factorial(d) * 3^d       % fractions
      zpoly('A', [I; -I], 'b', [ones(d, 1) / 2; zeros(d, 1)]), 1, 2^d
    };
    for k = 1:rows(T)
      [P, p, q] = T{k, :};
      g = gcd(p, q);
      [v, num, den] = volume(P);
      assert(num == p / g && den == q / g, 'd = %d, case %d: %d/%d', d, k, num, den);
      assert(abs(v - p / q) <= 4 * eps(p / q));
      w = volume(P, struct('arithmetic', 'double'));
      assert(abs(w - p / q) < 1e-12 * p / q, 'd = %d, case %d: double %g', d, k, w);
    end
  end
  % Flat, empty and unbounded sets; measured data: double only.
  [v, num, den] = volume(zpoly('V', [0 0 0; 1 0 0; 0 1 0]));
  assert(v == 0 && num == 0 && den == 1);
  assert(volume(zpoly('A', [1; -1], 'b', [0; -1])) == 0);
  assert(volume(zpoly('A', -eye(2), 'b', [0; 0])) == Inf);
  [v, num] = volume(zpoly('V', [0 0; pi 0; 0 1]));
  assert(abs(v - pi / 2) < 1e-14 && isempty(num));
  % An exact answer past 2^62 is refused in exact arithmetic.
  big = zpoly('V', [zeros(1, 4); eye(4) / 999983]);
  try
    volume(big, struct('arithmetic', 'exact'));
    id = 'none';
  catch err
    id = err.identifier;
  end
  assert(strcmp(id, 'zonix:zpoly:tooLarge'), id);
  assert(abs(volume(big) * 24 * 999983^4 - 1) < 1e-12);

  % The module's command: the fraction as numbers while they fit, as text
  % always; kinds of sets; arithmetic.
  S = zonixmex('volume', struct('A', [eye(3); -eye(3)], 'B', 2^30 * ones(6, 1)));
  assert(S.exact && strcmp(S.kind, 'bounded') && isempty(S.num) && ...
         strcmp(S.fraction, '9903520314283042199192993792'));   % 2^93
  S = zonixmex('volume', struct('V', [zeros(1, 2); 3 * 2^30 0; 0 7 * 2^25]));   % 21 * 2^54
  assert(isa(S.num, 'int64') && S.num == int64(21) * int64(2)^54 && S.den == 1);
  S = zonixmex('volume', struct('V', [0 0 0; 1 0 0; 0 1 0; 0 0 1]));
  assert(S.num == 1 && S.den == 6 && S.vertices == 4 && S.facets == 4 && S.simplices == 1);
  S = zonixmex('volume', struct('V', [0 0; 1 1; 2 2]));
  assert(strcmp(S.kind, 'flat') && S.volume == 0);
  S = zonixmex('volume', struct('V', [0 0], 'R', [1 0; 0 1]));
  assert(strcmp(S.kind, 'unbounded') && S.volume == Inf && ~S.exact);
  S = zonixmex('volume', struct('V', [0 0; 0.5 0; 0 0.5]));   % measured data
  assert(~S.exact && abs(S.volume - 0.125) < 1e-15 && isempty(S.num) && isempty(S.fraction));
  S = zonixmex('volume', struct('V', [0 0; 0.5 0; 0 0.5]), struct('arithmetic', 'exact'));
  assert(S.exact && S.num == 1 && S.den == 8);
  try
    zonixmex('volume', struct('V', [0 0; 1 0; 0 1]), 3);
    id = 'none';
  catch err
    id = err.identifier;
  end
  assert(strcmp(id, 'zonix:volume:usage') || strcmp(id, 'zonix:volume:badOption'), id);

  % Random rational polytopes (coordinates k/q, q up to 3) in 2 to 5
  % dimensions: normaliz's lattice normalized volume is d! times ours.
  [status, ~] = system('command -v normaliz');
  assert(status == 0, 'normaliz is missing: run scripts/setup');
  rand('seed', 11);
  dir = tempname();
  mkdir(dir);
  cleanup = onCleanup(@() rmdir(dir, 's'));
  for t = 1:10
    d = 2 + mod(t, 4);
    q = 1 + mod(t, 3);
    P = zpoly('V', zeros(0, d));
    while dim(P) < d
      X = (round(6 * rand(d + 4, d)) - 3) / q;
      P = zpoly('V', X);
    end
    [~, num, den] = volume(P);
    lattice = normaliz_volume(X, q, fullfile(dir, sprintf('p%d', t)));
    % num/den = lattice/d!, compared in integers
    assert(num * factorial(d) * lattice(2) == lattice(1) * den, ...
           'polytope %d: %d/%d against normaliz %d/%d', t, num, den, lattice(1), lattice(2));
  end
end

function v = normaliz_volume(X, q, stem)
  % [p r]: normaliz's lattice normalized volume p/r of conv(rows of X),
  % X = integers / q.
  f = fopen([stem '.in'], 'w');
  fprintf(f, 'amb_space %d\nvertices %d\n', columns(X), rows(X));
  fprintf(f, [repmat('%d ', 1, columns(X)) '%d\n'], [round(X * q), q * ones(rows(X), 1)]');
  fclose(f);
  [status, out] = system(sprintf('normaliz -V "%s.in" 2>&1', stem));
  assert(status == 0, 'normaliz failed: %s', out);
  text = fileread([stem '.out']);
  m = regexp(text, 'volume \(lattice normalized\) = (\d+)(?:/(\d+))?', 'tokens', 'once');
  assert(~isempty(m), 'no volume in normaliz output');
  v = [str2double(m{1}), 1];
  if numel(m) > 1 && ~isempty(m{2})
    v(2) = str2double(m{2});
  end
end
