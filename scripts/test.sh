#!/usr/bin/env bash
# Runs every test on a fresh Debian 12 machine: installs what is missing,
# then builds and tests the Linux build (warnings as errors), the same under
# AddressSanitizer + UndefinedBehaviorSanitizer, the differential and fuzz
# checks of the reader, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/lint.sh

for preset in dev asan; do
  echo "== $preset"
  cmake --preset "$preset" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== clang-tidy (the checks in .clang-tidy, all errors)"
mapfile -t sources < <(python3 -c '
import json
for f in sorted({e["file"] for e in json.load(open("build/dev/compile_commands.json"))}):
    if not f.startswith("/usr/"):
        print(f)')
# Its count of warnings in system headers (all suppressed) is only noise.
clang-tidy -p build/dev --quiet "${sources[@]}" 2> >(grep -v 'warnings generated' >&2)

echo "== bench (builds, and one short pass: no timing is checked here)"
cmake --preset bench -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build --preset bench
build/bench/bench/plotmere_bench --benchmark_min_time=0.01
# One pass over the standard sets: fails unless plotmere-cli writes the same
# picture bytes as the fscanf baseline on each.
RUNS=1 bench/run_bench.sh

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzz"
  scripts/fuzz.sh --short
fi

if [ -x scripts/test-windows.sh ]; then
  echo "== windows"
  scripts/test-windows.sh
fi
echo "== all tests passed"
