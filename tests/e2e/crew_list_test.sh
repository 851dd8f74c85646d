#!/usr/bin/env bash
# The crew list of a demo career written by the command-line tool: the page's path is the last
# line, the page and its pictures are in the career's report folder, the roster is untouched, and
# the page passes `tidy -q -e` without errors (warnings about the old markup are expected) when
# tidy is installed.
set -euo pipefail
source "$(dirname "$0")/demo_world.sh"
docs="$work/demo/documents"
roster=$(ls "$docs/SH3/data/Cfg/Careers/Hans Kessler/"Crew_Career_*.cfg)
sha256sum "$roster" > "$work/roster.sum"

"$cli" crew-list "Hans Kessler" >"$work/out" 2>"$work/err" || fail "crew-list failed: $(cat "$work/err")"
[[ ! -s "$work/err" ]] || fail "crew-list wrote to standard error: $(cat "$work/err")"
page=$(tail -n 1 "$work/out")
[[ "$page" == "$docs/Personnel Files/SH3Hans_Kessler/"*.html ]] || fail "unexpected page path: $page"
[[ -s "$page" ]] || fail "no page at $page"
grep -q "Hans Kessler" "$page" || fail "the commander is not on the page"
[[ "$(tail -c 9 "$page" | od -An -c | tr -s ' ')" == *"/ h t m l > \r \n"* ]] || fail "the page does not end in CR LF"
sha256sum -c --quiet "$work/roster.sum" || fail "the roster was changed"
# The pictures and the background of the program folder lie beside the page.
folder=$(dirname "$page")
if [[ -d "$prog/Personnel Files" ]]; then
  for file in "$prog/Personnel Files/"*; do
    [[ -d "$file" ]] || cmp -s "$file" "$folder/$(basename "$file")" || fail "$(basename "$file") not copied"
  done
fi

# Twice in a row gives the same page.
cp "$page" "$work/first.html"
"$cli" crew-list "Hans Kessler" >/dev/null 2>&1 || fail "second crew-list failed"
cmp -s "$page" "$work/first.html" || fail "a second run wrote another page"

"$cli" crew-list "Nobody Here" >/dev/null 2>"$work/err" && fail "an unknown career was accepted"
grep -q "No career named Nobody Here" "$work/err" || fail "unknown career: $(cat "$work/err")"

if command -v tidy >/dev/null; then
  tidy -q -e -win1252 "$page" 2>"$work/tidy" || [[ $? -eq 1 ]] || { cat "$work/tidy" >&2; fail "tidy found errors in $page"; }
else
  echo "tidy is not installed: the page's markup was not checked"
fi
echo "crew list: ok"
