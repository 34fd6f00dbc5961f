#!/usr/bin/env bash
# Times whole conversions by plotmere-cli on the standard data sets against
# the per-record fscanf baseline (scanf_convert), in the same run, and checks
# that both write the same picture bytes.
#
#   bench/run_bench.sh            # 3 runs of each, best time kept
#   RUNS=5 bench/run_bench.sh
#
# Reports wall time, MB/s, peak memory (maximum resident set, from
# /usr/bin/time -v) and the speed-up over the baseline, and beside them the
# floor: the time of floor_convert, which does only the system work of a
# conversion (reading the file, filling the arrays and planes it would fill,
# writing the picture) and no parsing.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-3}
data=${BENCH_DATA_DIR:-${TMPDIR:-/tmp}/plotmere-bench}

cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
bin=build/bench
mkdir -p "$data"

sets=("grey 4096" "grey 1024" "rgb 2048")
for s in "${sets[@]}"; do
  set -- $s
  f="$data/$1$2.csv"
  [ -s "$f" ] || "$bin/bench/make_bench_data" "$1" "$2" "$f"
done

# best_of PROGRAM FILE: prints "seconds peak_kib" of the fastest run.
best_of() {
  local best="" peak="" line t m
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -o "$data/time.txt" -f "%e %M" "$@" >/dev/null 2>&1
    line=$(tail -n 1 "$data/time.txt")
    t=${line% *}; m=${line#* }
    if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
    if [ -z "$peak" ] || [ "$m" -gt "$peak" ]; then peak=$m; fi
  done
  echo "$best $peak"
}

printf '%-10s %8s | %9s %9s %9s | %9s %9s | %7s | %8s\n' set MB cli_s cli_MB/s peak_MiB scanf_s scanf_MB/s speedup floor_s
for s in "${sets[@]}"; do
  set -- $s
  f="$data/$1$2.csv"
  mb=$(awk "BEGIN{printf \"%.1f\", $(stat -c %s "$f") / 1e6}")
  read -r ct cm < <(best_of "$bin/plotmere-cli" -y "$f")
  cp "$f.bmp" "$f.cli.bmp"
  read -r st sm < <(best_of "$bin/bench/scanf_convert" "$f")
  read -r ft fm < <(best_of "$bin/bench/floor_convert" "$1" "$2" "$2" "$f" "$f.floor.bmp")
  same=same
  cmp -s "$f.bmp" "$f.cli.bmp" || same=DIFFERENT
  printf '%-10s %8s | %9s %9.0f %9.0f | %9s %9.0f | %6.1fx | %8s  pictures %s\n' \
    "$1$2" "$mb" "$ct" "$(awk "BEGIN{print $mb / $ct}")" \
    "$(awk "BEGIN{print $cm / 1024}")" "$st" "$(awk "BEGIN{print $mb / $st}")" \
    "$(awk "BEGIN{print $st / $ct}")" "$ft" "$same"
  rm -f "$f.cli.bmp" "$f.floor.bmp"
  [ "$same" = same ] || exit 1
done
