#!/usr/bin/env bash
# The user guide built into the program folder: a PDF of A4 pages whose text holds every heading
# of the Markdown it was made from, with page numbers. Skipped (77) without pdftotext.
set -euo pipefail
pdf=$1
source_md=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
if ! command -v pdftotext >/dev/null || ! command -v pdfinfo >/dev/null; then
  echo "SKIP: pdftotext and pdfinfo are missing (Debian package poppler-utils)"
  exit 77
fi
[[ -s "$pdf" ]] || fail "no user guide at $pdf"
info=$(pdfinfo "$pdf")
grep -q '^Page size: *59[56].* x 84[12].* pts (A4)' <<<"$info" || fail "not A4: $(grep 'Page size' <<<"$info")"
pages=$(awk '/^Pages:/ {print $2}' <<<"$info")
((pages >= 5)) || fail "only $pages pages"
# pdftotext breaks long lines and keeps the "fi" and "fl" ligatures: compare without white space,
# the ligatures written out.
text=$(pdftotext -enc UTF-8 "$pdf" - | sed 's/ﬁ/fi/g; s/ﬂ/fl/g' | tr -d ' \n\f')
count=0
while IFS= read -r heading; do
  wanted=$(sed -E 's/^#+ +//; s/`//g; s/\*\*//g' <<<"$heading" | tr -d ' ')
  [[ "$text" == *"$wanted"* ]] || fail "heading \"$heading\" is not in the guide"
  count=$((count + 1))
done < <(grep -E '^#{1,3} ' "$source_md")
((count >= 10)) || fail "only $count headings in $source_md"
[[ "$text" == *"page${pages}of${pages}"* ]] || fail "the last page has no page number"
echo "user guide: $pages pages, $count headings found"
