function test_measured()
  % Measured data (numbers that are no integers) in the default mode: the
  % round trips users write give back the input's own extreme rows and
  % facets, thin sets keep their vertices, and a tolerance can be chosen.
  % The expected extreme rows come from reduce_v in exact arithmetic, an LP
  % per point, not from a conversion.
  exact = struct('arithmetic', 'exact');
  for c = {[300 5 1], [1000 4 2], [60 8 3]}
    n = c{1}(1); d = c{1}(2);
    randn('seed', c{1}(3));
    Y = randn(n, d);
    R = zonixmex('reduce_v', struct('V', Y), exact);
    W = zonixmex('v_hull_extreme', struct('V', Y));
    % Y's own rows, bit for bit.
    assert(isequal(sortrows(W.V), sortrows(R.V)), 'v_hull_extreme of %d points in %d-D', n, d);
    % The 8-D hull has thousands of facets on each vertex: its vertices
    % come from LPs, not from the double description method.
    V = zonixmex('extreme', zonixmex('hull', struct('V', Y)));
    assert(rows(V.V) == rows(R.V) && isempty(V.R));
    assert(max(max(abs(sortrows(V.V) - sortrows(R.V)))) < 1e-9, 'extreme(hull) in %d-D', d);
  end

  % Facets from their vertices: random halfspaces, each kept one up to a
  % positive factor, the redundant ones dropped (reduce_h in exact).
  % 200 in 6-D: thousands of vertices, from which the DD method would
  % build far more intermediate rows than facets.
  for c = {[40 3 4], [30 4 5], [200 6 7]}
    m = c{1}(1); d = c{1}(2);
    randn('seed', c{1}(3)); rand('seed', c{1}(3));
    A = randn(m, d);
    H = struct('A', A, 'B', ones(m, 1) + rand(m, 1));
    K = zonixmex('reduce_h', H, exact);
    G = zonixmex('hull', zonixmex('extreme', H));
    assert(rows(G.A) == rows(K.A) && isempty(G.lin));
    assert(max(max(abs(sortrows(unit_rows([G.A G.B])) - sortrows(unit_rows([K.A K.B]))))) < 1e-9);
  end

  % Boxes of widths w in x written with non-integer numbers: four vertices
  % and no implicit equation, however thin; the same box far from the
  % origin stays a box.
  for w = [1e-3 1e-5 1e-9 1e-11]
    for at = [0 0.5]
      H = struct('A', [1 0; -1 0; 0 1; 0 -1], 'B', [at + w; -at; 1.5; -0.25]);
      V = zonixmex('extreme', H);
      assert(rows(V.V) == 4, 'width %g at %g: %d vertices', w, at, rows(V.V));
      assert(isequal(sort(unique(V.V(:, 1)))', [at at + w]));
      assert(isempty(zonixmex('linearity', H)), 'width %g', w);
    end
  end

  % Facets rounded to 10 digits no longer meet in Y's vertices, not even
  % within the tolerance: the answer is then exact for the numbers as
  % given, each true vertex split into near copies.
  randn('seed', 6);
  Y = randn(50, 3);
  R = zonixmex('reduce_v', struct('V', Y), exact);
  H = zonixmex('hull', struct('V', Y));
  H10 = H;
  H10.A = str2num(num2str(H.A, 10)); H10.B = str2num(num2str(H.B, 10));
  V = zonixmex('extreme', H10);
  assert(rows(V.V) > rows(R.V));
  assert(all(min(reshape(max(abs(V.V - permute(R.V, [3 2 1])), [], 2), rows(V.V), []), [], 2) < 1e-6));
  assert(isequal(sortrows(zonixmex('extreme', H, struct('tolerance', 1e-9)).V), sortrows(zonixmex('extreme', H).V)));
  assert(strcmp(zonix_error(1, 'extreme', H, struct('tolerance', -1)), 'zonix:extreme:badOption'));
end

function U = unit_rows(M)
  U = M ./ sqrt(sum(M .^ 2, 2));
end
