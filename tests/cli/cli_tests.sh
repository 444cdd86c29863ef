#!/bin/bash
# Tests of the zonix tool, one group per run: cli_tests.sh ZONIX EXAMPLES GROUP.
# Expected answers are worked out by hand from the examples (unit cube,
# octahedron, flat square) or by closed formulas; lrs_oracle compares the
# conversions themselves with lrs.
set -u
Z=$1
GROUP=$3
HERE=$(cd "$(dirname "$0")" && pwd)
T=$(mktemp -d "${TMPDIR:-/tmp}/zonix-cli.XXXXXX")
trap 'rm -rf "$T"' EXIT
cp "$2"/cube.ine "$2"/cube.ext "$2"/octahedron.ext "$2"/flat.ine "$T"/
cd "$T" || exit 1

pass=0
fail=0
ok() { pass=$((pass + 1)); echo "ok $1"; }
bad() { fail=$((fail + 1)); echo "FAIL $1"; [ -f "${2:-}" ] && sed 's/^/  | /' "$2"; }
# run NAME STATUS COMMAND...: COMMAND (stdin from $IN if set) exits with
# STATUS; its output is in out and err.
run() {
  "${@:3}" <"${IN:-/dev/null}" >out 2>err
  local rc=$?
  if [ "$rc" -eq "$2" ]; then ok "$1: exit $rc"; else bad "$1: exit $rc, expected $2" err; fi
}
has() { if grep -qF -- "$3" "$2"; then ok "$1"; else bad "$1: '$3' not in $2" "$2"; fi; }
lacks() { if grep -qF -- "$3" "$2"; then bad "$1: '$3' in $2" "$2"; else ok "$1"; fi; }
# count NAME FILE REGEX N: N lines of FILE match.
count() {
  local n
  n=$(grep -cE -- "$3" "$2")
  if [ "$n" -eq "$4" ]; then ok "$1"; else bad "$1: $n lines match '$3', expected $4" "$2"; fi
}
# cases: lines STATUS|FILE|TEXT|ARGUMENTS: zonix ARGUMENTS exits with STATUS
# and FILE (out, err or a file it writes) holds TEXT.
cases() {
  while IFS='|' read -r want where frag args; do
    eval "set -- $args"
    run "$args" "$want" "$Z" "$@"
    has "$args: $frag" "$where" "$frag"
  done
}
# near NAME FILE KEY VALUE: a line "KEY : x" of FILE has x within ten
# significant digits of VALUE (the report writes every digit of a double).
near() {
  if awk -v k="$3" -v v="$4" '$1 == k && $2 == ":" { d = $3 - v; if (d < 0) d = -d
      if (d <= 1e-10 * (v < 0 ? -v : v) + 1e-300) f = 1 } END { exit !f }' "$2"; then ok "$1"
  else bad "$1: no '$3 : $4' in $2" "$2"; fi
}
same() { if cmp -s "$2" "$3"; then ok "$1"; else bad "$1: $2 and $3 differ"; diff "$2" "$3" | head; fi; }
# The rows between begin and end of a representation file, sorted.
body() { awk '/^begin/{b=1; getline; next} /^end/{b=0} b' "$1" | sort; }
cube() {  # the d-cube's 2^d vertices: the 13-cube takes about a second
  awk -v d="$1" 'BEGIN { print "V-representation\nbegin"; print 2 ^ d, d + 1, "integer"
    for (k = 0; k < 2 ^ d; k++) { s = "1"; x = k; for (j = 0; j < d; j++) { s = s " " (x % 2); x = int(x / 2) } print s }
    print "end" }'
}

case $GROUP in

general)
  run "help" 0 "$Z" --help
  mv out help
  for c in convert lp reduce interior linearity adjacency project; do
    has "help lists $c" help "  $c "
    run "$c --help" 0 "$Z" "$c" --help
    has "$c --help" out "Usage: zonix $c FILE"
  done
  run "version" 0 "$Z" --version
  has "version description" out "* dovavozu: a double description library:Version 1.0.0"
  # Libraries are found beside the tool, never in the directory it runs in:
  # a broken copy there would stop the loader.
  mkdir -p trap && echo broken | tee trap/libgmp.so.10 trap/libdovavozu.so.1 trap/libstdc++.so.6 >/dev/null
  (cd trap && "$Z" --version >../out 2>../err)
  [ $? -eq 0 ] && ok "libraries not taken from the working directory" || bad "libraries taken from the working directory" err
  # Bad command lines.
  cases <<'EOF'
