function test_plot()
  % zonixplot: one patch per facet in 3-D with the vertices in cyclic order,
  % one polygon in 2-D cut to the box, and figures that print headless.
  warning('off', 'Octave:gnuplot-graphics');
  graphics_toolkit('gnuplot');
  confirm_recursive_rmdir(false);
  tmp = tempname();
  mkdir(tmp);
  cleanup = onCleanup(@() rmdir(tmp, 's'));
  fig = figure('visible', 'off');

  % Unit cube from its 8 vertices: 6 squares whose consecutive corners
  % differ in one coordinate; octahedron |x|+|y|+|z| <= 1: 8 triangles.
  h = zonixplot(struct('V', dec2bin(0:7) - '0'));
  assert(numel(h) == 6);
  for k = 1:6
    Y = get(h(k), 'Vertices');
    assert(size(Y, 1) == 4 && all(sum(abs(diff(Y([1:4 1], :))), 2) == 1));
  end
  h = zonixplot(struct('A', dec2bin(0:7) * 2 - 97, 'B', ones(8, 1)), 'FaceAlpha', 0.5);
  assert(numel(h) == 8 && all(arrayfun(@(g) size(get(g, 'Vertices'), 1), h) == 3));
  print(fig, fullfile(tmp, 'octahedron.png'), '-dpng');

  % x >= 0, y >= 0, x + y >= 1: unbounded; cut to [0 3]^2 it is a pentagon.
  % The strip 0 <= y <= 1 (a line along x) cut to [-1 1]^2 is a square.
  hand = {[1 0; 3 0; 3 3; 0 3; 0 1], [-1 0; 1 0; 1 1; -1 1]};
  sets = {struct('A', [-1 0; 0 -1; -1 -1], 'B', [0; 0; -1]), ...
          struct('V', [0 0; 0 1], 'R', [1 0], 'lin', 3)};
  boxes = {struct('box', [0 3]), struct('box', [-1 1; -1 1], 'EdgeColor', 'r')};
  for k = 1:2
    h = zonixplot(sets{k}, boxes{k});
    Y = get(h, 'Vertices');
    assert(isscalar(h) && isequal(sortrows(round(Y * 1e6) / 1e6), sortrows(hand{k})));
  end
  print(fig, fullfile(tmp, 'strip.png'), '-dpng');
  for name = {'octahedron.png', 'strip.png'}
    info = dir_entry(fullfile(tmp, name{1}));
    assert(info.bytes > 1000, '%s is empty', name{1});
  end

  bad = {{struct('A', ones(1, 4), 'B', 1)}, 'dimension'; ...
         {struct('A', [1 0; -1 0], 'B', [0; -1])}, 'empty'; ...
         {struct('V', [0 0]), 'box', [2 3]}, 'outsideBox'; ...
         {struct('V', [0 0]), 'box', [1 0]}, 'badBox'; ...
         {struct('V', [0 0]), 'box'}, 'badOption'; {[1 2]}, 'usage'};
  for k = 1:size(bad, 1)
    id = 'none';
    try
      zonixplot(bad{k, 1}{:});
    catch err
      id = err.identifier;
    end
    assert(strcmp(id, ['zonix:plot:' bad{k, 2}]), 'case %d: error %s', k, id);
  end
end

function info = dir_entry(file)
  info = dir(file);
  assert(isscalar(info), '%s was not written', file);
end
