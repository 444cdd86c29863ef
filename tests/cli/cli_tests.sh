#!/bin/bash
# Tests of the zonix command-line tool, one group of cases per run:
#   cli_tests.sh ZONIX EXAMPLES_DIR GROUP
# Expected answers are worked out by hand from the example polyhedra:
# the unit cube, the octahedron, and the flat square of flat.ine.
# Prints "ok" / "FAIL" per check and closes with "N passed, M failed".
set -u

Z=$1
EX=$2
GROUP=$3
T=$(mktemp -d "${TMPDIR:-/tmp}/zonix-cli.XXXXXX")
trap 'rm -rf "$T"' EXIT
cp "$EX"/cube.ine "$EX"/cube.ext "$EX"/octahedron.ext "$EX"/flat.ine "$T"/
cd "$T" || exit 1

pass=0
fail=0
ok() { pass=$((pass + 1)); echo "ok $1"; }
bad() { fail=$((fail + 1)); echo "FAIL $1"; }
show() { sed 's/^/  | /' "$1"; }

# run NAME STATUS COMMAND...: runs COMMAND with out/err captured and checks
# its exit status.
run() {
  local name=$1 want=$2
  shift 2
  "$@" >out 2>err
  local rc=$?
  if [ "$rc" -eq "$want" ]; then
    ok "$name: exit $rc"
  else
    bad "$name: exit $rc, expected $want"
    show err
  fi
}
# run_in NAME STATUS INPUT COMMAND...: the same with standard input from INPUT.
run_in() {
  local name=$1 want=$2 input=$3
  shift 3
  "$@" <"$input" >out 2>err
  local rc=$?
  if [ "$rc" -eq "$want" ]; then
    ok "$name: exit $rc"
  else
    bad "$name: exit $rc, expected $want"
    show err
  fi
}
# has NAME FILE TEXT: FILE contains the line fragment TEXT.
has() {
  if grep -qF -- "$3" "$2"; then ok "$1"; else bad "$1: '$3' not in $2"; show "$2"; fi
}
lacks() {
  if grep -qF -- "$3" "$2"; then bad "$1: '$3' in $2"; show "$2"; else ok "$1"; fi
}
# count NAME FILE PATTERN N: N lines of FILE match the extended regex.
count() {
  local n
  n=$(grep -cE -- "$3" "$2")
  if [ "$n" -eq "$4" ]; then ok "$1"; else bad "$1: $n lines match '$3', expected $4"; show "$2"; fi
}
exists() { if [ -f "$2" ]; then ok "$1"; else bad "$1: no file $2"; fi; }
absent() { if [ -e "$2" ]; then bad "$1: $2 exists"; else ok "$1"; fi; }
same() { if cmp -s "$2" "$3"; then ok "$1"; else bad "$1: $2 and $3 differ"; diff "$2" "$3" | head -20; fi; }

# The rows between begin and end of a representation file, sorted.
body() { awk '/^begin/{b=1; getline; next} /^end/{b=0} b' "$1" | sort; }

# The eight vertices of the unit cube as the tool prints them.
cube_vertices() {
  for v in "0  0  0" "1  0  0" "0  1  0" "1  1  0" "0  0  1" "1  0  1" "0  1  1" "1  1  1"; do
    echo "  1  $v"
  done | sort
}

case $GROUP in