2|err|Try 'zonix --help'|
2|err|unknown command 'frobnicate'|frobnicate cube.ine
2|err|unknown option '--bogus'|convert cube.ine --bogus
2|err|'--order' needs a value|convert cube.ine --order
2|err|an input file is needed|convert --quiet
2|err|more than one input file|convert cube.ine cube.ext
2|err|zonix: nothere.ine: cannot open|lp nothere.ine
2|err|zonix: .: read error|convert .
2|err|zonix: nodir/x.ext: cannot open for writing|convert cube.ine -o nodir/x.ext
2|err|unknown row order 'random:x'|convert cube.ine --order random:x
2|err|--threads needs a count from 1 to 64, not '65'|convert cube.ine --threads 65
2|err|unknown method 'simplex'|lp cube.ine --method simplex
2|err|an LP needs an H-representation|lp cube.ext
2|err|exclude each other|reduce flat.ine --strong --shooting
2|err|interior point is sought for an H-representation|interior cube.ext
2|err|--eliminate COLS is required|project cube.ine
2|err|variable 4 out of range 1..3|project cube.ine --eliminate 4
EOF
  ;;

badfiles)
  # Each bad file is refused with the reader's message, the line and the
  # reason; nothing is written.
  while IFS='|' read -r want cmd frag text; do
    printf "$text" >bad.ine
    run "$cmd: $frag" "$want" "$Z" $cmd bad.ine -o result.txt
    grep -qF "zonix: bad.ine: *Input Error: Input format is not correct." err && grep -qF -- "zonix: bad.ine: $frag" err &&
      [ ! -e result.txt ] && ok "$frag" || bad "$cmd: $frag" err
  done < <(grep '^[0-9]' "$HERE/bad_files.txt")
  [ "$pass" -ge 80 ] || bad "only $((pass / 2)) bad files"
  # A valid file too wide for this machine: out of memory, no crash.
  awk 'BEGIN { print "begin\n1 100001 real"; s = "1"; for (i = 0; i < 100000; i++) s = s " 0"; print s "\nend" }' >wide.ine
  for c in convert lp reduce; do
    run "$c: 1 x 100001" 1 "$Z" "$c" wide.ine -o -
    has "$c: out of memory" err "zonix: wide.ine: *Error: Out of memory."
  done
  # The reader is quiet about sizes.
  run "no size notice" 0 "$Z" convert cube.ine -o - --quiet
  lacks "no size notice" err "size ="
  ;;

