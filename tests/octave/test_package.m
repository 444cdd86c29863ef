function test_package()
  % `make package`'s tarball installs with pkg into a scratch prefix, built
  % there from source; pkg load then puts its zonixmex and zonixplot, with
  % their help, in place of the build tree's.
  root = fileparts(fileparts(fileparts(mfilename('fullpath'))));
  tmp = tempname();
  mkdir(tmp);
  cleanup = onCleanup(@() rmdir(tmp, 's'));
  [~, tarball] = system(sprintf('"%s/package/make-tarball" "%s"', root, tmp));
  if system('command -v ccache >/dev/null') == 0   % unchanged sources compile once
    setenv('CXX', ['ccache ' strtrim(mkoctfile('-p', 'CXX'))]);
  end
  pkg('prefix', fullfile(tmp, 'share'), fullfile(tmp, 'arch'));
  pkg('local_list', fullfile(tmp, 'local_list'));
  pkg('global_list', fullfile(tmp, 'global_list'));
  rmpath(fileparts(which('zonixmex')));
  pkg('install', strtrim(tarball));
  pkg('load', 'zonix');
  found = cellfun(@which, {'zonixmex', 'zonixplot', 'zpoly'}, 'UniformOutput', false);
  assert(all(strncmp(found, tmp, numel(tmp))), 'not the installed ones: %s %s %s', found{:});
  assert(any(strfind(evalc('help zonixmex'), 'H struct')) && any(strfind(evalc('help zonixplot'), 'box')));
  P = zonixmex('extreme', struct('A', [eye(3); -eye(3)], 'B', ones(6, 1)));
  assert(isequal(sortrows(P.V), dec2bin(0:7) * 2 - 97));
  % The class works from the package: the cube [-1,1]^3 and its octahedron
  % of facet centres, volumes 8 and 4/3.
  C = zpoly('A', [eye(3); -eye(3)], 'b', ones(6, 1));
  [v, num, den] = volume(C);
  assert(v == 8 && num == 8 && den == 1 && isBounded(C));
  [~, num, den] = volume(zpoly('V', [eye(3); -eye(3)]));
  assert(num == 4 && den == 3);
  % The licence travels with it.
  info = pkg('list', 'zonix');
  packinfo = fullfile(info{1}.dir, 'packinfo');
  assert(~isempty(strfind(fileread(fullfile(packinfo, 'COPYING')), 'MIT License')));
  assert(~isempty(regexp(fileread(fullfile(packinfo, 'DESCRIPTION')), '^License: MIT$', 'lineanchors')));
end