general)
  run "help" 0 "$Z" --help
  for c in convert lp reduce interior linearity adjacency project; do has "help lists $c" out "  $c "; done
  run "version" 0 "$Z" --version
  has "version number" out "zonix 1."
  has "version description" out "* dovavozu: a double description library:Version 1.0.0"
  for c in convert lp reduce interior linearity adjacency project; do
    run "$c --help" 0 "$Z" "$c" --help
    has "$c --help usage" out "Usage: zonix $c FILE"
    has "$c --help common options" out "-o, --output FILE"
  done
  run "no command" 2 "$Z"
  has "no command message" err "Try 'zonix --help'"
  run "unknown command" 2 "$Z" frobnicate cube.ine
  has "unknown command named" err "unknown command 'frobnicate'"
  run "unknown option" 2 "$Z" convert cube.ine --bogus
  has "unknown option named" err "unknown option '--bogus'"
  run "option of another command" 2 "$Z" lp cube.ine --eliminate 1
  run "missing option value" 2 "$Z" convert cube.ine --order
  has "missing value named" err "'--order' needs a value"
  run "value for a flag" 2 "$Z" reduce cube.ine --strong=yes
  run "no input file" 2 "$Z" convert --quiet
  has "no input file message" err "an input file is needed"
  run "two input files" 2 "$Z" convert cube.ine cube.ext
  run "missing file" 2 "$Z" convert nothere.ine
  has "missing file named" err "zonix: nothere.ine: cannot open"
  for c in lp reduce interior linearity adjacency; do
    run "$c: missing file" 2 "$Z" "$c" nothere.ine
    has "$c: missing file named" err "nothere.ine"
  done
  printf 'begin\n2 3 real\n1 2 x\n4 5 6\nend\n' >bad.ine
  for c in convert lp reduce interior linearity adjacency; do
    run "$c: malformed file" 2 "$Z" "$c" bad.ine
    has "$c: malformed file named" err "zonix: bad.ine: *Input Error: Input format is not correct."
  done
  run "project: malformed file" 2 "$Z" project bad.ine --eliminate 1
  printf 'begin\n-2 3 real\nend\n' >neg.ine
  run "negative size" 2 "$Z" convert neg.ine
  head -c 3000 /dev/urandom >noise.ine
  run "binary file" 2 "$Z" convert noise.ine
  absent "nothing written for a bad file" bad.ext
  mkdir adir
  run "input is a directory" 2 "$Z" convert adir
  run "unwritable output" 2 "$Z" convert cube.ine -o nodir/x.ext
  has "unwritable output named" err "zonix: nodir/x.ext: cannot open for writing"
  ;;

convert)
  # H to V, to the derived name, with every extra file.
  run "cube" 0 "$Z" convert cube.ine --adjacency --incidence --input-adjacency --input-incidence
  exists "cube.ext written" cube.ext
  has "notice of the file" err "zonix: wrote cube.ext"
  has "run report" cube.ext "* roworder: lexmin"
  has "representation" cube.ext "V-representation"
  has "size line" cube.ext " 8 4 real"
  body cube.ext >got
  cube_vertices >want
  same "the eight vertices" got want
  # Each vertex has three neighbours and lies on three facets.
  has "adjacency header" cube.ead "ead_file: Adjacency of generators"
  count "three neighbours each" cube.ead '^ [1-8] 3 : ' 8
  has "incidence header" cube.ecd "ecd_file: Incidence of generators and inequalities"
  count "three facets each (of 7 rows)" cube.ecd '^ [1-8] 3 : ' 8
  # Each facet meets four facets and holds four vertices; the row x0 >= 0
  # is redundant and adjacent to nothing.
  has "input adjacency header" cube.iad "iad_file: Adjacency of inequalities"
  count "four neighbours per facet" cube.iad '^ [1-6] (4|-4) : ' 6
  has "input incidence header" cube.icd "icd_file: Incidence of inequalities and generators"
  count "four vertices per facet" cube.icd '^ [1-6] 4 : ' 6

  # V to H: the octahedron's eight facets 1 +-x1 +-x2 +-x3 >= 0.
  run "octahedron" 0 "$Z" convert octahedron.ext --quiet
  exists "octahedron.ine written" octahedron.ine
  lacks "quiet: no notice" err "wrote"
  has "H-representation" octahedron.ine "H-representation"
  body octahedron.ine >got
  for a in 1 -1; do for b in 1 -1; do for c in 1 -1; do printf '  1 %2d %2d %2d\n' $a $b $c; done; done; done | sort >want
  same "the eight facets" got want

  # Standard input and output.
  run_in "stdin to stdout" 0 cube.ine "$Z" convert -
  body out >got
  cube_vertices >want
  same "stdin: the vertices" got want
  has "stdin named in the report" out "* input: (standard input)"
  run "file to stdout" 0 "$Z" convert cube.ext -o -
  count "file to stdout: six facets" out '^  [01] ' 6
  run_in "stdin to a file" 0 cube.ine "$Z" convert - -o from-stdin.ext --adjacency
  body from-stdin.ext >got
  same "stdin to a file: the vertices" got want
  exists "extra file named after the output" from-stdin.ead
  run_in "stdin, stdout and adjacency" 0 cube.ine "$Z" convert - --adjacency
  has "adjacency follows on stdout" out "ead_file: Adjacency of generators"
  # The output reads back as input: the round trip gives the facets again.
  "$Z" convert cube.ine -o - 2>/dev/null | "$Z" convert - -o - >back 2>/dev/null
  count "round trip: six facets" back '^  [01] ' 6

  # A file name made of keywords does not spoil the output's comments.
  cp cube.ine "begin linearity 1.ine"
  run "keyword file name" 0 "$Z" convert "begin linearity 1.ine" -o awkward.ext
  has "name quoted" awkward.ext "* input: 'begin?linearity?1.ine',"
  run "its output reads back" 0 "$Z" convert awkward.ext -o -
  count "read back: six facets" out '^  [01] ' 6
  lacks "read back: no linearity warning" err "Warning"

  # Every row order gives the same vertices.
  for o in lexmin lexmax minindex maxindex mincutoff maxcutoff mixcutoff random random:7; do
    run "order $o" 0 "$Z" convert cube.ine --order "$o" -o "order-$o.ext"
    body "order-$o.ext" >got
    same "order $o: the vertices" got want
  done
  has "order named" order-maxcutoff.ext "* roworder: maxcutoff"
  has "random seed named" order-random:7.ext "* roworder: random  7"
  has "default seed" order-random.ext "* roworder: random  1"
  for o in sideways random:x random:-1 lexmin:3 random: ""; do
    run "bad order '$o'" 2 "$Z" convert cube.ine --order "$o"
    has "bad order message" err "Try 'zonix convert --help'"
  done

  # A computation error: an empty V-representation.
  printf 'V-representation\nbegin\n0 3 real\nend\n' >empty.ext
  run "empty V-representation" 1 "$Z" convert empty.ext
  has "error message with the file" err "zonix: empty.ext: *Input Error: V-representation is empty"
  absent "no output for the error" empty.ine
  ;;

