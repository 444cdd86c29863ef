#!/bin/sh
# The module at its limits, each in an octave-cli of its own:
#   memory     under `ulimit -v`, refusals instead of crashes;
#   interrupt  SIGINT during a long extreme is caught in try/catch as
#              zonix:extreme:interrupted within 2 s.
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
n=0
until grep -q running "$out"; do
  n=$((n + 1)); [ $n -gt 300 ] && { cat "$out"; exit 1; }
  sleep 0.1
done
sleep 1
kill -INT $pid
n=0
until grep -q caught "$out"; do
  n=$((n + 1)); [ $n -gt 20 ] && { echo "no answer 2 s after SIGINT"; kill $pid; cat "$out"; exit 1; }
  sleep 0.1
done
wait $pid
cat "$out"
grep -q 'caught zonix:extreme:interrupted' "$out" && grep -q 'alive with 4 vertices' "$out"
