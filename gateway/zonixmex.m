% ZONIXMEX  Convex polyhedra in H form (inequalities) and V form (points and rays).
%
%   The first argument names the command; the others are structs.
%
%   H struct: the set {x : A*x <= B}, rows listed in lin holding with equality.
%     A    m x d double
%     B    m x 1 double
%     lin  1 x k double, optional: row numbers (1-based) of the equations
%
%   V struct: the convex hull of the rows of V plus the cone of the rows of R.
%     V    p x d double (points)
%     R    q x d double, optional (rays, same width as V)
%     lin  optional: the rays that are lines (both directions), numbered
%          after the points (p+1..p+q), or as vpos and rpos number them
%   A V struct returned by the module also carries
%     vpos, rpos  row numbers of each point and ray
%     lin         row numbers of the rows that are lines, so that the
%                 struct can be given back as it is
%
%   All numbers must be finite, in real full double arrays, and structs
%   1x1.  lin is a row or column of valid row numbers; anything else is
%   the error zonix:<command>:badLin.
%
%   Options: every command that computes takes a struct as an optional
%   last argument, for example zonixmex('extreme', H, struct('progress', true)).
%     progress    true: print an iteration line a few times a second
%                 (default false)
%     arithmetic  'auto' (the default: double precision when its answer
%                 is certified, else exact rationals), 'double' or 'exact';
%                 results come back as the nearest doubles
%     threads     the threads a conversion may use, 1 to 64 (default: one
%                 per core); the result is the same for any count
%     tolerance   the relative distance of measured data, above 0 and at
%                 most 1e-3 (default 1e-12)
%
%   Exact data: inputs whose entries are all integers.  In the default mode
%   their answer is exact, proved by an exact check independent of the
%   solvers (where a polytope is too degenerate for the check to walk its
%   faces, it proves every row valid and extreme, and the exact run's list
%   stands).
%   Measured data: inputs with an entry that is no integer.  Their answer is
%   exactly right for some data within a relative distance tolerance of the
%   given numbers; when no double answer passes that check it is computed
%   exactly for the numbers as given.
%   Ctrl-C ends a computing call with the error zonix:<command>:interrupted.
%
%   Commands
%
%   zonixmex('version')
%     Prints the module version.  Returns nothing.
%       zonixmex('version')            % prints "Version 1.0"
%
%   H2 = zonixmex('copy_h', H)
%     H struct in, the same H struct out after a trip through the library:
%     lin sorted, repeats dropped.
%       H  = struct('A', [1 0; -1 0; 0 1; 0 -1], 'B', [1; 0; 1; 0]);
%       H2 = zonixmex('copy_h', H)     % H2.A, H2.B as given, H2.lin = []
%
%   P2 = zonixmex('copy_v', P)
%     V struct in, V struct out: points in V with their row numbers vpos
%     (1..p), rays in R with rpos (p+1..p+q), lines in lin.
%       P  = struct('V', [1 2; 3 4], 'R', [0 1]);
%       P2 = zonixmex('copy_v', P)     % P2.vpos = [1; 2], P2.rpos = 3
%
%   H = zonixmex('hull', P)
%     V struct in, H struct out: the inequalities and equations (in lin) of
%     the convex hull of P.V plus the cone of P.R.
%       P = struct('V', [0 0; 1 0; 0 1; 1 1]);
%       H = zonixmex('hull', P)        % the four facets of the unit square
%
%   P = zonixmex('extreme', H)
%     H struct in, V struct out: the vertices (V), extreme rays (R) and
%     lines (rows listed in lin) of {x : H.A*x <= H.B}.
%       H = struct('A', [1 0; 0 1; -1 0; 0 -1], 'B', [1; 1; 0; 0]);
%       P = zonixmex('extreme', H)     % P.V holds the four corners
%
%   P2 = zonixmex('v_hull_extreme', P)
%     V struct in, V struct out: only the extreme points and rays of P,
%     found through its H form; vpos and rpos number the output rows.
%       P  = struct('V', [0 0; 1 0; 0 1; 1 1; 0.5 0.5]);
%       P2 = zonixmex('v_hull_extreme', P)   % the centre is dropped
%
%   [P, adj] = zonixmex('adj_extreme', H)
%     As 'extreme', plus a cell array: adj{k} lists the output rows adjacent
%     to row k (numbered as in P.vpos and P.rpos).
%       [P, adj] = zonixmex('adj_extreme', H)  % each corner has 2 neighbours
%
%   adj = zonixmex('adjacency', P)
%     V struct in, cell array out: adj{k} lists the input rows (points
%     1..p, then rays p+1..p+q) adjacent to row k in the convex hull.
%       adj = zonixmex('adjacency', struct('V', [0 0; 1 0; 0 1; 1 1]))
%
%   H2 = zonixmex('reduce_h', H)
%   [H2, removed] = zonixmex('reduce_h', H)
%     H struct in, H struct out without the redundant inequalities (those
%     implied by the others); removed lists their row numbers in H.  Of
%     identical rows the first is kept; rows in H.lin are never removed and
%     stay in H2.lin, renumbered.
%       H = struct('A', [1; 1; -1], 'B', [1; 2; 0]);
%       [H2, removed] = zonixmex('reduce_h', H)   % removed = 2 (x <= 2)
%
%   P2 = zonixmex('reduce_v', P)
%   [P2, removed] = zonixmex('reduce_v', P)
%     V struct in, V struct out with only the extreme points and rays;
%     removed numbers the dropped rows as points 1..p, then rays p+1..p+q.
%     P2.vpos and P2.rpos number the rows of P2.
%       P = struct('V', [0 0; 1 0; 0 1; 1 1; 0.5 0.5]);
%       [P2, removed] = zonixmex('reduce_v', P)   % removed = 5
%     Option method (both commands): 'auto' (default, by the input's
%     shape), 'each' (an LP over all rows per row), 'clarkson' (LPs over
%     the rows known to stay, which costs what the rows kept cost); all
%     give the same rows.
%
%   S = zonixmex('find_interior', H)
%   S = zonixmex('find_interior_DS', H)
%     H struct in, LP result struct out (fields as for 'solve_lp'): the
%     point x = S.xopt(1:d) that satisfies every row of H with the largest
%     common slack t = S.xopt(d+1) = S.objlp, t capped at 2*max(1, max(H.B)).
%     'find_interior' uses the criss-cross method, 'find_interior_DS' the
%     dual simplex method.  H without usable A and B fails with "Error in
%     the setting of LP matrix."
%     Reading the answer: the LP always has a solution, so S.how is 1
%     (optimal) for empty and flat sets too; t = S.objlp tells them apart:
%       t > 0   x is an interior point: the set is full-dimensional
%       t = 0   (to 1e-7) the set is flat: some rows hold with equality on
%               all of it (rows in H.lin, or implied ones); x lies in the
%               set, maybe on its boundary (zpoly's interiorPoint gives a
%               point of the relative interior)
%       t < 0   the set is empty; x violates no row by more than -t
%     S.how other than 1 means the LP itself failed (see 'solve_lp').
%       H = struct('A', [1 0; 0 1; -1 0; 0 -1], 'B', [1; 1; 0; 0]);
%       S = zonixmex('find_interior', H)  % S.xopt = [0.5; 0.5; 0.5], t = 0.5
%       S = zonixmex('find_interior', struct('A', [1; -1], 'B', [0; -1]))
%                                         % x <= 0 and x >= 1: t = -0.5
%
%   P2 = zonixmex('project', H, cols)
%   P2 = zonixmex('project', H, cols, struct('method', 'fourier'))
%     H struct in, H struct out over the variables not listed in cols
%     (1-based, any order, no repeats), in their original order: the
%     projection of H onto them.  Variables that occur in an equation of
%     H.lin are eliminated by substituting the equation.  Options: method
%     'auto' (default: through the vertices for small systems, else
%     Fourier-Motzkin for one or two variables, else block), 'vertices'
%     (vertices of H, coordinates dropped, their hull), 'block' or
%     'fourier' (Fourier-Motzkin, one variable at a time); reduce true
%     (default: redundant rows removed) or false.  A Fourier-Motzkin step
%     whose rows cannot fit in memory fails with outOfMemory before it
%     starts; Ctrl-C stops every method.
%       C  = struct('A', [eye(3); -eye(3)], 'B', [1; 1; 1; 0; 0; 0]);
%       P2 = zonixmex('project', C, 3)   % the unit square, 4 rows
%
%   L = zonixmex('linearity', P)
%     H or V struct in, the sorted row of its implicit linearities: for H
%     the inequalities that hold with equality on the whole polyhedron
%     (rows already in lin are not listed), for V the generators whose
%     negatives are generated.
%       L = zonixmex('linearity', struct('A', [1; -1], 'B', [0; 0]))  % [1 2]
%
%   S = zonixmex('strong_redundancy', P)
%   [S, W] = zonixmex('strong_redundancy', P)
%     H or V struct in, the sorted row of its strongly redundant rows: for
%     H the inequalities whose hyperplane misses the polyhedron, for V the
%     generators in the relative interior of the others.  W{k} lists the
%     rows weakly adjacent to row k (like the cells of 'adjacency').
%       S = zonixmex('strong_redundancy', struct('A', [1; 1; -1], 'B', [1; 2; 0]))  % 2
%
%   S = zonixmex('volume', P)
%   S = zonixmex('volume', P, struct('arithmetic', 'exact'))
%     H or V struct in, the volume of its polyhedron out, by a pulling
%     triangulation.  S has the fields
%       volume     the volume (the double nearest it when exact); 0 for an
%                  empty or lower-dimensional set, Inf for an unbounded
%                  full-dimensional one
%       exact      true when num/den is the volume exactly
%       num, den   the fraction in lowest terms, each a double below 2^53,
%                  else int64 below 2^63, else [] (then see fraction)
%       fraction   the fraction as text, '' when not exact
%       kind       'bounded', 'flat' (empty or lower-dimensional) or
%                  'unbounded'
%       vertices, facets, simplices   of the triangulated polytope
%     With arithmetic 'auto' (the default) integer data are exact data and
%     their volume is found exactly, from the certified vertices and
%     facets; data with some number that is no integer are measured data,
%     whose volume is computed in double precision.  'exact' takes every
%     double as the exact number it is; 'double' computes in double
%     precision.
%       S = zonixmex('volume', struct('V', [0 0; 1 0; 0 1]))  % 1/2
%
%   When the library reports an error, its message is printed on standard
%   output and the command fails with "ZONIX returned an error, see
%   above(!) for details:" followed by the same message on the next lines
%   (identifier zonix:<command>:library), so err.message holds the reason.
%   A struct that does not read fails with the command's usage line
%   followed by what is wrong: a missing field (field names are
%   case-sensitive: B, not b), B not a column of one entry per row of A,
%   an array of more than two dimensions, or name/value pairs given where
%   a struct belongs.
%
%   S = zonixmex('solve_lp', LP)
%   S = zonixmex('solve_lp_DS', LP)
%     Minimises LP.obj*x subject to LP.A*x <= LP.B, the rows in LP.lin
%     holding with equality; 'solve_lp' uses the criss-cross method,
%     'solve_lp_DS' the dual simplex method.  LP is an H struct (A, B,
%     optional lin) with a further field obj, a row of at least d numbers
%     (entries past d are ignored).  Each equation row also enters the LP
%     negated, as row m + k for the k-th equation.  S has the fields
%       xopt    d x 1, the optimal x (or the last basic solution, or for an
%               unbounded LP a direction along which obj*x decreases)
%       lambda  (m + k) x 1, the dual value of each active row, 0 elsewhere
%       how     status: 0 undecided, 1 optimal, 2 infeasible, 3 dual
%               infeasible (unbounded when feasible), 5 a variable that no
%               row bounds but obj uses
%       objlp   the optimal value
%       active  the active (tight) rows, at most d of them
%     A solver error (pivot limit) is printed and S still returned.
%       LP = struct('A', [-1 0; 0 -1; 1 1], 'B', [0; 0; 1], 'obj', [1 2]);
%       S  = zonixmex('solve_lp', LP)    % S.xopt = [0; 0], S.objlp = 0
%
%   Errors carry identifiers zonix:<command>:<what>: usage (argument counts,
%   a struct of the wrong kind), fieldType (not a real full double array),
%   nonFinite, structArray, columnMismatch (R and V differ in width),
%   badLin, badCols, badOption, lpMatrix, lpObjective, library,
%   interrupted, outOfMemory (also before starting, when the storage a
%   call needs cannot fit), internal (an unexpected failure of the library,
%   to be reported).