lp)
  # max x1 + 2 x2 + 3 x3 over the cube: 6 at (1, 1, 1).
  run "dual simplex" 0 "$Z" lp cube.ine
  exists "cube.lps written" cube.lps
  has "method" cube.lps "* Algorithm: dual simplex algorithm"
  has "maximization" cube.lps "* maximization is chosen"
  has "objective" cube.lps "  0 +  1 X[  1] +  2 X[  2] +  3 X[  3]"
  has "optimal" cube.lps "* LP status: a dual pair (x,y) of optimal solutions found."
  for j in 1 2 3; do has "x$j = 1" cube.lps "    $j :   1"; done
  has "optimal value" cube.lps "  optimal_value :   6"
  # The binding rows x_j <= 1 (rows 4, 5, 6) with duals 1, 2, 3.
  has "dual of row 4" cube.lps "    4 :   1"
  has "dual of row 5" cube.lps "    5 :   2"
  has "dual of row 6" cube.lps "    6 :   3"
  run "criss-cross" 0 "$Z" lp cube.ine --method criss-cross -o -
  has "criss-cross method" out "* Algorithm: criss-cross method"
  has "criss-cross optimum" out "  optimal_value :   6"
  run_in "stdin" 0 cube.ine "$Z" lp - --method=dual-simplex
  has "stdin optimum" out "  optimal_value :   6"
  # min x1 over x1 <= 1: unbounded below.
  printf 'H-representation\nbegin\n1 2 real\n1 -1\nend\nminimize\n0 1\n' >unb.ine
  run "unbounded" 0 "$Z" lp unb.ine -o -
  has "dual inconsistent" out "* LP status: LP is dual inconsistent."
  has "direction" out "    1 :  -1"
  # x1 >= 1 and x1 <= 0.
  printf 'H-representation\nbegin\n2 2 real\n-1 1\n0 -1\nend\nmaximize\n0 1\n' >inf.ine
  run "infeasible" 0 "$Z" lp inf.ine -o -
  has "inconsistent" out "* LP status: LP is inconsistent."
  run "no objective" 1 "$Z" lp flat.ine -o -
  has "no objective message" err "zonix: flat.ine: *LP Error: No LP objective (max or min) is set."
  has "no objective report" out "*LP Error: No LP objective"
  run "V input" 2 "$Z" lp cube.ext
  has "V input message" err "an LP needs an H-representation"
  run "bad method" 2 "$Z" lp cube.ine --method simplex
  has "bad method message" err "unknown method 'simplex'"
  ;;

