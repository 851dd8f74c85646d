#!/usr/bin/env bash
# The personnel file of a demo career written by the command-line tool with real ship names on:
# the page's path is the last line, a captain's log page per patrol and the aces page lie beside
# it, the patrol logs got ship names once (a second run changes no byte of them and writes the
# same pages), and every page passes `tidy -q -e` without errors when tidy is installed.
set -euo pipefail
source "$(dirname "$0")/demo_world.sh"
docs="$work/demo/documents"
career="$docs/SH3/data/Cfg/Careers/Wilhelm Dorn"
sed -i 's/^\[SETTINGS\]\r$/[SETTINGS]\r\nRealShipNames=1\r/' "$prog/Seewolf.ini"
cp -a "$career" "$work/career-before"
logs_sum() { (cd "$career" && sha256sum Log_*.cfg "Used ship names.log" 2>/dev/null || true); }
before=$(logs_sum)

"$cli" report "Wilhelm Dorn" >"$work/out" 2>"$work/err" || fail "report failed: $(cat "$work/err")"
[[ ! -s "$work/err" ]] || fail "report wrote to standard error: $(cat "$work/err")"
page=$(tail -n 1 "$work/out")
folder="$docs/Personnel Files/SH3Wilhelm_Dorn"
[[ "$page" == "$folder/"*.html && -s "$page" ]] || fail "no personnel file at $page"
grep -q "WILHELM DORN" "$page" || fail "the commander is not on the page"
for n in 0 1 2 3 4 5 6; do
  [[ -s "$folder/Log_$n.html" ]] || fail "no captain's log page $n"
  grep -q "href=\"Log_$n.html\"" "$page" || fail "the personnel file does not link Log_$n.html"
done
grep -q "$(basename "$page")" "$folder/Aces.html" || fail "the aces page does not link back"
after=$(logs_sum)
[[ "$after" != "$before" ]] || fail "real ship names changed no patrol log"
grep -q ' (' "$career/Used ship names.log" || fail "no ship name was recorded as used"

mkdir "$work/first" && cp "$folder/"*.html "$work/first/"
"$cli" report "Wilhelm Dorn" >/dev/null 2>&1 || fail "second report failed"
[[ "$(logs_sum)" == "$after" ]] || fail "a second run changed the patrol logs again"
for file in "$work/first/"*.html; do
  cmp -s "$file" "$folder/$(basename "$file")" || fail "a second run wrote another $(basename "$file")"
done

# Cut at each of the first changing operations of a run (the pages, then each log and its used
# names): a whole run afterwards finishes the work, no name nests in another, and no name is
# handed out twice.
for n in $(seq 1 24); do
  rm -rf "$career" && cp -a "$work/career-before" "$career"
  code=0
  SEEWOLF_FAULT_AFTER=$n "$cli" report "Wilhelm Dorn" >/dev/null 2>"$work/err" || code=$?
  # Cut (86) or done (0); anything else is a fault of its own, a sanitizer's report for one.
  [[ $code -eq 86 || $code -eq 0 ]] || fail "cut after $n: ended with $code: $(cat "$work/err")"
  "$cli" report "Wilhelm Dorn" >/dev/null 2>"$work/err" || fail "cut after $n: the next run failed: $(cat "$work/err")"
  ! grep -aE '\([^()|]*\([^()|]*\)\)' "$career/"Log_*.cfg || fail "cut after $n: a ship name nests in another"
  [[ -z "$(sort "$career/Used ship names.log" | uniq -d)" ]] || fail "cut after $n: a name was handed out twice"
done

if command -v tidy >/dev/null; then
  for file in "$folder/"*.html; do
    tidy -q -e -win1252 "$file" 2>"$work/tidy" || [[ $? -eq 1 ]] || { cat "$work/tidy" >&2; fail "tidy found errors in $file"; }
  done
else
  echo "tidy is not installed: the pages' markup was not checked"
fi
