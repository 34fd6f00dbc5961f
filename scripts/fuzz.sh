#!/usr/bin/env bash
# Builds the sample reader's libFuzzer target with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer in build/fuzz, and runs it from the
# committed corpus (fuzz/corpus). New inputs it finds go to
# build/fuzz/corpus; a crash or a difference from the reference reader is
# saved as build/fuzz/crash-* (or leak-*, timeout-*) and ends the run with a
# non-zero status. Its output goes to build/fuzz/fuzz.log; the end of it is
# shown.
#
# Usage: scripts/fuzz.sh --short     run for about a minute (CI)
#        scripts/fuzz.sh SECONDS     run for that many seconds
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: $0 --short | SECONDS" >&2
  exit 2
}
case "${1:-}" in
  --short) seconds=60 ;;
  '' | *[!0-9]*) usage ;;
  *) seconds=$1 ;;
esac

build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DPLOTMERE_FUZZ=ON -DPLOTMERE_TESTS=OFF >/dev/null
cmake --build "$build" --target sample_reader_fuzz -j 2

mkdir -p "$build/corpus"
# The sample arrays take 512 MiB of address space, allocated once and
# touched only as far as the records go; allow well above that.
"$build/fuzz/sample_reader_fuzz" \
  -max_total_time="$seconds" \
  -rss_limit_mb=4096 \
  -max_len=8192 \
  -timeout=20 \
  -print_final_stats=1 \
  -dict=fuzz/sample_reader.dict \
  -artifact_prefix="$build/" \
  "$build/corpus" fuzz/corpus >"$build/fuzz.log" 2>&1 || {
  # The whole log is long; its end has the finding and the input's name.
  tail -n 80 "$build/fuzz.log"
  echo "$0: the fuzzer found something (full log: $build/fuzz.log)" >&2
  exit 1
}
tail -n 12 "$build/fuzz.log"
