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
%   A V struct returned by the module also carries
%     vpos, rpos  row numbers of each point and ray (points come first)
%     lin         row numbers of the rows that are lines (both directions)
%
%   All numbers must be finite, in real full double arrays.
%
%   Commands
%
%   zonixmex('version')
%     Prints the module version.  Returns nothing.
%       zonixmex('version')            % prints "Version 1.0"
%
%   H2 = zonixmex('copy_h', H)
%     H struct in, the same H struct out after a trip through the library:
%     lin sorted, repeats dropped, entries above the row count skipped with
%     the warning "Error in the lineality vector ".
%       H  = struct('A', [1 0; -1 0; 0 1; 0 -1], 'B', [1; 0; 1; 0]);
%       H2 = zonixmex('copy_h', H)     % H2.A, H2.B as given, H2.lin = []
%
%   P2 = zonixmex('copy_v', P)
%     V struct in, V struct out: points in V with their row numbers vpos
%     (1..p), rays in R with rpos (p+1..p+q), lin empty.
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
%
%   S = zonixmex('find_interior', H)
%   S = zonixmex('find_interior_DS', H)
%     H struct in, LP result struct out (fields as for 'solve_lp'): the
%     point x = S.xopt(1:d) that satisfies every row of H with the largest
%     common slack t = S.xopt(d+1) = S.objlp, t capped at 2*max(1, max(H.B)).
%     t > 0 means x is an interior point; with equations (H.lin) t <= 0.
%     'find_interior' uses the criss-cross method, 'find_interior_DS' the
%     dual simplex method.  H without usable A and B fails with "Error in
%     the setting of LP matrix."
%       H = struct('A', [1 0; 0 1; -1 0; 0 -1], 'B', [1; 1; 0; 0]);
%       S = zonixmex('find_interior', H)  % S.xopt = [0.5; 0.5; 0.5]
%
%   When the library reports an error, its message is printed on standard
%   output and the command fails with "ZONIX returned an error, see
%   above(!) for details" (identifier zonix:<command>:library).
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
%   Errors carry identifiers zonix:<command>:<what>, for example
%   zonix:copy_h:usage for wrong argument counts or a struct of the wrong
%   kind, zonix:copy_h:fieldType for a field that is not a real full double
%   array, zonix:copy_v:columnMismatch when R and V differ in width,
%   zonix:solve_lp:lpMatrix and zonix:solve_lp:lpObjective for an LP struct
%   without usable A, B or obj.
