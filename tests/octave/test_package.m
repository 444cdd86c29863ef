function test_package()
  % The tarball of `make package` installs with pkg into a scratch prefix
  % (compiled there from source), and pkg load gives zonixmex, zonixplot and
  % their help in place of the build tree's module.
  root = fileparts(fileparts(fileparts(mfilename('fullpath'))));
  confirm_recursive_rmdir(false);
  tmp = tempname();
  mkdir(tmp);
  cleanup = onCleanup(@() rmdir(tmp, 's'));
  [status, out] = system(sprintf('"%s/package/make-tarball" "%s"', root, tmp));
  assert(status == 0, 'make-tarball failed: %s', out);

  % A compiler cache, where there is one, spares recompiling unchanged sources.
  if system('command -v ccache >/dev/null') == 0
    setenv('CXX', ['ccache ' strtrim(mkoctfile('-p', 'CXX'))]);
  end
  pkg('prefix', fullfile(tmp, 'share'), fullfile(tmp, 'arch'));
  pkg('local_list', fullfile(tmp, 'local_list'));
  pkg('global_list', fullfile(tmp, 'global_list'));
  rmpath(fileparts(which('zonixmex')));
  assert(isempty(which('zonixmex')));
  pkg('install', strtrim(out));
  pkg('load', 'zonix');
  for name = {'zonixmex', 'zonixplot'}
    assert(strncmp(which(name{1}), tmp, numel(tmp)), '%s is not the installed one', name{1});
  end
  assert(~isempty(strfind(evalc('help zonixmex'), 'H struct')));
  assert(~isempty(strfind(evalc('help zonixplot'), 'box')));
  P = zonixmex('extreme', struct('A', [eye(3); -eye(3)], 'B', ones(6, 1)));
  assert(isequal(sortrows(P.V), dec2bin(0:7) * 2 - 97));
end
