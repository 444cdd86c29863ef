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
end
