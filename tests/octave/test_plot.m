function test_plot()
  % zonixplot: one patch per facet in 3-D with the vertices in cyclic order,
  % one polygon in 2-D cut to the box; the figures print headless to PNG.
  warning('off', 'Octave:gnuplot-graphics');
  graphics_toolkit('gnuplot');
  fig = figure('visible', 'off');
  tmp = tempname();
  cleanup = onCleanup(@() delete([tmp '*']));

  % Unit cube from its vertices: 6 squares whose consecutive corners differ
  % in one coordinate.  Octahedron |x| + |y| + |z| <= 1: 8 triangles.
  h = zonixplot(struct('V', dec2bin(0:7) - '0'));
  square = @(Y) isequal(sum(abs(diff(Y([1:end 1], :))), 2), ones(4, 1));
  assert(numel(h) == 6 && all(cellfun(square, get(h, 'Vertices'))));
  h = zonixplot(struct('A', dec2bin(0:7) * 2 - 97, 'B', ones(8, 1)), 'FaceAlpha', 0.5);
  assert(numel(h) == 8 && all(cellfun(@rows, get(h, 'Vertices')) == 3));
  print(fig, [tmp '3d.png'], '-dpng');

  % Unbounded, cut to the box: x, y >= 0, x + y >= 1 to a pentagon; the
  % strip 0 <= y <= 1 (a line along x) and the cone x, y >= 0 to squares.
  % The sides the box cut (x = 3 and y = 3; x = -1 and 1; x = 2 and y = 2)
  % are dashed; the polyhedron's own edges are not, even where they lie
  % on the box (y = 0 of the first).
  cases = {struct('A', [-1 0; 0 -1; -1 -1], 'B', [0; 0; -1]), [0 3], [1 0; 3 0; 3 3; 0 3; 0 1]
           struct('V', [0 0; 0 1], 'R', [1 0], 'lin', 3), [-1 1; -1 1], [-1 0; 1 0; 1 1; -1 1]
           struct('A', -eye(2), 'B', [0; 0]), [-1 2], [0 0; 2 0; 2 2; 0 2]};
  for k = 1:rows(cases)
    h = zonixplot(cases{k, 1}, struct('box', cases{k, 2}, 'EdgeColor', 'r'));
    assert(isscalar(h) && isequal(sortrows(round(get(h, 'Vertices') * 1e6) / 1e6), sortrows(cases{k, 3})), 'case %d', k);
    dashed = findobj(gca, 'type', 'line', 'linestyle', '--');
    assert(numel(dashed) == 2, 'case %d: %d dashed edges', k, numel(dashed));
    assert(strcmp(get(get(gca, 'xlabel'), 'string'), 'x_1') && strcmp(get(get(gca, 'ylabel'), 'string'), 'x_2'));
  end
  print(fig, [tmp '2d.png'], '-dpng');
  % The octant cut to [-1,2]^3: three open faces, more transparent than the
  % three of its own; each facet shaded by its own normal, so the three
  % closed ones differ in colour.
  h = zonixplot(struct('A', -eye(3), 'B', zeros(3, 1)), 'box', [-1 2]);
  alpha = cell2mat(get(h, 'FaceAlpha'));
  assert(numel(h) == 6 && nnz(alpha < 0.5) == 3 && nnz(alpha > 0.8) == 3);
  colours = cell2mat(get(h(alpha > 0.8), 'FaceColor'));
  assert(rows(unique(round(colours * 1e6), 'rows')) == 3);
  assert(strcmp(get(get(gca, 'zlabel'), 'string'), 'x_3'));
  print(fig, [tmp '3dopen.png'], '-dpng');
  info = dir([tmp '*.png']);
  assert(numel(info) == 3 && all([info.bytes] > 1000), 'PNG files missing or empty');

  % Translucent facets print translucent: with FaceAlpha 0.3 the white
  % behind the cube shows through, so its pixels are far lighter than
  % opaque ones (the facets' blue has a red part of at most 0.35).
  shade = zeros(1, 2);
  for a = [1 0.3]
    clf;
    h = zonixplot(struct('V', dec2bin(0:7) - '0'), 'FaceAlpha', a, 'EdgeColor', 'none');
    axis off;
    print(fig, [tmp 'alpha.png'], '-dpng', '-r40');
    I = double(imread([tmp 'alpha.png']));
    if max(I(:)) <= 1
      I = 255 * I;
    end
    red = I(:, :, 1);
    drawn = sum(I, 3) < 3 * 250;
    assert(nnz(drawn) > 100, 'alpha %g: the cube is missing', a);
    shade(1 + (a < 1)) = median(red(drawn));
  end
  assert(shade(1) < 0.4 * 255 && shade(2) > shade(1) + 60, 'red part: opaque %g, translucent %g', shade(1), shade(2));
  assert(all(cell2mat(get(h, 'FaceAlpha')) == 0.3));
  % The handles still set what is drawn.
  set(h, 'FaceColor', [1 0 0], 'FaceAlpha', 0.7);
  skins = findobj(gca, 'type', 'surface');
  assert(numel(skins) == 6 && isequal(unique(cell2mat(get(skins, 'FaceColor')), 'rows'), [1 0 0]) && ...
         all(cell2mat(get(skins, 'FaceAlpha')) == 0.7));

  % zpoly draws through zonixplot: the cube's six facets.
  clf;
  h = plot(zpoly('A', [eye(3); -eye(3)], 'b', ones(6, 1)));
  assert(numel(h) == 6);

  bad = {{struct('A', ones(1, 4), 'B', 1)}, 'dimension'; {[1 2]}, 'usage'
         {struct('A', [1 0; -1 0], 'B', [0; -1])}, 'empty'; {struct('V', [0 0]), 'box', [2 3]}, 'outsideBox'
         {struct('V', [0 0]), 'box', [1 0]}, 'badBox'; {struct('V', [0 0]), 'box'}, 'badOption'};
  for k = 1:rows(bad)
    try, zonixplot(bad{k, 1}{:}); id = 'none'; catch err, id = err.identifier; end
    assert(strcmp(id, ['zonix:plot:' bad{k, 2}]), 'case %d: error %s', k, id);
  end
end
