function test_reduce()
  % reduce_h and reduce_v: the worked examples, then random inputs against
  % GLPK (every removed row implied, every kept row needed) and qhull.
  %      A                  B             lin  removed
  T = {[1; 1; -1],          [1; 2; 0],    [],  2;      % x <= 2 below x <= 1
       [2 1; 2 1],          [3; 3],       [],  2;      % of twins the first stays
       [eye(2); -eye(2); 3 0], [1; 1; 0; 0; 3], [], 5; % a facet times 3
       [1; -1; 1],          [0; 0; 0],    3,   [1 2];  % the equation stays
       [eye(2); -eye(2)],   [1; 1; 0; 0], [],  zeros(1, 0)};
  for k = 1:rows(T)
    [A, B, lin, removed] = T{k, :};
    [H, r] = zonixmex('reduce_h', struct('A', A, 'B', B, 'lin', lin));
    kept = setdiff(1:rows(A), removed);
    assert(isequal(r, removed) && isequal(H.A, A(kept, :)) && isequal(H.B, B(kept)), 'case %d', k);
    assert(isequal(H.lin(:), reshape(find(ismember(kept, lin)), [], 1)));
    assert(isequal(zonixmex('reduce_h', struct('A', A, 'B', B, 'lin', lin)), H));
  end
  % The square's centre goes, first or last; a doubled ray goes (points
  % are numbered before rays), and vpos, rpos number the output.
  sq = [0 0; 1 0; 0 1; 1 1];
  [P, r] = zonixmex('reduce_v', struct('V', [sq; 0.5 0.5]));
  assert(r == 5 && isequal(P.V, sq) && isequal(P.vpos, (1:4)'));
  [~, r] = zonixmex('reduce_v', struct('V', [0.5 0.5; sq]));
  assert(r == 1);
  [P, r] = zonixmex('reduce_v', struct('V', [0 0], 'R', [1 0; 2 0; 0 1]));
  assert(r == 3 && isequal(P.R, [1 0; 0 1]) && isequal(P.rpos, [2; 3]));

  rand('seed', 7);
  for t = 1:25
    d = 2 + mod(t, 3);
    A = round(10 * (rand(6 + mod(3 * t, 10), d) - 0.5));
    A(all(A == 0, 2), 1) = 1;
    B = 5 + round(5 * rand(rows(A), 1));
    % implied rows: copies, a multiple, a loosened sum
    A = [A; A(1:2, :); 3 * A(3, :); A(4, :) + A(5, :)];
    B = [B; B(1:2); 3 * B(3); B(4) + B(5) + 2];
    [~, removed] = zonixmex('reduce_h', struct('A', A, 'B', B));
    kept = setdiff(1:rows(A), removed);
    assert(numel(removed) >= 4);
    for i = 1:rows(A)
      others = setdiff(kept, i);
      [~, f, err, extra] = glpk(-A(i, :)', A(others, :), B(others), -Inf(d, 1), [], ...
                                repmat('U', 1, numel(others)), repmat('C', 1, d), 1, struct('msglev', 0));
      implied = err == 0 && extra.status == 5 && -f <= B(i) + 1e-6 * max(abs(B));
      assert(implied == ismember(i, removed), 'trial %d row %d', t, i);
    end
    V = rand(8 + mod(5 * t, 20), d);
    V = [V; V(1:3, :); mean(V(1:3, :))];
    [~, removed] = zonixmex('reduce_v', struct('V', V));
    % qhull may name either copy of a vertex; the first one is kept.
    first = arrayfun(@(i) find(all(V == V(i, :), 2), 1), unique(convhulln(V)(:)));
    assert(isequal(setdiff(1:rows(V), removed), unique(first)'), 'trial %d', t);
  end
end
