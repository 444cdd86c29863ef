#!/bin/sh
# Non-blank lines of tests/ against those of lib-src, gateway and cli (bench/
# is neither): the project keeps the ratio at or below 0.35.
cd "$(dirname "$0")/.." || exit 1
count() { find "$@" -type f ! -name '*.pyc' -exec cat {} + 2>/dev/null | grep -c '[^[:space:]]'; }
for d in tests/*/; do printf '  %-16s %6d\n' "$d" "$(count "$d")"; done
tests=$(count tests)
code=$(count lib-src gateway cli)
awk -v t="$tests" -v c="$code" 'BEGIN {
  r = t / c
  printf "test lines %d, code lines %d, ratio %.2f (limit 0.35)%s\n", t, c, r, (r > 0.35 ? ": OVER" : "")
}'
