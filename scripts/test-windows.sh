#!/usr/bin/env bash
# Builds the Windows programs with MinGW-w64 and runs every Windows-side
# test under Wine: the engine's unit tests, the shell's unit tests and the
# main window's end-to-end test (in its own Xvfb display). Exits non-zero on
# any failure. Assumes scripts/install-deps.sh has run.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build="$root/build/mingw32"

cmake --preset mingw32
cmake --build --preset mingw32

# Creates the tests' Wine prefix before CTest lists the tests of each
# program: listing runs each program under Wine with a short timeout, and
# the first start of a fresh prefix takes longer than that.
"$root/cmake/wine-run.sh" "$build/plotmere-cli.exe" --version >/dev/null

ctest --preset mingw32
