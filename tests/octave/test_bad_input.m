function test_bad_input()
  % Every bad call is refused with its identifier, never accepted nor a
  % crash; the module's own fixed messages are checked once each.
  H = struct('A', [eye(2); -eye(2)], 'B', [1; 1; 0; 0]);
  V = struct('V', [0 0; 1 0; 0 1], 'R', [1 1]);
  LP = setfield(H, 'obj', [1 1]);
  rs = 'Input 1 must be a row vector string';
  uf = 'Unknown function';
  ex = 'extreme expects an H input struct and produces a V output struct';
  hu = 'hull expects a V input struct and produces an H output struct';
  li = 'linearity expects an H or V input struct and produces a row vector of its implicit linearity rows';
  T = {  % identifier after "zonix:", message ('' = any), outputs, inputs
    'zonixmex:notRowString', rs, 0, {};
    'zonixmex:notRowString', rs, 0, {''};
    'zonixmex:notRowString', rs, 0, {['hull'; 'copy']};
    'zonixmex:notRowString', rs, 0, {5};
    'zonixmex:unknownFunction', uf, 0, {'Version'};
    'zonixmex:unknownFunction', uf, 1, {'hull ', V};
    'zonixmex:unknownFunction', uf, 0, {char(zeros(1, 0))};
    'zonixmex:unknownFunction', uf, 0, {['version' char(0)]};
    'hull:library', sprintf(['ZONIX returned an error, see above(!) for details:\n*Input Error: V-representation is empty:\n' ...
                             '*dovavozu does not accept this trivial case for which output can be any inconsistent system.']), ...
                    1, {'hull', struct('V', zeros(0, 2))};
    % a malformed struct: the usage line, then what is wrong with which field
    'extreme:usage', [ex ': field B is missing (the struct has b; field names are case-sensitive)'], 1, {'extreme', struct('A', H.A, 'b', H.B)};
    'extreme:usage', [ex ': field A is missing'], 1, {'extreme', struct('B', H.B)};
    'extreme:usage', [ex ': field B must be a column (4x1), not 1x4'], 1, {'extreme', struct('A', H.A, 'B', H.B')};
    'extreme:usage', [ex ': field B must have one entry per row of A (4), not 3x1'], 1, {'extreme', struct('A', H.A, 'B', H.B(1:3))};
    'extreme:usage', [ex ': field A must be a matrix, not 4x2x2'], 1, {'extreme', struct('A', ones(4, 2, 2), 'B', H.B)};
    'extreme:usage', [ex ': the fields came as name/value pairs; give one struct, such as struct(''A'', A, ''B'', B) or struct(''V'', V)'], 1, {'extreme', 'A', H.A, 'B', H.B};
    'hull:usage', [hu ': field V is missing (the struct has v; field names are case-sensitive)'], 1, {'hull', struct('v', [0 0])};
    'hull:usage', [hu ': field R must be a matrix, not 1x2x2'], 1, {'hull', struct('V', [0 0], 'R', ones(1, 2, 2))};
    'linearity:usage', [li ': the struct has neither A and B nor V'], 1, {'linearity', struct('x', 1)};
    'linearity:usage', [li ': the struct has both A/B and V'], 1, {'linearity', struct('A', 1, 'B', 1, 'V', 1)};
    % malformed lin, in an H struct and in a V struct (only rays are lines)
    'copy_h:structArray', 'the struct must be 1x1, not a 1x2 struct array', 1, {'copy_h', [H H]};
    'copy_h:usage', '', 1, {'copy_h', struct('A', ones(2, 2, 2), 'B', [1; 1])};
    'copy_v:columnMismatch', '', 1, {'copy_v', struct('V', [1 2], 'R', [1 0 0])};
    'copy_h:fieldType', 'field A must be a real, full (non-sparse) double array, not int32', 1, {'copy_h', struct('A', int32(1), 'B', 1)};
    'solve_lp:fieldType', '', 1, {'solve_lp', setfield(LP, 'obj', [1 1i])};
    'copy_h:nonFinite', 'field A must hold finite numbers only; entry (2,1) is NaN', 1, {'copy_h', struct('A', [1; NaN], 'B', [1; 1])};
    'hull:nonFinite', '', 1, {'hull', setfield(V, 'R', [Inf 0])};
    'solve_lp:lpMatrix', 'Error in the setting of LP matrix.', 1, {'solve_lp', rmfield(LP, 'A')};
    'solve_lp:lpObjective', 'Error in the setting of LP objective.', 1, {'solve_lp', H};
    'solve_lp:usage', '', 2, {'solve_lp', LP};
    'find_interior:usage', '', 1, {'find_interior', H, 5};
    % options
    'extreme:badOption', 'unknown option ''method''; extreme takes progress, arithmetic, threads, tolerance', 1, {'extreme', H, struct('method', 'block')};
    'extreme:badOption', 'option arithmetic must be ''double'', ''exact'' or ''auto'', not ''rational''', 1, {'extreme', H, struct('arithmetic', 'rational')};
    'hull:badOption', '', 1, {'hull', V, struct('arithmetic', 'quad')};
    'reduce_h:badOption', '', 1, {'reduce_h', H, struct('arithmetic', 5)};
    'hull:badOption', 'option threads must be a whole number from 1 to 64', 1, {'hull', V, struct('threads', 0)};
    'solve_lp:badOption', '', 1, {'solve_lp', LP, struct('progress', 'yes')};
    'find_interior:badOption', '', 1, {'find_interior', H, struct('progress', 2)};
    'adj_extreme:badOption', '', 2, {'adj_extreme', H, struct('progress', {true, false})};
    'project:badOption', '', 1, {'project', H, 1, struct('method', 'simplex')};
    'project:badOption', '', 1, {'project', H, 1, struct('reduce', 'no')};
    'linearity:badOption', '', 1, {'linearity', H, struct('reduce', true)};
    % project: the variables to eliminate
    'project:badCols', 'cols(1) = 3 is not a variable number 1..2', 1, {'project', H, 3};
    'project:badCols', 'cols(2) = 1 repeats a variable', 1, {'project', H, [1 1]};
    'project:badCols', '', 1, {'project', H, 1.5};
    'project:badCols', 'cols must name at least one variable', 1, {'project', H, []};
    'project:usage', '', 1, {'project', V, 1};
    'strong_redundancy:usage', '', 1, {'strong_redundancy', struct('A', 1, 'B', 1, 'V', 1)};
  };
  bad_lin = {[1; 9], [1 2; 3 4], 0, -1, -Inf, 1.5, int32(1), NaN, Inf, 99, 1e20, ...
             true, 'a', {1}, 1i, sparse(1)};
  for k = 1:numel(bad_lin)
    T(end + 1, :) = {'extreme:badLin', '', 1, {'extreme', setfield(H, 'lin', bad_lin{k})}};
    rays = bad_lin{k};  % the same mistakes where rows 1..3 are points
    if isnumeric(rays) && ~issparse(rays), rays = rays + 3; end
    T(end + 1, :) = {'reduce_v:badLin', '', 1, {'reduce_v', setfield(V, 'lin', rays)}};
  end
  T(end + 1, :) = {'hull:badLin', 'Error in the lineality vector: lin(1) = 1 is a point; only rays can be lines', 1, {'hull', setfield(V, 'lin', 1)}};
  T(end + 1, :) = {'copy_h:badLin', 'Error in the lineality vector: lin(2) = 5 is not a row number 1..4', 1, {'copy_h', setfield(H, 'lin', [1 5])}};
  % argument counts and kinds of every command: no input, one too many,
  % too many outputs, a non-struct; the usage texts are the module's own
  usage = {
    'hull', 'hull expects a V input struct and produces an H output struct', V, 1;
    'extreme', 'extreme expects an H input struct and produces a V output struct', H, 1;
    'v_hull_extreme', 'v_hull_extreme expects a V input struct and produces a V output struct', V, 1;
    'adj_extreme', 'adj_extreme expects an H input struct and produces a V output struct and the adjacency struct', H, 2;
    'adjacency', 'adjacency expects a V input struct and produces the adjacency cell array of its rows', V, 1;
    'reduce_h', 'reduce_h expects an H input struct and produces a H output struct and an optional vector of removed rows', H, 2;
    'reduce_v', 'reduce_v expects an V input struct and produces a V output struct and an optional vector of removed vertices', V, 2;
    'copy_h', 'copy_h expects a H input struct and produces a H output struct', H, 1;
    'copy_v', 'copy_v expects a V input struct and produces a V output struct', V, 1;
    'linearity', 'linearity expects an H or V input struct and produces a row vector of its implicit linearity rows', H, 1;
    'strong_redundancy', 'strong_redundancy expects an H or V input struct and produces a row vector of its strongly redundant rows and an optional weak adjacency cell array', V, 2};
  for k = 1:rows(usage)
    [cmd, text, good, nout] = usage{k, :};
    T(end + 1, :) = {[cmd ':usage'], text, 1, {cmd}};
    T(end + 1, :) = {[cmd ':usage'], text, nout, {cmd, good, good, good}};
    T(end + 1, :) = {[cmd ':usage'], text, nout + 1, {cmd, good}};
    T(end + 1, :) = {[cmd ':usage'], text, nout, {cmd, [1 2]}};
  end
  T(end + 1, :) = {'project:usage', 'project expects an H input struct and a vector of variable numbers and produces an H output struct', 1, {'project', H}};
  T(end + 1, :) = {'solve_lp:usage', 'solve_lp expects an LP struct with fields A, B, obj and optional lin and produces an LP result struct', 1, {'solve_lp'}};
  T(end + 1, :) = {'find_interior:usage', 'find_interior expects an H input struct and produces an LP result struct', 1, {'find_interior'}};

  for k = 1:rows(T)
    [id, msg] = zonix_error(T{k, 3}, T{k, 4}{:});
    assert(strcmp(id, ['zonix:' T{k, 1}]), 'case %d: expected %s, got "%s" (%s)', k, T{k, 1}, id, msg);
    assert(isempty(T{k, 2}) || strcmp(msg, T{k, 2}), 'case %d: message "%s"', k, msg);
  end
  printf('%d bad inputs refused\n', rows(T));
end