convert)
  run "cube" 0 "$Z" convert cube.ine --adjacency --incidence --input-adjacency --input-incidence
  has "notice of the file" err "zonix: wrote cube.ext"
  has "run report" cube.ext "* roworder: spread"
  body cube.ext | uniq >want
  count "the eight vertices" want '^  1( +[01]){3}$' 8
  # Each vertex has three neighbours, each facet four.
  count "three neighbours each" cube.ead '^ [1-8] 3 : ' 8
  count "four neighbours per facet" cube.iad '^ [1-6] (4|-4) : ' 6
  # Over an existing file: the name gets the new file, whole, with the mode a
  # new file has; a hard link keeps the old one; nothing hidden is left.
  echo "previous" >over.ext && ln over.ext over.keep
  run "over an existing file" 0 "$Z" convert cube.ine -o over.ext
  same "the new file, whole" <(body over.ext) <(body cube.ext)
  has "the old one kept by its other name" over.keep "previous"
  [ "$(stat -c %a over.ext)" = "$(printf '%o' $((0666 & ~0$(umask))))" ] && ok "mode from the umask" || bad "mode $(stat -c %a over.ext)"
  count "no temporary file" <(ls -A) '^\.' 0
  # V to H: the octahedron's eight facets 1 +-x1 +-x2 +-x3 >= 0.
  run "octahedron" 0 "$Z" convert octahedron.ext --quiet
  lacks "quiet: no notice" err "wrote"
  body octahedron.ine | uniq >got
  count "the eight facets" got '^  1( +-?1){3}$' 8
  # Standard streams, and the output read back as input.
  IN=cube.ine run "stdin to stdout" 0 "$Z" convert - --adjacency
  has "stdin named in the report" out "* input: (standard input)"
  has "adjacency follows on stdout" out "ead_file: Adjacency of generators"
  # A file name made of keywords does not spoil the output's comments.
  cp cube.ine "begin linearity 1.ine"
  "$Z" convert "begin linearity 1.ine" -o - 2>/dev/null | "$Z" convert - -o - >back 2>/dev/null
  count "keyword file name: six facets" back '^  [01] ' 6
  # Every row order gives the same vertices.
  for o in spread lexmin lexmax minindex maxindex mincutoff maxcutoff mixcutoff random random:7 columns; do
    run "order $o" 0 "$Z" convert cube.ine --order "$o" -o "order-$o.ext"
    body "order-$o.ext" >got
    same "order $o: the vertices" got want
  done
  has "random seed named" order-random:7.ext "* roworder: random  7"
  # The permutahedron P(7) (x sums to 28, x over each set S of coordinates to at least
  # |S|(|S|+1)/2): 5040 vertices, pair tests enough for threads; the same file on 1 or 4.
  awk 'BEGIN { print "linearity 1 1\nbegin\n127 8 integer\n-28 1 1 1 1 1 1 1"; for (k = 1; k < 127; k++) {
    c = 0; r = ""; for (j = 0; j < 7; j++) { b = int(k / 2 ^ j) % 2; c += b; r = r " " b }; print -c * (c + 1) / 2 r }; print "end" }' >perm7.ine
  for t in 1 4; do
    run "threads $t" 0 "$Z" convert perm7.ine --threads "$t" -o "perm7-$t.ext"
    grep -v '^\*Computation\|^\*  *terminates\|^\*Total\|^\*  *=' "perm7-$t.ext" >"perm7-$t"  # times aside
  done
  same "threads 1 and 4: the same file" perm7-1 perm7-4
  count "the 5040 permutations" perm7-4 '^  1 ' 5040
  # Exact arithmetic: the cube's rows times 1e-8 give its vertices as integers.
  printf 'begin\n6 4 real\n1e-8 -1e-8 0 0\n1e-8 0 -1e-8 0\n1e-8 0 0 -1e-8\n0 1e-8 0 0\n0 0 1e-8 0\n0 0 0 1e-8\nend\n' >tiny.ine
  run "exact" 0 "$Z" convert tiny.ine --arithmetic exact -o tiny.ext
  count "exact: the eight vertices, rational" tiny.ext '^ 1( [01]){3}$|rational$' 9
  # y >= 1 with the row 0 <= 1 (as a hull with a line writes it): the
  # point (0, 1), the ray e2 and the line e1 in every arithmetic.
  printf 'H-representation\nbegin\n2 3 real\n-1 0 1\n1 0 0\nend\n' >trivial.ine
  for a in double exact auto; do
    run "0 <= 1 ($a)" 0 "$Z" convert trivial.ine --arithmetic $a -o trivial.ext
    has "0 <= 1 ($a): the line" trivial.ext "linearity 1"
    body trivial.ext | tr -s ' ' | sed 's/^ //; s/-1/1/g' | sort >got
    printf '0 0 1\n0 1 0\n1 0 1\n' >want
    same "0 <= 1 ($a): point, ray and line" got want
  done
  # Numbers beyond the doubles, read exactly: x >= -10^-400 and x <= 1
  # (real), x <= 10^400 (real), x <= 2^63 (integer), x <= a 400-digit
  # integer and x <= its reciprocal (rational); each segment's two ends.
  ones=$(printf '1%.0s' $(seq 400))
  zeros=$(printf '0%.0s' $(seq 400))
  printf 'H-representation\nbegin\n2 2 real\n1e-400 1\n1 -1\nend\n' >tiny.ine
  printf 'H-representation\nbegin\n2 2 real\n0 1\n1e400 -1\nend\n' >huge.ine
  printf 'H-representation\nbegin\n2 2 integer\n0 1\n9223372036854775808 -1\nend\n' >i63.ine
  printf 'H-representation\nbegin\n2 2 integer\n0 1\n%s -1\nend\n' "$ones" >i400.ine
  printf 'H-representation\nbegin\n2 2 rational\n0 1\n1/%s -1\nend\n' "$ones" >r400.ine
  while read -r f far; do
    printf ' 1 %s\n 1 %s\n' "$(echo "$far" | cut -d' ' -f1)" "$(echo "$far" | cut -d' ' -f2)" | sort >want
    for a in exact auto; do
      run "$f ($a)" 0 "$Z" convert "$f" --arithmetic $a -o big.ext
      body big.ext >got
      same "$f ($a): both ends, exactly" got want
    done
    run "$f (double)" 2 "$Z" convert "$f" --arithmetic double -o big.ext
  done <<EOF
tiny.ine -1/1$zeros 1
huge.ine 0 1$zeros
r400.ine 0 1/$ones
i400.ine 0 $ones
EOF
  for a in exact auto; do
    run "2^63 ($a)" 0 "$Z" convert i63.ine --arithmetic $a -o big.ext
    has "2^63 ($a): the far end" big.ext " 1 9223372036854775808"
  done
  # A word of 1101 characters is a number like any other.
  printf 'H-representation\nbegin\n2 2 integer\n0 1\n%s7 -1\nend\n' "$(printf '0%.0s' $(seq 1100))" >long.ine
  run "long word" 0 "$Z" convert long.ine -o - --arithmetic exact
  has "long word: the end 7" out " 1 7"
  printf 'V-representation\nbegin\n0 3 real\nend\n' >empty.ext
  run "empty V-representation" 1 "$Z" convert empty.ext --order random:5
  has "its message" err "zonix: empty.ext: *Input Error: V-representation is empty"
  ;;

