function test_reduce()
  % reduce_h and reduce_v on worked examples; redund_oracle and
  % redund_scaled_oracle hold the library to redund on random inputs.
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
  % strong_redundancy's weak adjacency in the arithmetic asked for: the
  % triangle x, y >= 0, x + y <= 1 cut by x <= 1 - 2^-40.  By hand, each
  % row made an equation touches the two rows across its ends; y = 0 ends
  % at x = 1 - e, where x + y <= 1 keeps slack e, so row 3 is not beside 2.
  e = 2^-40;
  T = struct('A', [-1 0; 0 -1; 1 1; 1 0], 'B', [0; 0; 1; 1 - e]);
  for a = {'exact', 'auto'}
    [S, W] = zonixmex('strong_redundancy', T, struct('arithmetic', a{1}));
    assert(isempty(S), a{1});
    assert(isequal(cellfun(@(w) w(:)', W, 'UniformOutput', false), {[2 3]; [1 4]; [1 4]; [2 3]}), a{1});
  end
end