reduce)
  run "redundant rows" 0 "$Z" reduce flat.ine
  exists "flat.solved written" flat.solved
  has "rows named" flat.solved "* redundant rows (2): 5 6"
  has "six rows left" flat.solved " 6 4 real"
  lacks "x1 + x2 <= 2 gone" flat.solved "  2 -1 -1  0"
  run "strong" 0 "$Z" reduce flat.ine --strong -o -
  has "strongly redundant: row 6 only" out "* strongly redundant rows (1): 6"
  has "x1 + x2 <= 2 kept" out "  2 -1 -1  0"
  run "shooting" 0 "$Z" reduce flat.ine --shooting -o -
  has "shooting: rows 5 and 6" out "* redundant rows (2): 5 6"
  run "nothing redundant" 0 "$Z" reduce cube.ine -o -
  has "cube: none" out "* redundant rows (0):"
  # The cube's vertices with its centre and a repeated vertex.
  { sed -n '1,4p' cube.ext; echo "10 4 rational"; sed -n '6,13p' cube.ext; echo "1 1/2 1/2 1/2"; echo "1 1 1 1"; echo end; } >extra.ext
  run "V: interior point and repeated vertex" 0 "$Z" reduce extra.ext -o -
  has "V: rows 9 and 10" out "* redundant rows (2): 9 10"
  has "V-representation kept" out "V-representation"
  run_in "stdin" 0 flat.ine "$Z" reduce -
  has "stdin: to stdout" out "* redundant rows (2): 5 6"
  run "both methods" 2 "$Z" reduce flat.ine --strong --shooting
  run "shooting on V" 2 "$Z" reduce cube.ext --shooting
  ;;

interior)
  run "cube" 0 "$Z" interior cube.ine -o -
  has "found" out "* an interior point (every inequality holds strictly):"
  # The point lies strictly inside (0, 1)^3.
  awk '/^\* an interior point/{getline; for(i=2;i<=NF;i++) if(!($i > 0 && $i < 1)) bad=1; n=NF-1} END{exit !(n==3 && !bad)}' out &&
    ok "point inside the cube" || { bad "point inside the cube"; show out; }
  run "flat square" 0 "$Z" interior flat.ine
  exists "flat.lps written" flat.lps
  has "none in the plane x3 = 0" flat.lps "* there is no interior point."
  run_in "stdin" 0 cube.ine "$Z" interior -
  has "stdin: found" out "* an interior point"
  run "V input" 2 "$Z" interior cube.ext
  ;;

linearity)
  run "flat square" 0 "$Z" linearity flat.ine
  exists "flat.ddl written" flat.ddl
  has "rows 7 and 8" flat.ddl "* implicit linearity rows (2): 7 8"
  has "declared" flat.ddl "linearity 2  7 8"
  run "cube" 0 "$Z" linearity cube.ine -o -
  has "cube: none" out "* implicit linearity rows (0):"
  count "cube: no linearity line" out "^linearity" 0
  # A segment given twice (and its opposite ray): the line is found.
  printf 'V-representation\nbegin\n3 3 real\n1 0 0\n0 1 1\n0 -1 -1\nend\n' >line.ext
  run "V: a line from opposite rays" 0 "$Z" linearity line.ext -o -
  has "V: rows 2 and 3" out "* implicit linearity rows (2): 2 3"
  run_in "stdin" 0 flat.ine "$Z" linearity - -o -
  has "stdin" out "* implicit linearity rows (2): 7 8"
  ;;

adjacency)
  # Each facet of the cube meets every facet but itself and its opposite.
  run "cube" 0 "$Z" adjacency cube.ine
  exists "cube.iad written" cube.iad
  has "header" cube.iad "iad_file: Adjacency of inequalities"
  has "sizes" cube.iad "  6    6"
  for line in " 1 -4 : 1 4 " " 2 -4 : 2 5 " " 3 -4 : 3 6 " " 4 -4 : 1 4 " " 5 -4 : 2 5 " " 6 -4 : 3 6 "; do
    has "facet line '$line'" cube.iad "$line"
  done
  # The octahedron's vertices: each is adjacent to four, not to itself
  # and its opposite.
  run "octahedron" 0 "$Z" adjacency octahedron.ext -o -
  has "V header" out "ead_file: Adjacency of generators"
  has "vertex 1" out " 1 -4 : 1 2 "
  has "vertex 6" out " 6 -4 : 5 6 "
  run_in "stdin" 0 cube.ine "$Z" adjacency -
  has "stdin" out " 1 -4 : 1 4 "
  ;;

