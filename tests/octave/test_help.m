function test_help()
  % `help zonixmex` documents every command the module answers to, and
  % only those.
  text = evalc('help zonixmex');
  assert(~isempty(strfind(text, 'H struct')) && ~isempty(strfind(text, 'V struct')));
  names = {'hull', 'extreme', 'reduce_h', 'reduce_v', 'copy_v', 'copy_h', ...
           'v_hull_extreme', 'adj_extreme', 'solve_lp', 'solve_lp_DS', ...
           'find_interior', 'find_interior_DS', 'version'};
  known = 0;
  for k = 1:numel(names)
    documented = ~isempty(regexp(text, ['zonixmex\(''' names{k} ''''], 'once'));
    if exists(names{k})
      known = known + 1;
      assert(documented, 'command %s is not in the help text', names{k});
    else
      assert(~documented, 'help text shows %s, which is not built', names{k});
    end
  end
  assert(known >= 3, 'only %d commands answered', known);
end

function yes = exists(name)
  % A command exists when calling it with nothing fails (or works) with
  % anything but "Unknown function".
  yes = true;
  try
    evalc('zonixmex(name)');
  catch err
    yes = ~strcmp(err.identifier, 'zonix:zonixmex:unknownFunction');
  end
end