signal)
  # SIGINT during a long conversion: exit 130 with a message, the previous
  # output intact.  The progress line shows the run is under way.
  cube 13 >cube13.ext
  echo "previous contents" >cube13.ine
  "$Z" convert cube13.ext -o cube13.ine --progress 2>err &
  pid=$!
  for _ in $(seq 200); do grep -q "iteration" err && break; sleep 0.05; done
  has "progress line" err "zonix: iteration "
  kill -INT $pid
  wait $pid && rc=0 || rc=$?
  [ $rc -eq 130 ] && ok "interrupted: exit 130" || bad "interrupted: exit $rc" err
  has "interrupt message" err "zonix convert: interrupted"
  has "old file intact" cube13.ine "previous contents"
  # SIGINT twice while the 14-cube's vertex adjacency (seconds of work) is
  # written in double, once its vertices are out: the old adjacency file stays, and
  # no temporary file is left.
  awk 'BEGIN { d = 14; print "H-representation\nbegin"; print 2 * d, d + 1, "integer"
    for (j = 1; j <= d; j++) for (s = 0; s <= 1; s++) { r = s; for (i = 1; i <= d; i++) r = r " " (i == j ? 1 - 2 * s : 0); print r }
    print "end" }' >h14.ine
  echo "previous adjacency" >h14.ead
  "$Z" convert h14.ine -o h14.ext --adjacency --arithmetic double 2>err &
  pid=$!
  for _ in $(seq 400); do grep -q "wrote h14.ext" err && break; sleep 0.05; done
  kill -INT $pid; sleep 0.3; kill -INT $pid
  wait $pid && rc=0 || rc=$?
  [ $rc -eq 130 ] && ok "interrupted writing: exit 130" || bad "interrupted writing: exit $rc" err
  count "the 16384 vertices written" h14.ext '^  1 ' 16384
  has "old adjacency intact" h14.ead "previous adjacency"
  count "no temporary file" <(ls -A) '^\.' 0
  ;;

queries)
  # cube.ine: max x1 + 2 x2 + 3 x3 over the cube, 6 at (1, 1, 1) with duals
  # 1, 2, 3 on its rows 4, 5, 6 (x_j <= 1).  unb.ine: min x1 over x1 <= 1.
  # both.ine: max x1 over x2 >= 1, x2 <= -1, whose dual has no feasible point
  # either (x1 is in no row); rows 1 + 2 prove it.  flat.ine: rows 5 and 6
  # redundant, 6 strongly, 7 and 8 an equation.  line.ext: a point and two
  # opposite rays.  extra.ext: the cube's vertices, its centre and a vertex
  # again.  Each facet of the cube meets all but itself and its opposite,
  # each vertex of the octahedron likewise.
  printf 'H-representation\nbegin\n1 2 real\n1 -1\nend\nminimize\n0 1\n' >unb.ine
  printf 'H-representation\nbegin\n2 3 real\n-1 0 1\n-1 0 -1\nend\nmaximize\n0 1 0\n' >both.ine
  printf 'V-representation\nbegin\n3 3 real\n1 0 0\n0 1 1\n0 -1 -1\nend\n' >line.ext
  { sed -n '1,4p' cube.ext; echo "10 4 rational"; sed -n '6,13p' cube.ext; echo "1 1/2 1/2 1/2"; echo "1 1 1 1"; echo end; } >extra.ext
  cases <<'EOF'
0|cube.lps|* Algorithm: dual simplex algorithm|lp cube.ine
0|cube.lps|  0 +  1 X[  1] +  2 X[  2] +  3 X[  3]|lp cube.ine
0|out|  optimal_value :   6|lp cube.ine -o - --method criss-cross
0|out|* LP status: LP is dual inconsistent.|lp unb.ine -o -
0|out|* no feasible solution|lp both.ine -o -
0|out|* LP status: LP is inconsistent.|lp both.ine -o - --method criss-cross
1|err|zonix: flat.ine: *LP Error: No LP objective (max or min) is set.|lp flat.ine -o -
0|flat.solved|* redundant rows (2): 5 6|reduce flat.ine
0|out|* strongly redundant rows (1): 6|reduce flat.ine --strong -o -
0|out|* redundant rows (2): 5 6|reduce flat.ine --shooting -o -
0|out|* redundant rows (2): 9 10|reduce extra.ext -o -
0|flat.lps|* there is no interior point.|interior flat.ine
0|flat.ddl|linearity 2  7 8|linearity flat.ine
0|out|* implicit linearity rows (2): 2 3|linearity line.ext -o -
0|cube.iad| 1 -4 : 1 4 |adjacency cube.ine
0|out| 6 -4 : 5 6 |adjacency octahedron.ext -o -
EOF
  IN=cube.ine run "lp from stdin" 0 "$Z" lp -
  for j in 1 2 3; do near "x$j = 1" out "$j" 1; has "dual of row $((j + 3))" out "    $((j + 3)) :   $j"; done
  run "both infeasible" 0 "$Z" lp both.ine -o -
  lacks "no unbounded direction" out "unbounded direction"
  count "certificate rows 1 and 2" out '^    [12] :   1$' 2
  # A subnormal coefficient: x1 <= 2^1074, x2 <= 1, x1 + x2 >= 0 and
  # x2 <= 2, the last redundant and never tight; with x1 + x2 <= 0 instead,
  # rows 3 and 4 are an equation.  Its scaling once stopped the process.
  printf 'H-representation\nbegin\n4 3 real\n1 -4.9e-324 0\n1 0 -1\n0 1 1\n2 0 -1\nend\n' >sub.ine
  printf 'H-representation\nbegin\n4 3 real\n1 -4.9e-324 0\n1 0 -1\n0 1 1\n0 -1 -1\nend\n' >subeq.ine
  for a in auto exact; do
    cases <<EOF
