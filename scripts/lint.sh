#!/usr/bin/env bash
# Rejects trailing blanks, CR LF line ends and a missing final newline in the
# project's own text files.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
while IFS= read -r -d '' f; do
  case "$f" in examples/*.csv|testdata/*|fuzz/corpus/*|docs/*.png) continue ;; esac
  if grep -nE '[[:blank:]]+$' "$f" >/dev/null; then echo "$f: trailing blanks"; status=1; fi
  if grep -q $'\r' "$f"; then echo "$f: CR bytes"; status=1; fi
  if [ -s "$f" ] && [ -n "$(tail -c1 "$f")" ]; then echo "$f: no final newline"; status=1; fi
done < <(git ls-files -z -- '*.cc' '*.h' '*.txt' '*.cmake' '*.sh' '*.py' '*.md' '*.json')
exit $status
