function post_install(desc)
  % Octave reads a MEX file's help from the .m file beside it, but pkg puts
  % .m files and MEX files in different folders: move the help text over.
  arch = [__octave_config_info__('canonical_host_type'), '-', ...
          __octave_config_info__('api_version')];
  [ok, msg] = movefile(fullfile(desc.dir, 'zonixmex.m'), ...
                       fullfile(desc.archprefix, arch, 'zonixmex.m'));
  if ~ok
    error('zonix:package:help', 'cannot place the help of zonixmex: %s', msg);
  end
end