project)
  # Eliminating x3 from the cube leaves the unit square (with redundant rows).
  run "block" 0 "$Z" project cube.ine --eliminate 3
  exists "cubesub.ine written" cubesub.ine
  has "size" cubesub.ine " 3 real"
  "$Z" convert cubesub.ine -o - 2>/dev/null >square.ext
  body square.ext >got
  printf '  1  0  0\n  1  1  0\n  1  0  1\n  1  1  1\n' | sort >want
  same "block: the square's vertices" got want
  run "fourier" 0 "$Z" project cube.ine --eliminate 3 --fourier -o fourier.ine
  has "fourier named" fourier.ine "Fourier-Motzkin"
  "$Z" convert fourier.ine -o - 2>/dev/null >square2.ext
  body square2.ext >got
  same "fourier: the square's vertices" got want
  # Two variables at once: the segment 0 <= x2 <= 1.
  run "two variables" 0 "$Z" project cube.ine --eliminate 1,3 -o seg.ine
  has "two variables: two columns" seg.ine " 2 real"
  "$Z" convert seg.ine -o - 2>/dev/null >seg.ext
  body seg.ext >got
  printf '  1  0\n  1  1\n' | sort >want2
  same "two variables: the segment" got want2
  run "range" 0 "$Z" project cube.ine --eliminate 1-2 --fourier -o - 
  has "range: one variable left" out " 2 real"
  # Generators project by dropping coordinates.
  run "V" 0 "$Z" project cube.ext --eliminate 3 -o -
  has "V kept" out "V-representation"
  count "V: eight points of the square" out '^  1  [01]  [01]$' 8
  run_in "stdin" 0 cube.ine "$Z" project - --eliminate=3
  has "stdin: to stdout" out "block elimination"
  # Fourier-Motzkin does not take equations.
  printf 'H-representation\nlinearity 1 3\nbegin\n3 3 real\n0 1 0\n1 -1 0\n0 1 -1\nend\n' >eq.ine
  run "fourier with an equation" 1 "$Z" project eq.ine --eliminate 2 --fourier -o -
  has "linearity refused" err "zonix: eq.ine: *Error: The function called cannot handle linearity."
  run "block with an equation" 0 "$Z" project eq.ine --eliminate 2 -o -
  for bad in 0 4 x 2-1 "1,,2" ""; do
    run "bad variables '$bad'" 2 "$Z" project cube.ine --eliminate "$bad"
  done
  has "out of range named" err "zonix: cube.ine: --eliminate"
  run "no --eliminate" 2 "$Z" project cube.ine
  has "required" err "--eliminate COLS is required"
  ;;

progress)
  # A conversion of a few seconds: the 13-cube's 8192 vertices.
  awk 'BEGIN { d = 13; n = 2 ^ d; print "V-representation"; print "begin"; print n, d + 1, "integer";
               for (k = 0; k < n; k++) { s = "1"; x = k; for (j = 0; j < d; j++) { s = s " " (x % 2); x = int(x / 2) } print s }
               print "end" }' >cube13.ext
  # Two runs at a time keep the group short under the sanitizers.  Not a
  # terminal: a line only when forced.
  "$Z" convert cube13.ext -o /dev/null 2>plain-err &
  plain=$!
  run "forced progress" 0 "$Z" convert cube13.ext --progress -o cube13.ine
  has "progress line" err "zonix: iteration "
  has "rays kept" err " rays kept"
  count "the 26 facets" cube13.ine '^  [01] ' 26
  if wait $plain; then ok "no terminal: exit 0"; else bad "no terminal: exit status"; fi
  lacks "no terminal: no line" plain-err "iteration"
  # A quick conversion never shows one.
  run "quick" 0 "$Z" convert cube.ine --progress -o /dev/null
  lacks "quick: no line" err "iteration"
  if command -v script >/dev/null 2>&1; then
    # On a terminal the line appears, and --quiet silences it.
    script -qec "'$Z' convert cube13.ext -o /dev/null --quiet" /dev/null >tty-quiet.txt 2>&1 &
    quiet=$!
    script -qec "'$Z' convert cube13.ext -o /dev/null" /dev/null >tty.txt 2>&1
    has "terminal: progress line" tty.txt "zonix: iteration "
    wait $quiet
    lacks "terminal and --quiet: no line" tty-quiet.txt "iteration"
  fi
  ;;

*)
  echo "unknown group $GROUP"
  exit 2
  ;;
esac

echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
