#!/bin/sh
# Builds the reader's fuzz target with clang's libFuzzer under
# AddressSanitizer and UndefinedBehaviorSanitizer, and fuzzes it.
#   tests/fuzz/run_libfuzzer.sh [SECONDS] [WORK_DIR]
# Needs the Debian packages clang and libclang-rt-14-dev (scripts/setup).
# The corpus grows in WORK_DIR/corpus; a finding is saved under
# WORK_DIR/artifacts and makes the exit status nonzero.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
work=${2:-${TMPDIR:-/tmp}/zonix-libfuzzer}
mkdir -p "$work/corpus" "$work/artifacts" "$work/obj"
cp "$root"/examples/*.ine "$root"/examples/*.ext "$work/corpus/"

flags="-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=all"
for src in "$root"/lib-src/*.cpp; do
  obj="$work/obj/$(basename "$src" .cpp).o"
  # shellcheck disable=SC2086
  clang++ $flags -fsanitize=fuzzer-no-link -I"$root/lib-src" -c "$src" -o "$obj"
done
# shellcheck disable=SC2086
clang++ $flags -fsanitize=fuzzer -DZONIX_LIBFUZZER -I"$root/lib-src" "$root/tests/fuzz/fuzz_reader.cpp" \
  "$work"/obj/*.o -o "$work/fuzz_reader"

"$work/fuzz_reader" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=1024 \
  -max_len=8192 -timeout=10 -print_final_stats=1 \
  -dict="$root/tests/fuzz/reader.dict" -artifact_prefix="$work/artifacts/" "$work/corpus"