0|out|* redundant rows (1): 4|reduce sub.ine --arithmetic $a -o -
0|out|* strongly redundant rows (1): 4|reduce sub.ine --strong --arithmetic $a -o -
0|out|* implicit linearity rows (2): 3 4|linearity subeq.ine --arithmetic $a -o -
EOF
  done
  # Strongly redundant rows: those slack on the whole polyhedron.  sq.ine,
  # the unit square with x1 + x2 <= 2 (tight at (1, 1) only) and
  # x1 + x2 <= 3; sq3.ine the same square at scale 1/3, read exactly;
  # sqv.ext the square's vertices, an edge's midpoint, the centre and
  # (1, 1) again; pl.ine the square in the plane x3 = 0 with x1 + x2 <= 3,
  # x3 <= 5 and x3 >= 0, the last tight everywhere.
  printf 'H-representation\nbegin\n6 3 integer\n0 1 0\n0 0 1\n1 -1 0\n1 0 -1\n2 -1 -1\n3 -1 -1\nend\n' >sq.ine
  printf 'H-representation\nbegin\n6 3 rational\n0 1 0\n0 0 1\n1/3 -1 0\n1/3 0 -1\n2/3 -1 -1\n1 -1 -1\nend\n' >sq3.ine
  printf 'V-representation\nbegin\n7 3 rational\n1 0 0\n1 1 0\n1 0 1\n1 1 1\n1 1/2 0\n1 1/2 1/2\n1 1 1\nend\n' >sqv.ext
  printf 'H-representation\nlinearity 1 1\nbegin\n8 4 integer\n0 0 0 1\n0 1 0 0\n0 0 1 0\n1 -1 0 0\n1 0 -1 0\n3 -1 -1 0\n5 0 0 -1\n0 0 0 1\nend\n' >pl.ine
  while IFS='|' read -r file rows arithmetics; do
    for a in $arithmetics; do
      cases <<EOF
0|out|* strongly redundant rows $rows|reduce $file --strong --arithmetic $a -o -
EOF
    done
  done <<'EOF'
sq.ine|(1): 6|double exact auto
sq3.ine|(1): 6|exact auto
sqv.ext|(1): 6|double exact auto
pl.ine|(2): 6 7|double exact auto
EOF
  # The rows kept are written as read: 2/3 stays 2/3, 1 -1 -1 goes.
  run "sq3 kept rows" 0 "$Z" reduce sq3.ine --strong --arithmetic exact -o -
  has "sq3: x1 + x2 <= 2/3 kept" out " 2/3 -1 -1"
  lacks "sq3: x1 + x2 <= 1 gone" out " 1 -1 -1"
  # The interior-point LP's ceiling is twice the largest b, unless that
  # is no double: x1 <= 1e308, x2 <= 1, x1 + x2 >= 0 have the slack
  # (1e308 + 1) / 3 at best, the three slacks summing to 1e308 + 1.
  printf 'H-representation\nbegin\n3 3 real\n1e308 -1 0\n1 0 -1\n0 1 1\nend\n' >huge.ine
  for a in auto exact double; do
    run "huge b: interior ($a)" 0 "$Z" interior huge.ine --arithmetic $a -o -
    awk '$1 == "optimal_value" { v = $3 } END { exit !(v > 3.3333333333e307 && v < 3.3333333334e307) }' out &&
      ok "huge b: the margin ($a)" || bad "huge b: the margin ($a)" out
  done
  # The interior point of the cube lies strictly inside (0, 1)^3.
  IN=cube.ine run "interior" 0 "$Z" interior -
  awk '/^\* an interior point/{getline; for(i=2;i<=NF;i++) if(!($i > 0 && $i < 1)) bad=1; n=NF-1} END{exit !(n==3 && !bad)}' out &&
    ok "point inside the cube" || bad "point inside the cube" out
  ;;

