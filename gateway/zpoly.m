classdef zpoly
  % ZPOLY  A convex polyhedron as a value: H form, V form, or both.
  %
  %   P = zpoly('A', A, 'b', b)                  {x : A*x <= b}
  %   P = zpoly('A', A, 'b', b, 'Ae', Ae, 'be', be)   ... and Ae*x = be
  %   P = zpoly('H', [A b], 'He', [Ae be])       the same, each as one matrix
  %   P = zpoly('V', V)                          convex hull of the rows of V
  %   P = zpoly('V', V, 'R', R, 'L', L)          ... plus the cone of the rows
  %                                              of R, plus the span of L
  %   P = zpoly(S)          from a zonixmex H struct (A, B, lin) or V struct
  %                         (V, R, lin); hstruct(P) and vstruct(P) give them back
  %   P = zpoly(..., 'options', opts)   default options of every computation
  %
  %   Points are rows of V (and of R, L); points given to contains, support,
  %   affineMap and the like are columns.  The other form is computed by
  %   zonixmex when first needed and kept, in the object and its copies.
  %
  %   Properties: Dim (the space's dimension), A, b, Ae, be, H = [A b],
  %   He = [Ae be], V, R, L.  They return the form as given; the other form
  %   comes in its minimal version (minHRep, minVRep).
  %
  %   Methods (opts: an optional last argument, a struct with the fields
  %   arithmetic, threads and progress that zonixmex takes):
  %     minHRep, minVRep      the same set by its facets and equations, or
  %                           by its vertices, extreme rays and a basis of
  %                           its lines
  %     dim                   dimension of the set (-1 when empty)
  %     isEmptySet, isBounded, isFullDim
  %     affineHull            [Ae be] of the affine hull
  %     contains(P, x)        for each column of x, whether P holds it (to
  %                           1e-7, relative); contains(P, Q) for Q a zpoly:
  %                           whether Q is a subset of P
  %     [x, r] = chebyCenter(P)   centre and radius of the largest ball in P
  %                           (inside the affine hull when P is flat); r is
  %                           -Inf for an empty and Inf for an unbounded ball
  %     x = interiorPoint(P)  a point of the relative interior
  %     projection(P, dims)   the coordinates dims, in that order
  %     P & Q, intersect      intersection
  %     P + Q, plus           Minkowski sum; P + t translates
  %     P - Q, minus          Pontryagin difference {x : x + Q in P}
  %     convexHull(P, Q, ...) hull of the union
  %     T * P, affineMap(P, T, t)   {T*x + t : x in P}
  %     invAffineMap(P, T, t)  {x : T*x + t in P}
  %     [h, x] = support(P, c)  max of c'*x over P and a point where it is
  %                           reached (h = Inf when unbounded, -Inf when empty)
  %     extremePoint(P, c)    that point
  %     [B, lb, ub] = outerApprox(P)   the bounding box
  %     [v, num, den] = volume(P)   see below
  %     facetAdjacency, vertexAdjacency   logical matrices over the rows of
  %                           minHRep(P).A and of [V; R] of minVRep(P)
  %     hstruct, vstruct      the zonixmex structs
  %     plot(P, ...)          zonixplot of P
  %
  %   volume: 0 for empty and flat sets, Inf for unbounded full-dimensional
  %   ones.  When the numbers P was made from are all integers or fractions
  %   (each the double nearest to p/q with q below 2^20), the volume is
  %   found exactly (zonixmex 'volume' on the rows scaled to integers: a
  %   triangulation of the certified vertices and facets, in integers):
  %   num/den is the volume as a fraction in lowest terms (int64 when they
  %   pass 2^53, doubles otherwise), and v the double nearest to it.  Where
  %   an integer would pass 2^62 num and den cannot be given: with
  %   arithmetic 'exact' that is the error zonix:zpoly:tooLarge, else v
  %   alone and num = den = [].  With arithmetic 'double', or for other
  %   numbers (measured data), v is computed in double precision over a
  %   triangulation, and num = den = [].
  %
  %   Example
  %     P = zpoly('A', [eye(2); -eye(2)], 'b', [1; 1; 1; 1]);   % a square
  %     Q = zpoly('V', [0 0; 1 0; 0 1]);                        % a triangle
  %     volume(P + Q)        % 6.5: Minkowski sum
  %     [x, r] = chebyCenter(P - Q)
  %
  %   See also zonixmex, zonixplot.

  properties (SetAccess = private)
    Dim = 0;   % dimension of the space
  end
  properties (Dependent, SetAccess = private)
    A
    b
    Ae
    be
    H
    He
    V
    R
    L
  end
  properties (Access = private)
    hin = [];    % the H form as given
    vin = [];    % the V form as given
    opts = struct();
    cache = [];
  end

  methods
    function P = zpoly(varargin)
      P.cache = zpoly_cache();
      if nargin == 0
        P.vin = struct('V', zeros(0, 0), 'R', zeros(0, 0), 'L', zeros(0, 0));
        return
      end
      if nargin == 1 && isa(varargin{1}, 'zpoly')
        P = varargin{1};
        return
      end
      if isstruct(varargin{1})
        P = from_struct(P, varargin{1});
        args = varargin(2:end);
      else
        args = varargin;
      end
      if mod(numel(args), 2) ~= 0 || ~all(cellfun(@ischar, args(1:2:end)))
        error('zonix:zpoly:usage', ...
              'zpoly takes name/value pairs (A, b, Ae, be, H, He, V, R, L, options) or a zonixmex struct');
      end
      f = struct();
      for k = 1:2:numel(args)
        name = args{k};
        known = {'A', 'b', 'Ae', 'be', 'H', 'He', 'V', 'R', 'L', 'options'};
        hit = strcmp(name, known);
        if ~any(hit)
          hit = strcmpi(name, known);
          if nnz(hit) ~= 1
            error('zonix:zpoly:usage', 'zpoly: unknown name ''%s''; zpoly takes %s', ...
                  name, strjoin(known, ', '));
          end
        end
        f.(known{hit}) = args{k + 1};
      end
      if isfield(f, 'options')
        P.opts = check_options(f.options);
        f = rmfield(f, 'options');
      end
      names = fieldnames(f);
      if isempty(names)
        return
      end
      hnames = {'A', 'b', 'Ae', 'be', 'H', 'He'};
      isH = ismember(names, hnames);
      if any(isH) && ~all(isH)
        error('zonix:zpoly:usage', 'zpoly: give the H form (A, b, Ae, be) or the V form (V, R, L), not parts of both');
      end
      if all(isH)
        P = set_h(P, f);
      else
        P = set_v(P, f);
      end
    end

    % ---- the forms ------------------------------------------------------
    function x = get.A(P),  h = hform(P); x = h.A;  end
    function x = get.b(P),  h = hform(P); x = h.b;  end
    function x = get.Ae(P), h = hform(P); x = h.Ae; end
    function x = get.be(P), h = hform(P); x = h.be; end
    function x = get.H(P),  h = hform(P); x = [h.A h.b];   end
    function x = get.He(P), h = hform(P); x = [h.Ae h.be]; end
    function x = get.V(P),  v = vform(P); x = v.V; end
    function x = get.R(P),  v = vform(P); x = v.R; end
    function x = get.L(P),  v = vform(P); x = v.L; end

    function S = hstruct(P, varargin)
      % H struct for zonixmex: A, B, with the equations in lin.
      S = h_to_struct(hform(P, varargin{:}));
    end

    function S = vstruct(P, varargin)
      % V struct for zonixmex: V, R, with the lines as rays listed in lin.
      S = v_to_struct(vform(P, varargin{:}));
    end

    function Q = minHRep(P, varargin)
      Q = zpoly();
      Q.Dim = P.Dim;
      Q.opts = P.opts;
      Q.hin = hmin(P, varargin{:});
      Q.cache = P.cache;
    end

    function Q = minVRep(P, varargin)
      Q = zpoly();
      Q.Dim = P.Dim;
      Q.opts = P.opts;
      Q.vin = vmin(P, varargin{:});
      Q.cache = P.cache;
    end

    % ---- questions ------------------------------------------------------
    function k = dim(P, varargin)
      if isEmptySet(P, varargin{:})
        k = -1;
        return
      end
      h = hmin(P, varargin{:});
      k = P.Dim - size(h.Ae, 1);
    end

    function e = isEmptySet(P, varargin)
      if isempty(P.cache.empty)
        if ~isempty(P.vin)
          P.cache.empty = isempty(P.vin.V);
        elseif ~isempty(P.cache.vmin)
          P.cache.empty = isempty(P.cache.vmin.V);
        else
          % One feasibility LP; no conversion needed.
          S = h_to_struct(P.hin);
          S.obj = zeros(1, P.Dim);
          if isempty(S.A)
            P.cache.empty = false;
          else
            r = zonixmex('solve_lp', S, options(P, varargin));
            P.cache.empty = r.how == 2;
          end
        end
      end
      e = P.cache.empty;
    end

    function t = isBounded(P, varargin)
      v = vmin(P, varargin{:});
      t = isempty(v.R) && isempty(v.L);
    end

    function t = isFullDim(P, varargin)
      t = dim(P, varargin{:}) == P.Dim;
    end

    function He = affineHull(P, varargin)
      h = hmin(P, varargin{:});
      He = [h.Ae h.be];
    end

    function t = contains(P, x, varargin)
      if isa(x, 'zpoly')
        t = subset(x, P, varargin{:});
        return
      end
      x = points(P, x, 'contains');
      if isEmptySet(P, varargin{:})
        t = false(1, size(x, 2));
        return
      end
      h = hform_for_lp(P, varargin{:});
      t = true(1, size(x, 2));
      if ~isempty(h.A)
        t = t & all(h.A * x - h.b <= tolerance(h.A, h.b, x), 1);
      end
      if ~isempty(h.Ae)
        t = t & all(abs(h.Ae * x - h.be) <= tolerance(h.Ae, h.be, x), 1);
      end
    end

    function [x, r] = chebyCenter(P, varargin)
      if isEmptySet(P, varargin{:})
        x = zeros(P.Dim, 0);
        r = -Inf;
        return
      end
      h = hmin(P, varargin{:});
      d = P.Dim;
      if isempty(h.A)
        x = interiorPoint(P, varargin{:});
        r = Inf;
        return
      end
      % Inside the affine hull the ball's reach along row a is the length of
      % a's part in the hull's directions.
      N = eye(d);
      if ~isempty(h.Ae)
        N = null(h.Ae);
      end
      n = sqrt(sum((h.A * N) .^ 2, 2));
      S = struct('A', [h.A n; h.Ae zeros(size(h.Ae, 1), 1); zeros(1, d) -1], ...
                 'B', [h.b; h.be; 0], 'obj', [zeros(1, d) -1]);
      S.lin = size(h.A, 1) + (1:size(h.Ae, 1));
      s = zonixmex('solve_lp', S, options(P, varargin));
      if s.how == 1
        x = s.xopt(1:d);
        r = s.xopt(d + 1);
      else
        x = interiorPoint(P, varargin{:});
        r = Inf;
      end
    end

    function x = interiorPoint(P, varargin)
      % The mean of the vertices plus the mean of the rays: every generator
      % with a positive weight, so a relative interior point.
      if isEmptySet(P, varargin{:})
        x = zeros(P.Dim, 0);
        return
      end
      v = vmin(P, varargin{:});
      x = mean(v.V, 1)';
      if ~isempty(v.R)
        x = x + mean(v.R, 1)';
      end
    end

    % ---- operations -----------------------------------------------------
    function Q = projection(P, dims, varargin)
      d = P.Dim;
      if ~isnumeric(dims) || isempty(dims) || any(dims(:) ~= round(dims(:))) || ...
         any(dims(:) < 1 | dims(:) > d) || numel(unique(dims)) ~= numel(dims)
        error('zonix:zpoly:badDims', 'projection: dims must list distinct coordinates 1..%d', d);
      end
      dims = dims(:)';
      if isempty(P.vin) && isempty(P.cache.vmin) && numel(dims) < d && ~isEmptySet(P, varargin{:})
        drop = setdiff(1:d, dims);
        S = zonixmex('project', h_to_struct(P.hin), drop, options(P, varargin));
        [~, order] = sort(dims);
        back(order) = 1:numel(dims);
        lin = S.lin(:);
        keep = setdiff((1:size(S.A, 1))', lin);
        Q = zpoly('A', S.A(keep, back), 'b', S.B(keep), 'Ae', S.A(lin, back), ...
                  'be', S.B(lin), 'options', P.opts);
      else
        v = vform(P, varargin{:});
        if isEmptySet(P, varargin{:})
          v = empty_v(d);
        end
        Q = zpoly('V', v.V(:, dims), 'R', v.R(:, dims), 'L', v.L(:, dims), 'options', P.opts);
      end
    end

    function Q = and(P, S)
      Q = intersect(P, S);
    end

    function Q = intersect(P, S, varargin)
      same_space(P, S);
      h1 = hform_for_lp(P, varargin{:});
      h2 = hform_for_lp(S, varargin{:});
      Q = zpoly('A', [h1.A; h2.A], 'b', [h1.b; h2.b], 'Ae', [h1.Ae; h2.Ae], ...
                'be', [h1.be; h2.be], 'options', P.opts);
    end

    function Q = plus(P, S, varargin)
      if isnumeric(P)
        [P, S] = deal(S, P);
      end
      if isnumeric(S)
        Q = translate(P, vector(P, S));
        return
      end
      same_space(P, S);
      if isEmptySet(P, varargin{:}) || isEmptySet(S, varargin{:})
        Q = empty_set(P);
        return
      end
      a = vmin(P, varargin{:});
      c = vmin(S, varargin{:});
      n1 = size(a.V, 1);
      n2 = size(c.V, 1);
      sums = kron(a.V, ones(n2, 1)) + repmat(c.V, n1, 1);
      Q = zpoly('V', sums, 'R', [a.R; c.R], 'L', [a.L; c.L], 'options', P.opts);
    end

    function Q = minus(P, S, varargin)
      if isnumeric(S)
        Q = translate(P, -vector(P, S));
        return
      end
      if ~isa(P, 'zpoly')
        error('zonix:zpoly:usage', 'minus: a vector minus a zpoly is not a polyhedron operation here');
      end
      same_space(P, S);
      d = P.Dim;
      if isEmptySet(S, varargin{:})
        Q = zpoly('A', zeros(0, d), 'b', zeros(0, 1), 'options', P.opts);
        return
      end
      if isEmptySet(P, varargin{:})
        Q = empty_set(P);
        return
      end
      h = hmin(P, varargin{:});
      v = vmin(S, varargin{:});
      % x + Q lies in {a*y <= b} when a*x <= b - max over Q of a*y.
      hs = support_all(v, h.A');
      % An equation holds on x + Q only when it is constant on Q.
      E = v.V * h.Ae';
      spread = max(E, [], 1) - min(E, [], 1);
      moves = [v.R; v.L] * h.Ae';
      tol = 1e-9 * max(1, max(abs(E(:))));
      if any(isinf(hs)) || any(spread > tol) || any(abs(moves(:)) > tol)
        Q = empty_set(P);
        return
      end
      be = h.be;
      if ~isempty(h.Ae)
        be = be - E(1, :)';
      end
      Q = zpoly('A', h.A, 'b', h.b - hs(:), 'Ae', h.Ae, 'be', be, 'options', P.opts);
    end

    function Q = convexHull(P, varargin)
      % convexHull(P, Q, ...): the hull of the union of the sets given.
      polys = [{P}, varargin];
      o = {};
      if ~isempty(polys) && isstruct(polys{end})
        o = polys(end);
        polys(end) = [];
      end
      d = P.Dim;
      G = empty_v(d);
      for k = 1:numel(polys)
        same_space(P, polys{k});
        if isEmptySet(polys{k}, o{:})
          continue
        end
        v = vform(polys{k}, o{:});
        G.V = [G.V; v.V];
        G.R = [G.R; v.R];
        G.L = [G.L; v.L];
      end
      Q = zpoly('V', G.V, 'R', G.R, 'L', G.L, 'options', P.opts);
    end

    function Q = mtimes(T, P)
      if ~isnumeric(T) || ~isa(P, 'zpoly')
        error('zonix:zpoly:usage', 'T * P takes a matrix or scalar T and a zpoly P');
      end
      Q = affineMap(P, T);
    end

    function Q = affineMap(P, T, t, varargin)
      d = P.Dim;
      if isscalar(T)
        T = T * eye(d);
      end
      if ~isnumeric(T) || size(T, 2) ~= d
        error('zonix:zpoly:badMap', 'affineMap: T must have %d columns', d);
      end
      k = size(T, 1);
      if nargin < 3 || isempty(t)
        t = zeros(k, 1);
      elseif isstruct(t)
        varargin = [{t}, varargin];
        t = zeros(k, 1);
      end
      if ~isnumeric(t) || numel(t) ~= k
        error('zonix:zpoly:badMap', 'affineMap: t must have %d entries', k);
      end
      if isEmptySet(P, varargin{:})
        Q = empty_set(zpoly('A', zeros(0, k), 'b', zeros(0, 1)));
        return
      end
      v = vform(P, varargin{:});
      Q = zpoly('V', v.V * T' + t(:)', 'R', v.R * T', 'L', v.L * T', 'options', P.opts);
    end

    function Q = invAffineMap(P, T, t, varargin)
      k = P.Dim;
      if ~isnumeric(T) || size(T, 1) ~= k
        error('zonix:zpoly:badMap', 'invAffineMap: T must have %d rows', k);
      end
      if nargin < 3 || isempty(t)
        t = zeros(k, 1);
      elseif isstruct(t)
        varargin = [{t}, varargin];
        t = zeros(k, 1);
      end
      if ~isnumeric(t) || numel(t) ~= k
        error('zonix:zpoly:badMap', 'invAffineMap: t must have %d entries', k);
      end
      h = hform_for_lp(P, varargin{:});
      Q = zpoly('A', h.A * T, 'b', h.b - h.A * t(:), 'Ae', h.Ae * T, ...
                'be', h.be - h.Ae * t(:), 'options', P.opts);
    end

    function [h, x] = support(P, c, varargin)
      c = vector(P, c);
      x = zeros(P.Dim, 0);
      if isEmptySet(P, varargin{:})
        h = -Inf;
        return
      end
      if isempty(P.vin) && isempty(P.cache.vmin)
        S = h_to_struct(P.hin);
        S.obj = -c';
        s = zonixmex('solve_lp', S, options(P, varargin));
        if s.how == 1
          h = 0 - s.objlp;  % 0 - x, not -x: no negative zero for users to print
          x = s.xopt;
        else
          h = Inf;
        end
        return
      end
      v = vform(P, varargin{:});
      h = support_all(v, c) + 0;  % -0 + 0 is +0
      if isfinite(h)
        [~, k] = max(v.V * c);
        x = v.V(k, :)';
      end
    end

    function x = extremePoint(P, c, varargin)
      [~, x] = support(P, c, varargin{:});
    end

    function [Q, lb, ub] = outerApprox(P, varargin)
      d = P.Dim;
      lb = zeros(d, 1);
      ub = zeros(d, 1);
      for k = 1:d
        e = zeros(d, 1);
        e(k) = 1;
        ub(k) = support(P, e, varargin{:});
        lb(k) = 0 - support(P, -e, varargin{:});
      end
      if isEmptySet(P, varargin{:})
        Q = empty_set(P);
        return
      end
      I = eye(d);
      up = isfinite(ub);
      down = isfinite(lb);
      Q = zpoly('A', [I(up, :); -I(down, :)], 'b', [ub(up); -lb(down)], 'options', P.opts);
    end

    function [v, num, den] = volume(P, varargin)
      o = options(P, varargin);
      num = [];
      den = [];
      want = 'auto';
      if isfield(o, 'arithmetic')
        want = o.arithmetic;
      end
      exact = ~strcmp(want, 'double') && exact_input(P);
      if exact
        % Integers for the module: the rows of H scaled one by one (the
        % same set), the points of V all by L (the volume times L^d).
        [S, L] = integer_struct(P.vin, P.hin);
        o.arithmetic = 'exact';
      else
        if ~isempty(P.vin)
          S = v_to_struct(P.vin);
        else
          S = h_to_struct(P.hin);
        end
        L = 1;
        o.arithmetic = 'double';
      end
      R = zonixmex('volume', S, o);
      v = R.volume;
      if ~exact || strcmp(R.kind, 'unbounded')
        return
      end
      d = P.Dim;
      [num, den, ok] = fraction_over(R, L, d);
      if ok
        if L == 1
          v = R.volume;
        elseif isa(num, 'double')
          v = num / den;
        else
          v = R.volume / L ^ d;
        end
        return
      end
      if strcmp(want, 'exact')
        error('zonix:zpoly:tooLarge', 'volume: the exact volume %s/%d^%d does not fit in 64-bit integers', ...
              R.fraction, L, d);
      end
      v = R.volume / L ^ d;
    end

    function adj = vertexAdjacency(P, varargin)
      % adj(i, j): rows i and j of [V; R] of minVRep(P) span an edge (two
      % vertices), an unbounded edge (a vertex and a ray) or a 2-face at
      % infinity (two rays).
      [I, far] = gen_incidence(P, varargin{:});
      I = [I; far];
      n = size(I, 2);
      adj = false(n);
      for i = 1:n
        for j = i + 1:n
          common = I(:, i) & I(:, j);
          % The smallest face holding both: every generator on all the
          % facets that hold both.
          inside = all(I(common, :), 1);
          adj(i, j) = nnz(inside) == 2;
        end
      end
      adj = adj | adj';
    end

    function adj = facetAdjacency(P, varargin)
      % adj(i, j): the facets in rows i and j of minHRep(P).A meet in a
      % ridge, a face one dimension lower.
      [I, far] = gen_incidence(P, varargin{:});
      m = size(I, 1);
      J = [I; far];
      adj = false(m);
      for i = 1:m
        for j = i + 1:m
          common = J(i, :) & J(j, :);
          if ~any(common)
            continue
          end
          % A ridge lies on exactly two facets, a smaller face on more.
          adj(i, j) = nnz(all(J(:, common), 2)) == 2;
        end
      end
      adj = adj | adj';
    end

    function h = plot(P, varargin)
      if isEmptySet(P)
        error('zonix:zpoly:empty', 'plot: the set is empty');
      end
      if ~isempty(P.vin)
        S = vstruct(P);
      else
        S = hstruct(P);
      end
      hh = zonixplot(S, varargin{:});
      if nargout > 0
        h = hh;
      end
    end

    function disp(P)
      parts = {};
      if ~isempty(P.hin)
        parts{end + 1} = sprintf('H form: %d inequalities, %d equations', ...
                                 size(P.hin.A, 1), size(P.hin.Ae, 1));
      end
      if ~isempty(P.vin)
        parts{end + 1} = sprintf('V form: %d points, %d rays, %d lines', ...
                                 size(P.vin.V, 1), size(P.vin.R, 1), size(P.vin.L, 1));
      end
      c = P.cache;
      if ~isempty(c.hmin) && isempty(P.hin)
        parts{end + 1} = sprintf('minimal H form: %d facets, %d equations', ...
                                 size(c.hmin.A, 1), size(c.hmin.Ae, 1));
      end
      if ~isempty(c.vmin) && isempty(P.vin)
        parts{end + 1} = sprintf('minimal V form: %d vertices, %d rays, %d lines', ...
                                 size(c.vmin.V, 1), size(c.vmin.R, 1), size(c.vmin.L, 1));
      end
      try
        if isEmptySet(P)
          state = 'empty';
        elseif isBounded(P)
          state = sprintf('bounded, dimension %d', dim(P));
        else
          state = sprintf('unbounded, dimension %d', dim(P));
        end
      catch err
        state = ['not known: ' err.message];
      end
      fprintf('  zpoly in R^%d, %s\n', P.Dim, state);
      fprintf('    %s\n', parts{:});
    end
  end

  methods (Access = private)
    function P = from_struct(P, S)
      if numel(S) ~= 1
        error('zonix:zpoly:usage', 'zpoly takes a 1x1 struct');
      end
      if isfield(S, 'A') && isfield(S, 'B')
        lin = [];
        if isfield(S, 'lin'), lin = S.lin(:); end
        keep = setdiff((1:size(S.A, 1))', lin);
        P = set_h(P, struct('A', S.A(keep, :), 'b', S.B(keep), 'Ae', S.A(lin, :), 'be', S.B(lin)));
      elseif isfield(S, 'V')
        R = zeros(0, size(S.V, 2));
        if isfield(S, 'R') && ~isempty(S.R), R = S.R; end
        lines = false(size(R, 1), 1);
        if isfield(S, 'lin') && ~isempty(S.lin)
          num = size(S.V, 1) + (1:size(R, 1))';
          if isfield(S, 'rpos') && numel(S.rpos) == size(R, 1)
            num = S.rpos(:);
          end
          lines = ismember(num, S.lin(:));
        end
        P = set_v(P, struct('V', S.V, 'R', R(~lines, :), 'L', R(lines, :)));
      else
        error('zonix:zpoly:usage', 'zpoly: the struct is neither an H struct (A, B) nor a V struct (V)');
      end
    end

    function P = set_h(P, f)
      if isfield(f, 'H')
        if isfield(f, 'A') || isfield(f, 'b')
          error('zonix:zpoly:usage', 'zpoly: give H or A and b, not both');
        end
        f.A = f.H(:, 1:end - 1);
        f.b = f.H(:, end);
      end
      if isfield(f, 'He')
        f.Ae = f.He(:, 1:end - 1);
        f.be = f.He(:, end);
      end
      d = -1;
      for n = {'A', 'Ae'}
        if isfield(f, n{1}) && ~(isempty(f.(n{1})) && size(f.(n{1}), 2) == 0)
          d = size(f.(n{1}), 2);
          break
        end
      end
      if d < 0
        d = 0;
      end
      h = struct('A', zeros(0, d), 'b', zeros(0, 1), 'Ae', zeros(0, d), 'be', zeros(0, 1));
      pairs = {'A', 'b'; 'Ae', 'be'};
      for k = 1:2
        [M, r] = pairs{k, :};
        has = [isfield(f, M), isfield(f, r)];
        if has(1) ~= has(2)
          error('zonix:zpoly:usage', 'zpoly: %s and %s come together', M, r);
        end
        if ~has(1), continue; end
        X = number_field(f.(M), M);
        y = number_field(f.(r), r);
        if isempty(X) && size(X, 2) == 0, X = zeros(numel(y), d); end
        if size(X, 2) ~= d
          error('zonix:zpoly:size', 'zpoly: %s has %d columns, A and Ae must agree (%d)', M, size(X, 2), d);
        end
        if ~isvector(y) && ~isempty(y) || numel(y) ~= size(X, 1)
          error('zonix:zpoly:size', 'zpoly: %s must be a vector with one entry per row of %s (%d), not %dx%d', ...
                r, M, size(X, 1), size(y, 1), size(y, 2));
        end
        h.(M) = X;
        h.(r) = reshape(y, [], 1);
      end
      P.Dim = d;
      P.hin = h;
    end

    function P = set_v(P, f)
      d = -1;
      for n = {'V', 'R', 'L'}
        if isfield(f, n{1}) && size(f.(n{1}), 2) > 0
          d = size(f.(n{1}), 2);
          break
        end
      end
      if d < 0
        d = 0;
      end
      v = empty_v(d);
      for n = {'V', 'R', 'L'}
        if ~isfield(f, n{1}), continue; end
        X = number_field(f.(n{1}), n{1});
        if isempty(X), X = zeros(0, d); end
        if size(X, 2) ~= d
          error('zonix:zpoly:size', 'zpoly: %s has %d columns, not %d', n{1}, size(X, 2), d);
        end
        v.(n{1}) = X;
      end
      P.Dim = d;
      P.vin = v;
    end

    function o = options(P, args)
      o = P.opts;
      if ~isempty(args) && isstruct(args{end})
        extra = check_options(args{end});
        for n = fieldnames(extra)'
          o.(n{1}) = extra.(n{1});
        end
      end
    end

    function h = hform(P, varargin)
      if ~isempty(P.hin)
        h = P.hin;
      else
        h = hmin(P, varargin{:});
      end
    end

    function v = vform(P, varargin)
      if ~isempty(P.vin)
        v = P.vin;
      else
        v = vmin(P, varargin{:});
      end
    end

    % The H form an LP can take: as given, else the minimal one.
    function h = hform_for_lp(P, varargin)
      h = hform(P, varargin{:});
    end

    function h = hmin(P, varargin)
      c = P.cache;
      if isempty(c.hmin)
        d = P.Dim;
        o = options(P, varargin);
        if ~isempty(P.vin) && isempty(P.vin.V)
          c.hmin = infeasible(d);
        else
          if isempty(P.vin)
            v = vmin(P, varargin{:});
            if isempty(v.V)
              c.hmin = infeasible(d);
              h = c.hmin;
              return
            end
            S = v_to_struct(v);
            o.arithmetic = 'auto';   % rounded numbers, as in vmin
          else
            S = v_to_struct(P.vin);
          end
          c.hmin = clean_h(zonixmex('hull', S, o), d);
        end
      end
      h = c.hmin;
    end

    function v = vmin(P, varargin)
      c = P.cache;
      if isempty(c.vmin)
        d = P.Dim;
        o = options(P, varargin);
        if ~isempty(P.vin)
          if isempty(P.vin.V)
            c.vmin = empty_v(d);
          else
            % Through the minimal H form, which is kept as well.  Its
            % numbers are rounded results: exact arithmetic would take them
            % at their word, slowly, for nothing.
            hm = hmin(P, varargin{:});
            o.arithmetic = 'auto';
            c.vmin = clean_v(zonixmex('extreme', h_to_struct(hm), o), d);
            c.vmin.V = snap(c.vmin.V, P.vin.V);
          end
        else
          c.vmin = clean_v(zonixmex('extreme', h_to_struct(P.hin), o), d);
        end
        c.empty = isempty(c.vmin.V);
      end
      v = c.vmin;
    end

    function Q = translate(P, t)
      if ~isempty(P.vin)
        v = P.vin;
        Q = zpoly('V', v.V + t', 'R', v.R, 'L', v.L, 'options', P.opts);
      else
        h = P.hin;
        Q = zpoly('A', h.A, 'b', h.b + h.A * t, 'Ae', h.Ae, 'be', h.be + h.Ae * t, ...
                  'options', P.opts);
      end
    end

    function Q = empty_set(P)
      d = P.Dim;
      Q = zpoly('V', zeros(0, d), 'options', P.opts);
    end

    function x = points(P, x, what)
      d = P.Dim;
      if ~isnumeric(x) || ~isreal(x)
        error('zonix:zpoly:badPoint', '%s: points must be real numbers', what);
      end
      if size(x, 1) ~= d
        if size(x, 2) == d && size(x, 1) >= 1
          x = x';   % a row, or rows, of points
        else
          error('zonix:zpoly:badPoint', '%s: points must be columns of %d entries', what, d);
        end
      end
      x = double(x);
    end

    function c = vector(P, c)
      c = points(P, c, 'direction');
      if size(c, 2) ~= 1
        error('zonix:zpoly:badPoint', 'a direction or shift is one vector of %d entries', P.Dim);
      end
    end

    function same_space(P, S)
      if ~isa(S, 'zpoly')
        error('zonix:zpoly:usage', 'expected a zpoly, got a %s', class(S));
      end
      if S.Dim ~= P.Dim
        error('zonix:zpoly:dimension', 'the sets live in R^%d and R^%d', P.Dim, S.Dim);
      end
    end

    function t = subset(Q, P, varargin)
      % Q inside P: its vertices are in P and its rays and lines stay in
      % P's recession cone.
      same_space(P, Q);
      if isEmptySet(Q, varargin{:})
        t = true;
        return
      end
      v = vmin(Q, varargin{:});
      if ~all(contains(P, v.V', varargin{:}))
        t = false;
        return
      end
      h = hform_for_lp(P, varargin{:});
      D = [v.R; v.L; -v.L]';
      t = true;
      if isempty(D), return; end
      if ~isempty(h.A)
        t = all(all(h.A * D <= tolerance(h.A, 0 * h.b, D)));
      end
      if ~isempty(h.Ae)
        t = t && all(all(abs(h.Ae * D) <= tolerance(h.Ae, 0 * h.be, D)));
      end
    end

    function [I, far] = gen_incidence(P, varargin)
      % Facets (rows) against vertices and rays (columns); far is the row
      % of the face at infinity, which holds the rays.
      hm = hmin(P, varargin{:});
      vm = vmin(P, varargin{:});
      G = [vm.V; vm.R];
      I = incidence(hm, vm.V);
      if ~isempty(vm.R)
        Rn = vm.R ./ max(abs(vm.R), [], 2);
        an = hm.A ./ max(max(abs(hm.A), [], 2), eps);
        I = [I, abs(an * Rn') <= 1e-7];
      end
      far = [false(1, size(vm.V, 1)), true(1, size(vm.R, 1))];
      if isempty(vm.R)
        far = false(0, size(G, 1));
      end
    end

    function t = exact_input(P)
      if ~isempty(P.vin)
        X = [P.vin.V; P.vin.R; P.vin.L];
      else
        X = [P.hin.A P.hin.b; P.hin.Ae P.hin.be];
      end
      [~, ~, t] = integers(X(:)');
    end
  end
end

% ---- helpers -------------------------------------------------------------

function o = check_options(o)
  if ~isstruct(o) || numel(o) ~= 1
    error('zonix:zpoly:badOption', 'the options must be a 1x1 struct');
  end
  known = {'arithmetic', 'threads', 'progress'};
  bad = setdiff(fieldnames(o), known);
  if ~isempty(bad)
    error('zonix:zpoly:badOption', 'unknown option ''%s''; zpoly takes %s', bad{1}, strjoin(known, ', '));
  end
end

function X = number_field(X, name)
  if ~isnumeric(X) || ~isreal(X) || ndims(X) > 2
    error('zonix:zpoly:badNumber', 'zpoly: %s must be a real matrix', name);
  end
  X = full(double(X));
  if ~all(isfinite(X(:)))
    error('zonix:zpoly:badNumber', 'zpoly: %s must hold finite numbers', name);
  end
end

function v = empty_v(d)
  v = struct('V', zeros(0, d), 'R', zeros(0, d), 'L', zeros(0, d));
end

function h = infeasible(d)
  h = struct('A', zeros(1, d), 'b', -1, 'Ae', zeros(0, d), 'be', zeros(0, 1));
end

function S = h_to_struct(h)
  m = size(h.A, 1);
  S = struct('A', [h.A; h.Ae], 'B', [h.b; h.be], 'lin', m + (1:size(h.Ae, 1)));
end

function S = v_to_struct(v)
  p = size(v.V, 1);
  q = size(v.R, 1);
  S = struct('V', v.V, 'R', [v.R; v.L], 'lin', p + q + (1:size(v.L, 1)));
end

function h = clean_h(S, d)
  % The module's H struct as inequalities and equations; 0 <= b rows (b >= 0)
  % say nothing.
  lin = reshape(S.lin, [], 1);
  ineq = setdiff((1:size(S.A, 1))', lin);
  trivial = ineq(all(S.A(ineq, :) == 0, 2) & S.B(ineq) >= 0);
  ineq = setdiff(ineq, trivial);
  h = struct('A', reshape(S.A(ineq, :), [], d), 'b', reshape(S.B(ineq), [], 1), ...
             'Ae', reshape(S.A(lin, :), [], d), 'be', reshape(S.B(lin), [], 1));
end

function v = clean_v(S, d)
  lines = ismember(S.rpos(:), S.lin(:));
  v = struct('V', reshape(S.V, [], d), 'R', reshape(S.R(~lines, :), [], d), ...
             'L', reshape(S.R(lines, :), [], d));
  % A cone (b = 0) comes back as rays alone: its apex is the origin.
  if isempty(v.V) && ~isempty(S.R)
    v.V = zeros(1, d);
  end
end

function X = snap(X, given)
  % Vertices found through the H form are input points: take the input's
  % own numbers for them.
  for k = 1:size(X, 1)
    [gap, j] = min(max(abs(given - X(k, :)), [], 2));
    if gap <= 1e-7 * max(1, max(abs(X(k, :))))
      X(k, :) = given(j, :);
    end
  end
end

function t = tolerance(A, b, x)
  % Slack allowed at the points x: 1e-7 of the size of the terms compared.
  t = 1e-7 * max(1, abs(A) * abs(x) + abs(b));
end

function h = support_all(v, C)
  % max over the set of c'*x for each column c of C (Inf where a ray or a
  % line leads upward).
  h = max(v.V * C, [], 1);
  up = false(1, size(C, 2));
  if ~isempty(v.R)
    up = up | any(v.R * C > 1e-9 * max(1, max(abs(v.R(:)))), 1);
  end
  if ~isempty(v.L)
    up = up | any(abs(v.L * C) > 1e-9 * max(1, max(abs(v.L(:)))), 1);
  end
  h(up) = Inf;
end

function I = incidence(h, X)
  % Facets against points, to the module's tolerance, rows scaled to 1.
  s = max(max(abs(h.A), [], 2), abs(h.b));
  s(s == 0) = 1;
  I = abs((h.A * X' - h.b) ./ s) <= 1e-7 * max(1, max(abs(X(:))));
end

function [Z, L, ok] = integers(X, limit)
  % X = Z / L with integers Z and one denominator L < limit (default 2^20),
  % each entry the double nearest to its fraction.
  if nargin < 2
    limit = 2^20;
  end
  Z = [];
  L = 1;
  u = unique(X(:));
  u = u(u ~= round(u));
  if ~isempty(u)
    [~, q] = rat(u, 4 * eps(max(abs(u))));
    for x = unique(q(:))'
      L = lcm(L, x);
      if L >= limit
        ok = false;
        return
      end
    end
  end
  Z = round(X * L);
  ok = all(Z(:) / L == X(:)) && all(abs(Z(:)) < 2^52);
end

function [S, L] = integer_struct(v, h)
  % The input (v, else h) as integers: each row of H times the denominator
  % of its own fractions; V times the one denominator L of all its numbers.
  L = 1;
  if isempty(v)
    F = [h.A h.b; h.Ae h.be];
    for k = 1:size(F, 1)
      [Z, ~] = integers(F(k, :));
      F(k, :) = Z;
    end
    d = size(h.A, 2);
    m = size(h.A, 1);
    S = struct('A', F(:, 1:d), 'B', F(:, d + 1), 'lin', m + (1:size(h.Ae, 1)));
  else
    [~, L] = integers([v.V; v.R; v.L]);
    S = v_to_struct(struct('V', round(v.V * L), 'R', round(v.R * L), 'L', round(v.L * L)));
  end
end

function [num, den, ok] = fraction_over(R, L, d)
  % R's fraction over L^d in lowest terms, as doubles below 2^53, int64
  % below 2^63; ok false when they do not fit.
  num = [];
  den = [];
  ok = false;
  if isempty(R.num) || isempty(R.den) || d * log2(L) >= 62
    return
  end
  a = int64(R.num);
  b = int64(R.den);
  % L^d = g * rest with g dividing num: reduce before multiplying.
  Ld = int64(L) ^ d;
  g = gcd(a, Ld);
  a = a / g;
  Ld = Ld / g;
  if double(b) * double(Ld) >= 2^62
    return
  end
  b = b * Ld;
  num = a;
  den = b;
  if num < 2^53 && den < 2^53
    num = double(num);
    den = double(den);
  end
  ok = true;
end
