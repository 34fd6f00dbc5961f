#!/usr/bin/env bash
# End-to-end runs of plotmere-cli: exit codes, messages on standard error,
# and the pictures' bytes.
# Usage: cli_test.sh PATH/TO/plotmere-cli
set -u
cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
passes=0

check() {  # check WHAT COMMAND...: the command must succeed
  local what=$1; shift
  if "$@"; then passes=$((passes + 1)); else echo "FAIL: $what"; failures=$((failures + 1)); fi
}

run() {  # run ARGS...: runs the cli with no terminal, sets $status, $out, $err
  "$cli" "$@" </dev/null >out.txt 2>err.txt
  status=$?
  out=$(cat out.txt)
  err=$(cat err.txt)
}

hex() { od -An -tx1 -v "$1" | tr -s ' \n' ' ' | sed 's/^ //;s/ $//'; }

# Usage and usage errors.
run --help
check "--help exits 0" test "$status" -eq 0
check "--help prints usage on stdout" grep -q '^Usage: plotmere-cli' out.txt
run --version
check "--version exits 0" test "$status" -eq 0
run
check "no file is a usage error" test "$status" -eq 2
run --bogus a.csv
check "an unknown option is a usage error" test "$status" -eq 2
check "the unknown option is named" grep -q "unknown option '--bogus'" err.txt
run "$(printf 'a\nb.csv')"
check "a path with a line break is a usage error" test "$status" -eq 2
run -y --no-clobber a.csv
check "-y with --no-clobber is a usage error" test "$status" -eq 2

# A picture byte for byte: red, green / blue, white, bottom row first.
printf '0,0,255,0,0\r\n1,0,0,255,0\r\n0,1,0,0,255\r\n1,1,255,255,255' > rgb.csv
run rgb.csv
check "rgb.csv converts" test "$status" -eq 0
check "rgb.csv.bmp has the expected bytes" test "$(hex rgb.csv.bmp)" = \
  "42 4d 2a 00 00 00 00 00 00 00 1a 00 00 00 0c 00 00 00 02 00 02 00 01 00 18 00 00 00 ff 00 ff 00 00 00 ff 00 00 ff ff ff 00 00"

# Existing pictures: kept without a terminal, replaced with -y.
printf '0,0,0\n1,0,500\n2,0,1000\n' > grey.csv
printf 'old' > grey.csv.bmp
run grey.csv
check "a kept picture is no failure" test "$status" -eq 0
check "without a terminal the old picture stays" test "$(cat grey.csv.bmp)" = old
check "and a note says why" grep -q 'kept' err.txt
run --no-clobber grey.csv
check "--no-clobber keeps it" test "$(cat grey.csv.bmp)" = old
run -y grey.csv
check "-y replaces it" test "$(hex grey.csv.bmp | cut -d' ' -f27-)" = "00 00 00 ff ff ff ff ff ff 00 00 00"
run -y -n grey.csv
check "-n normalizes" test "$(hex grey.csv.bmp | cut -d' ' -f27-)" = "00 00 00 7f 7f 7f ff ff ff 00 00 00"

# On a terminal the question is asked, and only y replaces the picture.
if command -v script >/dev/null 2>&1; then
  printf 'old' > grey.csv.bmp
  printf 'n\n' | script -qec "'$cli' grey.csv" /dev/null >tty.txt 2>&1
  check "on a terminal the question is asked" grep -q 'grey.csv.bmp.*\[y/N\]' tty.txt
  check "n keeps the picture" test "$(cat grey.csv.bmp)" = old
  printf 'y\n' | script -qec "'$cli' grey.csv" /dev/null >tty.txt 2>&1
  check "y replaces it" test "$(wc -c < grey.csv.bmp)" -eq 38
fi

# A file that cannot be opened stops the batch: later files stay untouched.
printf '0,0,1\n' > later.csv
run rgb.csv missing.csv later.csv
check "a missing file exits 1" test "$status" -eq 1
check "the message names the file" grep -q '^plotmere-cli: missing.csv: ' err.txt
check "files after the stop are not converted" test ! -e later.csv.bmp

# A picture too large stops the batch.
printf '5000,0,1\n5010,0,1\n' > wide.csv
run -y wide.csv later.csv
check "a picture too large exits 1" test "$status" -eq 1
check "nothing is written for it" test ! -e wide.csv.bmp

# Lines that hold no record are dropped and told.
printf 'x,y,value\n0,0,1\nbad line\n1,1,2\n' > header.csv
run header.csv
check "dropped lines are no failure" test "$status" -eq 0
check "the note names file, line and count" grep -q '^plotmere-cli: header.csv:1: 2 lines' err.txt

# A picture that cannot be written: a folder stands in its way.
printf '0,0,1\n' > blocked.csv
mkdir blocked.csv.bmp
run -y blocked.csv later.csv
check "a failed write exits 1" test "$status" -eq 1
check "the batch went on after it" test -e later.csv.bmp
check "the folder is still there" test -d blocked.csv.bmp

# Options end at --.
printf '0,0,1\n' > ./-n.csv
run -- -n.csv
check "-- ends the options" test -e ./-n.csv.bmp

# Memory that cannot be had stops the batch with its message. The address
# space limit does not mix with AddressSanitizer's shadow memory.
if ! ldd "$cli" 2>/dev/null | grep -q asan; then
  printf '4095,4095,1\n' > huge.csv
  printf '0,0,1\n' > small.csv
  (ulimit -v 300000; "$cli" small.csv) </dev/null >out.txt 2>err.txt
  check "no room for the sample arrays exits 1" test $? -eq 1
  check "and says so" grep -q 'メモリが不足しています。処理を中断します。' err.txt
  check "nothing was written" test ! -e small.csv.bmp
  # Room for the sample arrays (512 MiB) but not for a 4096 x 4096 picture.
  (ulimit -v 555000; "$cli" small.csv huge.csv later2.csv) </dev/null >out.txt 2>err.txt
  check "no room for the picture exits 1" test $? -eq 1
  check "the message names the file" grep -q '^plotmere-cli: huge.csv: メモリが不足しています' err.txt
  check "the file before it was converted" test -e small.csv.bmp
  check "nothing was written for it" test ! -e huge.csv.bmp
fi

echo "$passes passed, $failures failed"
test "$failures" -eq 0
