function test_numbers()
  % Numbers at the ends of the double range reach every arithmetic without
  % stopping Octave.  x1 <= 2^1074 (a subnormal coefficient, 4.9e-324),
  % x2 <= 1, x1 + x2 >= 0, x2 <= 2: the last is redundant and never tight;
  % with x1 + x2 <= 0 instead, rows 3 and 4 are an equation.  V: the
  % origin, the rays e1 (as 2^-1074 e1), e2 and e1 + e2, the last a sum.
  s = 4.9e-324;
  H = struct('A', [s 0; 0 1; -1 -1; 0 1], 'B', [1; 1; 0; 2]);
  E = struct('A', [s 0; 0 1; -1 -1; 1 1], 'B', [1; 1; 0; 0]);
  V = struct('V', [0 0], 'R', [s 0; 0 1; 1 1]);
  for a = {'auto', 'exact'}
    o = struct('arithmetic', a{1});
    [~, r] = zonixmex('reduce_h', H, o);
    assert(isequal(r, 4), a{1});
    assert(isequal(zonixmex('strong_redundancy', H, o), 4), a{1});
    assert(isempty(zonixmex('linearity', H, o)), a{1});
    assert(isequal(zonixmex('linearity', E, o), [3 4]), a{1});
    [~, r] = zonixmex('reduce_v', V, o);
    assert(isequal(r, 4), a{1});  % rays are numbered after the point
    assert(isempty(zonixmex('linearity', V, o)), a{1});
  end
  % The interior-point LP's ceiling, twice the largest B, is no double for
  % B = 1e308: x1 <= 1e308, x2 <= 1, x1 + x2 >= 0 have the common slack
  % (1e308 + 1) / 3 at best, as the three slacks sum to 1e308 + 1.
  P = struct('A', [1 0; 0 1; -1 -1], 'B', [1e308; 1; 0]);
  for f = {'find_interior', 'find_interior_DS'}
    for a = {'auto', 'exact'}
      x = zonixmex(f{1}, P, struct('arithmetic', a{1}));
      assert(abs(x.xopt(3) / (1e308 / 3) - 1) < 1e-12, '%s %s', f{1}, a{1});
      slack = P.B - P.A * x.xopt(1:2);
      assert(all(slack > 0), '%s %s', f{1}, a{1});
    end
  end
end