project)
  # Eliminating x3 from the cube leaves the unit square; x1 and x3 from
  # its vertices the segment 0 <= x2 <= 1.
  printf '  1  0  0\n  1  1  0\n  1  0  1\n  1  1  1\n' | sort >square
  for how in "" --fourier; do
    run "x3 $how" 0 "$Z" project cube.ine --eliminate 3 $how -o sq.ine
    "$Z" convert sq.ine -o - 2>/dev/null >sq.ext
    body sq.ext >got
    same "x3 $how: the square's vertices" got square
  done
  run "V" 0 "$Z" project cube.ext --eliminate 1,3 -o -
  count "V: eight points of the segment" out '^  1  [01]$' 8
  printf 'H-representation\nlinearity 1 3\nbegin\n3 3 real\n0 1 0\n1 -1 0\n0 1 -1\nend\n' >eq.ine
  echo "1|err|zonix: eq.ine: *Error: The function called cannot handle linearity.|project eq.ine --eliminate 2 --fourier" | cases
  ;;

progress)
  # On a terminal without --progress (--progress: the signal group).
  cube 14 >cube14.ext
  script -qec "'$Z' convert cube14.ext -o /dev/null" /dev/null >tty.txt 2>&1 && has "terminal: progress line" tty.txt "zonix: iteration "
  ;;

fractions)
  # Fractions read exactly.  A simplex with vertices in thirds, sevenths and
  # fifths to its facets (auto: no double holds 1/3) and back through lrs.
  # The rows 1/3 -+ x1/2 -+ x2/5 -+ x3/7 >= 0 are the cross-polytope with
  # vertices +-2/3 e1, +-5/3 e2, +-7/3 e3.  rows: the last block, blanks
  # squeezed (lrs may restart with wider integers), sorted.
  rows() { awk '/^begin/ { k = 0; b = 1; getline; next } /^end/ { b = 0 } b && !/^\*/ { $1 = $1; r[k++] = $0 }
    END { for (i = 0; i < k; i++) print r[i] }' "$1" | sort; }
  printf 'V-representation\nbegin\n4 4 rational\n1 1/3 2/7 0\n1 -2/7 1/3 0\n1 0 0 1/5\n1 1/3 1/3 -2/7\nend\n' >simplex.ext
  run "exact V: convert" 0 "$Z" convert simplex.ext -o simplex.ine
  has "exact V: in fractions" simplex.ine " 4 4 rational"
  lrs simplex.ine >back.ext 2>/dev/null
  rows simplex.ext >want && rows back.ext >got && same "exact V: lrs gives the four vertices back" got want
  awk 'BEGIN { print "H-representation\nbegin\n8 4 rational"
    for (s = 0; s < 8; s++) print "1/3", (s % 2 ? "" : "-") "1/2", (s % 4 > 1 ? "" : "-") "1/5", (s > 3 ? "" : "-") "1/7"; print "end" }' >cross.ine
  run "exact H: convert" 0 "$Z" convert cross.ine --arithmetic exact -o cross.ext
  printf '1 %s 0 0\n1 0 %s 0\n1 0 0 %s\n' 2/3 5/3 7/3 -2/3 -5/3 -7/3 | sort >want
  rows cross.ext >got && same "exact H: the six vertices" got want
  lrs cross.ine 2>/dev/null >l && rows l >got && same "exact H: lrs agrees" got want
  # Auto settles such rows from a double run on them scaled to integers: no exact run, the same
  # rows; 49 rational points on the unit sphere (a grid's stereographic images) run exactly.
  awk 'BEGIN { print "V-representation\nbegin\n49 4 rational"
    for (a = -3; a <= 3; a++) for (b = -3; b <= 3; b++) { q = a * a + b * b + 1
      print 1, 2 * a "/" q, 2 * b "/" q, (q - 2) "/" q }; print "end" }' >ball.ext
  # Fractions that doubles hold are exact data too: 13 points (t/4, t^2/16, t^3/64) of the
  # moment curve, whose facets have thirds, get exact facets, not doubles near them.
  awk 'BEGIN { print "V-representation\nbegin\n13 4 rational"
    for (t = -6; t <= 6; t++) print 1, t "/4", t * t "/16", t * t * t "/64"; print "end" }' >quarters.ext
  for f in cross.ine ball.ext quarters.ext; do
    "$Z" convert $f --arithmetic exact -o exact.out 2>/dev/null
    run "auto $f: convert" 0 "$Z" convert $f -o auto.out
    [ $f != cross.ine ] || lacks "auto $f: no exact run" err "exact arithmetic"
    [ $f != quarters.ext ] || has "auto $f: generators in fractions run exactly first" err "costs no more than double"
    body auto.out >got && body exact.out >want && same "auto $f: the exact rows" got want
  done
  # Its facets meet as the cube's vertices do: three neighbours each.
  run "exact H: adjacency" 0 "$Z" adjacency cross.ine -o cross.iad
  count "exact H: facet graph of the octahedron" cross.iad '^ *[1-8] 3 : [1-8] [1-8] [1-8] *$' 8
  # Its shadow on the first two axes, by either elimination: a rhombus.
  printf '1 %s 0\n1 0 %s\n' 2/3 5/3 -2/3 -5/3 | sort >want
  for how in block fourier; do
    run "exact H: project ($how)" 0 "$Z" project cross.ine --eliminate 3 $([ $how = fourier ] && echo --fourier) -o "p-$how.ine"
    "$Z" convert "p-$how.ine" -o "p-$how.ext" 2>/dev/null
    rows "p-$how.ext" >got && same "exact H: the projection's four vertices ($how)" got want
  done
  # x1 <= 1 + 10^-20 and x1 <= 1 are one row to a double: the basis of the
  # double run may name the first.  Exactly, the maximum of x1 is 1 on row
  # 2 alone, and row 1 is the redundant one.
  printf 'H-representation\nbegin\n3 2 rational\n%s -1\n1 -1\n5 1\nend\nmaximize\n0 1\n' \
    100000000000000000001/100000000000000000000 >near.ine
  for m in dual-simplex criss-cross; do
    run "near rows: lp $m" 0 "$Z" lp near.ine --arithmetic exact --method "$m" -o -
    grep -A1 dual_solution out >dual && has "near rows: $m: the dual is row 2" dual "    2 :   1"
  done
  run "near rows: reduce" 0 "$Z" reduce near.ine --arithmetic exact -o -
  has "near rows: row 1 is redundant" out "* redundant rows (1): 1"
  # Auto says it computed exactly only when it did: the cube's answers are
  # double runs proved exactly; near.ine's LPs are solved on its exact rows.
  for c in lp reduce linearity interior adjacency; do
    run "auto on the cube: $c" 0 "$Z" $c cube.ine -o -
    lacks "auto on the cube: $c proved from double" err "computed in exact arithmetic"
  done
  for c in lp interior; do
    run "auto on near rows: $c" 0 "$Z" $c near.ine -o -
    has "auto on near rows: $c exactly" err "the input has numbers that no double holds; computed in exact arithmetic"
  done
  # 2 - x1 - 10^-15 x2 >= 0 on the strip 0 <= x1 <= 1, x2 >= 0 is met at
  # x2 = 10^15: a double sees a row parallel to x1 <= 1, with a reduced
  # cost of zero that is not zero exactly.
  printf 'H-representation\nbegin\n4 3 rational\n0 1 0\n1 -1 0\n0 0 1\n2 -1 %s\nend\n' -1/1000000000000000 >tilt.ine
  for a in auto exact; do
    run "tilted row: reduce ($a)" 0 "$Z" reduce tilt.ine --arithmetic $a -o -
    has "tilted row: nothing is redundant ($a)" out "* redundant rows (0):"
  done
  # C(13,10): 13 points (t^0..t^10) of the moment curve, a simplicial
  # polytope with C(13,10)'s 91 facets (Gale's evenness condition).  The
  # random order makes a double run take a pivot for zero and find an
  # equation: auto must not keep that answer.
  awk 'BEGIN { print "V-representation\nbegin\n13 11 integer"
    for (t = 1; t <= 13; t++) { r = "1"; for (k = 1; k <= 10; k++) r = r sprintf(" %.0f", t^k); print r }
    print "end" }' >c13.ext
  run "C(13,10), auto" 0 "$Z" convert c13.ext --order random -o c13.ine
  has "C(13,10): auto went exact" err "computed in exact arithmetic"
  has "C(13,10): 91 facets" c13.ine " 91 11 rational"
  ;;

