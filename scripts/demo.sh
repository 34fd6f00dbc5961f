#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds Plotmere and
# converts the bundled examples: examples/grey.csv.bmp (normalized grey
# levels) and examples/colour.csv.bmp (three channels).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release
cmake --build --preset release --target plotmere-cli
build/release/plotmere-cli --yes --normalize examples/grey.csv examples/colour.csv
ls -l examples/*.bmp
