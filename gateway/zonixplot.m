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
  %   its vertices in cyclic order; a flat polyhedron (a polygon, a segment
  %   or a point) is one patch.  h holds the patch handles, one per facet.
  %   Without hold on the axes are cleared first, and a 3-D plot gets the
  %   default 3-D view.  Other name/value pairs, or fields of the struct opts,
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

  face_color = [0.35 0.55 0.85];   % light enough for the edges to show
  hh = zeros(numel(faces), 1);
  ax = newplot();
  % gnuplot fills 3-D polygons only as triangles: there a facet is a fan
  % of triangles without edges, and its outline a line in the edge colour.
  fan = d == 3 && exist('OCTAVE_VERSION', 'builtin') && ...
        strcmp(get(ancestor(ax, 'figure'), '__graphics_toolkit__'), 'gnuplot');
  for k = 1:numel(faces)
    Y = cyclic(faces{k});
    n = size(Y, 1);
    if fan && n > 3
      hh(k) = patch('Parent', ax, 'Vertices', Y, ...
                    'Faces', [ones(n - 2, 1), (2:n - 1)', (3:n)'], ...
                    'FaceColor', face_color, props{:});
      edge = get(hh(k), 'EdgeColor');
      set(hh(k), 'EdgeColor', 'none');
      if isnumeric(edge)
        line(Y([1:n 1], 1), Y([1:n 1], 2), Y([1:n 1], 3), 'Parent', ax, ...
             'Color', edge, 'LineWidth', get(hh(k), 'LineWidth'));
      end
    else
      hh(k) = patch('Parent', ax, 'Vertices', Y, 'Faces', 1:n, ...
                    'FaceColor', face_color, props{:});
    end
  end
  if d == 3 && ~ishold(ax)
    view(ax, 3);
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

function Y = cyclic(Y)
  % Facets are convex and flat: sorting by angle about the centre in their
  % own plane puts the vertices in cyclic order.
  Z = Y - mean(Y, 1);
  [~, ~, W] = svd(Z);
  [~, order] = sort(atan2(Z * W(:, 2), Z * W(:, 1)));
  Y = Y(order, :);
end
