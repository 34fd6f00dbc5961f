#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests need it:
#  - in a 32-bit Wine prefix of its own (WINEPREFIX, default: "wineprefix"
#    in the build folder that holds the program), created on first use with
#    Wine's crash dialog turned off, so that a crash ends the program instead
#    of leaving it hanging behind a dialog;
#  - in the Japanese locale, so that the ANSI code page is 932. Wine takes it
#    from the Unix locale, and glibc has ja_JP only when it was generated; if
#    the system lacks it, it is generated once into the build folder.
#  - with Wine's own diagnostics off (WINEDEBUG=-all unless set).
# Usage: wine-run.sh PROGRAM.exe [ARGUMENTS...]; the exit status is the
# program's.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM.exe [ARGUMENTS...]" >&2
  exit 2
fi

# The build folder: the nearest folder above the program with a CMakeCache.
state_dir=""
dir=$(cd "$(dirname "$1")" && pwd)
while [ "$dir" != "/" ]; do
  if [ -f "$dir/CMakeCache.txt" ]; then state_dir="$dir"; break; fi
  dir=$(dirname "$dir")
done
if [ -z "$state_dir" ]; then
  state_dir="${TMPDIR:-/tmp}/plotmere-wine-$(id -u)"
fi
mkdir -p "$state_dir"

export WINEPREFIX="${WINEPREFIX:-$state_dir/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer dialogs while the prefix is created.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Tests may start several programs at once: one of them prepares, the others
# wait for it.
exec 9>"$state_dir/wine-run.lock"
flock 9

if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
  export LOCPATH="$state_dir/locale"
  if [ ! -d "$LOCPATH/ja_JP.UTF-8" ]; then
    mkdir -p "$LOCPATH"
    # localedef warns about details of the definition and still writes it.
    localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" >/dev/null 2>&1 || true
    if [ ! -d "$LOCPATH/ja_JP.UTF-8" ]; then
      echo "$0: cannot generate the ja_JP.UTF-8 locale (is 'locales' installed?)" >&2
      exit 125
    fi
  fi
fi
# Set for Wine only: this shell need not switch its own locale.
japanese=(env LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8)

if [ ! -f "$WINEPREFIX/.plotmere-ready" ]; then
  "${japanese[@]}" wineboot --init >/dev/null 2>&1
  if ! "${japanese[@]}" wine reg add 'HKCU\Software\Wine\WineDbg' \
      /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1; then
    echo "$0: cannot turn off the crash dialog in $WINEPREFIX" >&2
    exit 125
  fi
  wineserver -w
  touch "$WINEPREFIX/.plotmere-ready"
fi
flock -u 9
exec 9>&-

exec "${japanese[@]}" wine "$@"
