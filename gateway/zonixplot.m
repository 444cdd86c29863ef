function h = zonixplot(P, varargin)
  % ZONIXPLOT  Draw a convex polyhedron in 2 or 3 dimensions.
  %
  %   h = zonixplot(P)
  %   h = zonixplot(P, 'box', BOX, name, value, ...)
  %   h = zonixplot(P, opts)
  %
  %   P is an H struct or a V struct, as for zonixmex:
  %     H struct: A (m x d), B (m x 1), optional lin (rows holding with
  %               equality): the set {x : A*x <= B}
  %     V struct: V (p x d points), optional R (q x d rays) and lin (row
  %               numbers, points 1..p then rays p+1..p+q, or as in rpos when
  %               P comes from zonixmex, of the rays that are lines)
  %   with d = 2 or 3.
  %
  %   The polyhedron is cut to a box, so an unbounded one shows as far as the
  %   box reaches.  BOX is a d x 2 matrix [lo hi], one row per coordinate, or
  %   a single row [lo hi] for every coordinate.  The default box holds every
  %   vertex and reaches past them along each ray and line, with a margin, so
  %   a bounded polyhedron is drawn whole.
  %
  %   In 2-D the polygon is one patch.  In 3-D each facet is one patch with
  %   its vertices in cyclic order, shaded by its angle to a light above
  %   the viewer and a little transparent (FaceAlpha 0.85), its edges
  %   drawn; a flat polyhedron (a polygon, a segment or a point) is one
  %   patch.  Sides that the box cut, where an unbounded polyhedron goes on,
  %   are drawn open: lighter, more transparent, with dashed edges.  h holds
  %   the patch handles, one per facet.  Without hold on the axes are
  %   cleared first and labelled x_1, x_2 (, x_3), and a 3-D plot gets the
  %   default 3-D view.  All of it prints with print -dpng, the gnuplot
  %   toolkit included; there each facet is filled by a surface (gnuplot
  %   draws 3-D patches opaque), which follows its patch's FaceColor and
  %   FaceAlpha, and one transparency holds for the whole plot (gnuplot
  %   takes the last one set).  Other name/value pairs, or fields of the struct opts,
  %   go to patch: 'FaceColor', 'FaceAlpha', 'EdgeColor', ...
  %
  %   Examples
  %     cube = struct('V', dec2bin(0:7) - '0');
  %     h = zonixplot(cube, 'FaceAlpha', 0.6);        % six patches
  %     quadrant = struct('A', -eye(2), 'B', [0; 0]);   % x >= 0, y >= 0
  %     zonixplot(quadrant, 'box', [-1 3])
  %
  %   Errors: zonix:plot:usage (P is not an H or V struct), zonix:plot:dimension
  %   (d is not 2 or 3), zonix:plot:empty (P has no point),
  %   zonix:plot:outsideBox (the box misses P), zonix:plot:badBox,
  %   zonix:plot:badLin, zonix:plot:badOption; zonixmex's own errors pass
  %   through.
  %
  %   See also zonixmex, patch.

  if nargin < 1 || ~isstruct(P) || numel(P) ~= 1 || ...
     ~(all(isfield(P, {'A', 'B'})) || isfield(P, 'V'))
    error('zonix:plot:usage', ...
          'zonixplot expects an H struct (A, B) or a V struct (V, R) and options');
  end
  [box, props] = options(varargin);
  if isfield(P, 'V')
    d = size(P.V, 2);
    if d == 0 && isfield(P, 'R')   % V = [] beside rays: a cone
      d = size(P.R, 2);
    end
  else
    d = size(P.A, 2);
  end
  if d ~= 2 && d ~= 3
    error('zonix:plot:dimension', 'zonixplot draws 2-D and 3-D polyhedra, not %d-D', d);
  end

  % A cone comes and goes as rays alone (B = 0, or V without points): its
  % apex is the origin.
  if isfield(P, 'V')
    [pts, dirs] = generators(P);
    if isempty(pts) && ~isempty(dirs)
      pts = zeros(1, d);
    end
    if isempty(pts)
      error('zonix:plot:empty', 'the polyhedron is empty: V has no point');
    end
    H = zonixmex('hull', struct('V', pts, 'R', dirs));
  else
    H = P;
    [pts, dirs] = generators(zonixmex('extreme', P));
    if isempty(pts) && isnumeric(P.B) && all(P.B(:) == 0)
      pts = zeros(1, d);
    end
    if isempty(pts)
      error('zonix:plot:empty', 'the polyhedron is empty: no x satisfies A*x <= B');
    end
  end
  box = check_box(box, pts, dirs, d);

  lin = [];
  if isfield(H, 'lin')
    lin = H.lin;
  end
  cut = zonixmex('extreme', struct('A', [H.A; eye(d); -eye(d)], ...
                                   'B', [H.B; box(:, 2); -box(:, 1)], 'lin', lin));
  X = cut.V;
  if isempty(X)
    error('zonix:plot:outsideBox', 'the box does not meet the polyhedron');
  end

  % Cut vertices come out of a computation at tolerance 1e-7: incidence is
  % decided a little more loosely, relative to the size of the numbers.
  tol = 1e-6 * max(1, max(abs(X(:))));
  faces = {X};
  if d == 3 && rank(X - mean(X, 1), tol) == 3
    F = zonixmex('hull', struct('V', X));
    on = abs(F.A * X' - F.B) <= tol * sqrt(sum(F.A .^ 2, 2));
    on(F.lin, :) = [];
    on = unique(on(sum(on, 2) >= 3, :), 'rows', 'stable');
    faces = cell(size(on, 1), 1);
    for k = 1:size(on, 1)
      faces{k} = X(on(k, :), :);
    end
  end

  % Sides the box made, not the polyhedron: they are drawn open (lighter,
  % dashed outline), so an unbounded set does not look closed.
  Hrows = [H.A H.B];
  Hrows = Hrows ./ max(sqrt(sum(H.A .^ 2, 2)), eps);
  open_side = @(Y) cut_by_box(Y, box, Hrows, tol);

  face_color = [0.35 0.55 0.85];   % light enough for the edges to show
  user_color = any(strcmpi(props(1:2:end), 'FaceColor'));
  user_alpha = any(strcmpi(props(1:2:end), 'FaceAlpha'));
  hh = zeros(numel(faces), 1);
  ax = newplot();
  held = ishold(ax);
  % gnuplot fills 3-D polygons only as triangles, and opaque: there a facet
  % is a surface made of a fan of triangles, and its outline a line in the
  % edge colour.
  fan = d == 3 && exist('OCTAVE_VERSION', 'builtin') && ...
        strcmp(get(ancestor(ax, 'figure'), '__graphics_toolkit__'), 'gnuplot');
  % Lighting is done here, one shade per facet from a light above and
  % behind the viewer, so it shows in every toolkit and in print.
  light_dir = [-0.4 -0.6 0.7] / norm([-0.4 -0.6 0.7]);
  for k = 1:numel(faces)
    [Y, normal] = cyclic(faces{k});
    n = size(Y, 1);
    is_open = open_side(Y);
    color = face_color;
    if d == 3 && numel(normal) == 3
      color = face_color * (0.55 + 0.45 * abs(normal * light_dir'));
    end
    if is_open
      color = 0.6 * color + 0.4;
    end
    extra = {};
    if d == 3 && ~user_alpha
      extra = {'FaceAlpha', 0.85 - 0.45 * is_open};
    elseif d == 2 && is_open && ~user_alpha
      extra = {'FaceAlpha', 0.6};
    end
    if user_color
      extra = [{'FaceColor', face_color}, extra]; %#ok<AGROW>
    else
      extra = [{'FaceColor', color}, extra]; %#ok<AGROW>
    end
    if fan
      % gnuplot fills 3-D patches opaque but honours a surface's
      % FaceAlpha: the facet is drawn as a surface (a fan of triangles,
      % each a quad with two equal corners), and the patch, kept for its
      % handle, is hidden and passes its colour and transparency on.
      hh(k) = patch('Parent', ax, 'Vertices', Y, ...
                    'Faces', [ones(n - 2, 1), (2:n - 1)', (3:n)'], ...
                    extra{:}, props{:});
      skin = surface(ax, [Y(ones(1, n - 1), 1)'; Y(2:n, 1)'], [Y(ones(1, n - 1), 2)'; Y(2:n, 2)'], ...
                     [Y(ones(1, n - 1), 3)'; Y(2:n, 3)'], 'EdgeColor', 'none', ...
                     'FaceColor', get(hh(k), 'FaceColor'), 'FaceAlpha', get(hh(k), 'FaceAlpha'));
      set(hh(k), 'Visible', 'off');
      addlistener(hh(k), 'FaceColor', @(src, varargin) set(skin, 'FaceColor', get(src, 'FaceColor')));
      addlistener(hh(k), 'FaceAlpha', @(src, varargin) set(skin, 'FaceAlpha', get(src, 'FaceAlpha')));
      edge = get(hh(k), 'EdgeColor');
      if isnumeric(edge)
        line(Y([1:n 1], 1), Y([1:n 1], 2), Y([1:n 1], 3), 'Parent', ax, ...
             'Color', edge, 'LineWidth', get(hh(k), 'LineWidth'), ...
             'LineStyle', ifelse(is_open, '--', '-'));
      end
    else
      hh(k) = patch('Parent', ax, 'Vertices', Y, 'Faces', 1:n, extra{:}, props{:});
      if is_open && d == 3
        set(hh(k), 'LineStyle', '--');
      end
    end
    if d == 2
      % The polygon's edges that the box made, dashed over the outline.
      Z = Y([1:n 1], :);
      edge = get(hh(k), 'EdgeColor');
      if ~isnumeric(edge)
        edge = [0 0 0];
      end
      for e = 1:n
        if open_side(Z(e:e + 1, :))
          line(Z(e:e + 1, 1), Z(e:e + 1, 2), 'Parent', ax, 'Color', 0.5 * edge + 0.5, ...
               'LineStyle', '--', 'LineWidth', 1.5);
        end
      end
    end
  end
  if ~held
    xlabel(ax, 'x_1');
    ylabel(ax, 'x_2');
    if d == 3
      zlabel(ax, 'x_3');
      view(ax, 3);
    end
  end
  if nargout > 0
    h = hh;
  end
end

function [box, props] = options(args)
  if numel(args) == 1 && isstruct(args{1}) && numel(args{1}) == 1
    args = reshape([fieldnames(args{1}), struct2cell(args{1})]', 1, []);
  end
  if mod(numel(args), 2) ~= 0 || ~all(cellfun(@ischar, args(1:2:end)))
    error('zonix:plot:badOption', ...
          'options come as name/value pairs or as one struct');
  end
  isbox = strcmpi(args(1:2:end), 'box');
  box = [];
  if any(isbox)
    box = args{2 * find(isbox, 1, 'last')};
  end
  props = args(~kron(isbox, [1 1]));
end

function [pts, dirs] = generators(G)
  % Points and directions of a V struct, each line as two opposite rays.
  pts = G.V;
  R = zeros(0, size(pts, 2));
  if isfield(G, 'R') && ~isempty(G.R)
    R = G.R;
  end
  lines = [];
  if isfield(G, 'lin') && ~isempty(G.lin)
    num = size(pts, 1) + (1:size(R, 1));
    if isfield(G, 'rpos') && numel(G.rpos) == size(R, 1)
      num = G.rpos(:)';
    end
    [found, lines] = ismember(G.lin(:)', num);
    if ~all(found)
      error('zonix:plot:badLin', 'lin must list rows of R, the lines');
    end
  end
  dirs = [R; -R(lines, :)];
  if isempty(dirs)
    dirs = zeros(0, size(pts, 2));
  end
end

function box = check_box(box, pts, dirs, d)
  if isempty(box)
    % Far enough along every direction to show it beside the vertices.
    reach = max([max(pts, [], 1) - min(pts, [], 1), 1]);
    dirs = dirs(any(dirs, 2), :);
    dirs = dirs ./ max(abs(dirs), [], 2);
    ends = pts;
    for k = 1:size(dirs, 1)
      ends = [ends; pts + reach * dirs(k, :)]; %#ok<AGROW>
    end
    lo = min(ends, [], 1);
    hi = max(ends, [], 1);
    % A tenth of the widest side; a point gets a small box of its own.
    margin = 0.1 * max([hi - lo, 1e-3 * max(abs([lo hi])), 1e-3]);
    box = [lo' - margin, hi' + margin];
    return
  end
  if isnumeric(box) && isreal(box) && isequal(size(box), [1 2])
    box = repmat(double(box), d, 1);
  end
  if ~isnumeric(box) || ~isreal(box) || ~isequal(size(box), [d 2]) || ...
     ~all(isfinite(box(:))) || any(box(:, 1) >= box(:, 2))
    error('zonix:plot:badBox', ...
          'box must be finite [lo hi] with lo < hi: one row, or one row per coordinate (%d)', d);
  end
  box = double(box);
end

function [Y, normal] = cyclic(Y)
  % Facets are convex and flat: sorting by angle about the centre in their
  % own plane puts the vertices in cyclic order.  normal: the unit normal
  % of that plane in 3-D (empty for fewer than three points).
  Z = Y - mean(Y, 1);
  [~, ~, W] = svd(Z);
  [~, order] = sort(atan2(Z * W(:, 2), Z * W(:, 1)));
  Y = Y(order, :);
  normal = [];
  if size(Y, 2) == 3 && size(Y, 1) >= 3
    normal = W(:, 3)';
  end
end

function t = cut_by_box(Y, box, Hrows, tol)
  % Whether the points Y lie on one side of the box and on no row of the
  % polyhedron itself.
  t = false;
  for j = 1:size(box, 1)
    for side = 1:2
      if all(abs(Y(:, j) - box(j, side)) <= tol)
        t = true;
      end
    end
  end
  if t && ~isempty(Hrows)
    on = all(abs(Hrows(:, 1:end - 1) * Y' - Hrows(:, end)) <= tol, 2);
    t = ~any(on);
  end
end

function v = ifelse(c, a, b)
  if c
    v = a;
  else
    v = b;
  end
end
