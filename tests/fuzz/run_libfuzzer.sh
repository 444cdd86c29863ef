#!/bin/sh
# Fuzzes the reader with clang's libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer (Debian clang and libclang-rt-14-dev):
#   tests/fuzz/run_libfuzzer.sh [SECONDS] [WORK_DIR]
# The corpus grows in WORK_DIR/corpus; a finding is saved under
# WORK_DIR/artifacts and makes the exit status nonzero.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${2:-${TMPDIR:-/tmp}/zonix-libfuzzer}
mkdir -p "$work/corpus" "$work/artifacts" "$work/obj"
cp "$root"/examples/*.ine "$root"/examples/*.ext "$work/corpus/"
flags="-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=all -I$root/lib-src"
for src in "$root"/lib-src/*.cpp; do
  # shellcheck disable=SC2086
  clang++ $flags -fsanitize=fuzzer-no-link -c "$src" -o "$work/obj/$(basename "$src" .cpp).o"
done
# shellcheck disable=SC2086
clang++ $flags -fsanitize=fuzzer -DZONIX_LIBFUZZER "$root/tests/fuzz/fuzz_reader.cpp" "$work"/obj/*.o -o "$work/fuzz_reader"
"$work/fuzz_reader" -max_total_time="${1:-60}" -rss_limit_mb=2048 -malloc_limit_mb=1024 -max_len=8192 -timeout=10 \
  -print_final_stats=1 -dict="$root/tests/fuzz/reader.dict" -artifact_prefix="$work/artifacts/" "$work/corpus"