roundtrip)
  # Measured data (reals that are no integers) through files both ways: the
  # input's own extreme points, or its facets up to positive factors, come
  # back.  Expected: the rows that exact redundancy removal (an LP per row,
  # no conversion) keeps.
  # unit FILE: the rows between begin and end, each over its largest entry
  # in absolute value, sorted on their first entries.
  unit() {
    awk '/^begin/{b=1; getline; next} /^end/{b=0} b { m = 0
      for (i = 1; i <= NF; i++) { a = $i < 0 ? -$i : $i; if (a > m) m = a }
      s = ""; for (i = 1; i <= NF; i++) s = s sprintf(" %.15e", $i / m); print s }' "$1" | sort -g -k2,2 -k3,3
  }
  # within NAME A B: the same number of rows, entries within 1e-9.
  within() {
    if [ "$(wc -l <"$2")" -eq "$(wc -l <"$3")" ] && [ -s "$2" ] && paste -d'|' "$2" "$3" | awk -F'|' '
        { n = split($1, a, " "); split($2, b, " ")
          for (i = 1; i <= n; i++) { d = a[i] - b[i]; if (d < 0) d = -d; if (d > 1e-9) bad = 1 } }
        END { exit bad }'; then ok "$1"
    else bad "$1: $2 and $3 differ"; diff "$2" "$3" | head -4; fi
  }
  awk 'BEGIN { srand(5); print "V-representation\nbegin\n300 5 real"
    for (k = 0; k < 300; k++) { s = "1"; for (j = 0; j < 4; j++) s = s sprintf(" %.17g", rand() + rand() - 1); print s }
    print "end" }' >pts.ext
  awk 'BEGIN { srand(6); print "H-representation\nbegin\n40 4 real"
    for (k = 0; k < 40; k++) { s = sprintf("%.17g", 1 + rand()); for (j = 0; j < 3; j++) s = s sprintf(" %.17g", rand() - 0.5); print s }
    print "end" }' >half.ine
  # Far more facets than points, and far more vertices than halfspaces: the
  # way back finds them one LP at a time.
  awk 'BEGIN { srand(7); print "V-representation\nbegin\n60 9 real"
    for (k = 0; k < 60; k++) { s = "1"; for (j = 0; j < 8; j++) s = s sprintf(" %.17g", rand() + rand() + rand() - 1.5); print s }
    print "end" }' >pts8.ext
  awk 'BEGIN { srand(8); print "H-representation\nbegin\n200 7 real"
    for (k = 0; k < 200; k++) { s = sprintf("%.17g", 1 + rand()); for (j = 0; j < 6; j++) s = s sprintf(" %.17g", rand() + rand() - 1); print s }
    print "end" }' >half6.ine
  for f in pts.ext half.ine pts8.ext half6.ine; do
    stem=${f%.*}
    other=$([ "$f" = pts.ext ] && echo ine || echo ext)
    run "$f there" 0 "$Z" convert "$f" -o "$stem.there.$other" --quiet
    run "$f back" 0 "$Z" convert "$stem.there.$other" -o "$stem.back.${f##*.}" --quiet
    run "$f kept" 0 "$Z" reduce "$f" --arithmetic exact -o "$stem.kept.${f##*.}" --quiet
    unit "$stem.back.${f##*.}" >got
    unit "$stem.kept.${f##*.}" >want
    within "$f: its own extreme rows come back" got want
  done
  has "pts8 back one LP at a time" pts8.back.ext "* found one LP at a time"
  has "half6 back one LP at a time" half6.back.ine "* found one LP at a time"
  ;;

