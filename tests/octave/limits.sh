#!/bin/sh
# The module at its limits, each in an octave-cli of its own:
#   memory     under `ulimit -v`, refusals instead of crashes;
#   interrupt  SIGINT during a long extreme and during long projections
#              by every method is caught in try/catch as
#              zonix:<command>:interrupted within 1 s.
# Arguments: the test, octave-cli, the module's folder, this folder.
test=$1
run="$2 --no-gui --norc --no-history --quiet --eval"
load="addpath('$3'); addpath('$4');"
out=$(mktemp) || exit 1
trap 'rm -f "$out"' EXIT
if [ "$test" = memory ]; then
  (ulimit -v 2000000 && $run "$load zonix_limits('memory')") > "$out" 2>&1
  cat "$out"
  grep -q 'alive with 4 vertices' "$out"
  exit
fi
$run "$load zonix_limits('interrupt')" > "$out" 2>&1 &
pid=$!
# Each call in turn: SIGINT half a second after it starts, its answer
# within 1 s.
for k in 1 2 3 4 5; do
  n=0
  until grep -q "running $k" "$out"; do
    n=$((n + 1)); [ $n -gt 600 ] && { cat "$out"; kill $pid; exit 1; }
    sleep 0.1
  done
  sleep 0.5
  kill -INT $pid
  n=0
  until grep -q -e "caught $k" -e "not interrupted $k" "$out"; do
    n=$((n + 1)); [ $n -gt 10 ] && { echo "call $k: no answer 1 s after SIGINT"; kill $pid; cat "$out"; exit 1; }
    sleep 0.1
  done
done
wait $pid
cat "$out"
grep -q 'caught 1 zonix:extreme:interrupted' "$out" && grep -q 'alive with 4 vertices' "$out" &&
  [ "$(grep -c 'caught [2-5] zonix:project:interrupted' "$out")" = 4 ]
