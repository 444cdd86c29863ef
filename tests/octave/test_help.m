function test_help()
  % `help zonixmex` shows every command the module answers to.
  text = evalc('help zonixmex');
  names = {'hull', 'extreme', 'reduce_h', 'reduce_v', 'copy_v', 'copy_h', ...
           'v_hull_extreme', 'adj_extreme', 'adjacency', 'solve_lp', 'solve_lp_DS', ...
           'find_interior', 'find_interior_DS', 'project', 'linearity', ...
           'strong_redundancy', 'version'};
  for k = 1:numel(names)
    assert(~isempty(regexp(text, ['zonixmex\(''' names{k} ''''], 'once')), ...
           'command %s is not in the help text', names{k});
    [id, ~] = zonix_error(0, names{k});
    assert(~strcmp(id, 'zonix:zonixmex:unknownFunction'), '%s is not a command', names{k});
  end
  % find_interior's help says how to read t for full, flat and empty sets.
  for phrase = {'t > 0', 't = 0', 't < 0', 'the set is flat', 'the set is empty'}
    assert(~isempty(strfind(text, phrase{1})), 'help lacks "%s"', phrase{1});
  end
  % zpoly's help names every method.
  text = evalc('help zpoly');
  for m = {'minHRep', 'minVRep', 'dim', 'isEmptySet', 'isBounded', 'isFullDim', 'affineHull', ...
           'contains', 'chebyCenter', 'interiorPoint', 'projection', 'intersect', 'plus', ...
           'minus', 'convexHull', 'affineMap', 'invAffineMap', 'support', 'extremePoint', ...
           'outerApprox', 'volume', 'facetAdjacency', 'vertexAdjacency', 'hstruct', 'vstruct', 'plot'}
    assert(~isempty(strfind(text, m{1})) && ismethod(zpoly(), m{1}), 'zpoly: %s', m{1});
  end
end