volume)
  # Volumes by hand: the unit cube 1, the octahedron 2^3/3! = 4/3, the
  # simplex with legs 1/3 (1/27)/6 = 1/162, the 5-cube's 5! simplices.
  printf 'V-representation\nbegin\n4 4 rational\n1 0 0 0\n1 1/3 0 0\n1 0 1/3 0\n1 0 0 1/3\nend\n' >third.ext
  printf 'V-representation\nbegin\n4 3 real\n1 0 0\n1 0.5 0\n1 0 0.5\n1 0.5 0.5\nend\n' >measured.ext
  printf 'H-representation\nbegin\n2 3 integer\n0 1 0\n0 0 1\nend\n' >quadrant.ine
  cube 5 >cube5.ext
  cases <<'EOF2'
0|out|volume 1|volume cube.ine
0|out|decimal 1|volume cube.ine
0|out|6 facets|volume cube.ine
0|out|volume 4/3|volume octahedron.ext
0|out|decimal 1.333333333333333|volume octahedron.ext
0|out|(exact arithmetic)|volume octahedron.ext
0|out|(double precision)|volume octahedron.ext --arithmetic double
0|out|volume 1.333333333333333|volume octahedron.ext --arithmetic double
0|out|volume 4/3|volume octahedron.ext --arithmetic exact
0|out|volume 0|volume flat.ine
0|out|lower-dimensional|volume flat.ine
0|out|lower-dimensional|volume flat.ine --arithmetic double
0|out|volume 1/162|volume third.ext
0|out|volume 0.25|volume measured.ext
0|out|(double precision)|volume measured.ext
0|out|volume 1/4|volume measured.ext --arithmetic exact
0|out|volume inf|volume quadrant.ine
0|out|120 simplices|volume cube5.ext
2|err|unknown arithmetic 'fast'|volume cube.ine --arithmetic fast
2|err|cannot open|volume missing.ine
0|out|volume 4/3|volume octahedron.ext --threads 1
0|out|120 simplices|volume cube5.ext --threads 2
2|err|--threads needs a count from 1 to 64|volume cube.ine --threads 0
EOF2
  lacks "measured data: no fraction" out "decimal"
  IN=octahedron.ext run "volume from standard input" 0 "$Z" volume -
  has "standard input: 4/3" out "volume 4/3"
  run "volume -o" 0 "$Z" volume cube.ine -o vol.txt
  has "volume -o: the file" vol.txt "volume 1"
  ;;

*)
  echo "unknown group $GROUP"
  exit 2
  ;;
esac

echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
