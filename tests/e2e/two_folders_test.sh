#!/usr/bin/env bash
# Two installations used from one program folder. Every roll-back acts on the game folder that the
# last launch changed, whatever folder it was started with: after a launch on A, a roll-back or a
# launch started with B puts A back, and both folders end byte for byte as they were. A roll-back
# whose folder cannot be found refuses, names it and keeps everything.
set -euo pipefail
source "$(dirname "$0")/demo_world.sh"
"$demo_install" --fresh "$work/demo2" "$program_dir" >/dev/null
other="$work/demo2/game"
launch=(launch --new-career --year 1941 --month 3 --flotilla-id 661 --type VIIB --nolaunch)

snap() { (cd "$1" && find . -print | LC_ALL=C sort && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum); }
snap "$game" > "$work/a.before"
snap "$other" > "$work/b.before"
both_as_before() {
  snap "$game" | cmp -s - "$work/a.before" || fail "$1: A is not as before"
  snap "$other" | cmp -s - "$work/b.before" || fail "$1: B is not as before"
}

# A launch on A, a roll-back started with B.
"$cli" --game "$game" "${launch[@]}" 2>"$work/err" || fail "launch on A: $(cat "$work/err")"
! snap "$game" | cmp -s - "$work/a.before" || fail "the launch changed nothing"
"$cli" --game "$other" rollback 2>"$work/err" || fail "roll-back started with B: $(cat "$work/err")"
both_as_before "roll-back started with B"

# A launch on A, then a launch on B: A is put back before B changes; B's roll-back puts B back.
"$cli" --game "$game" "${launch[@]}" 2>"$work/err" || fail "launch on A: $(cat "$work/err")"
"$cli" --game "$other" "${launch[@]}" 2>"$work/err" || fail "launch on B: $(cat "$work/err")"
snap "$game" | cmp -s - "$work/a.before" || fail "launch on B: A was not rolled back"
! snap "$other" | cmp -s - "$work/b.before" || fail "launch on B changed nothing"
"$cli" --game "$game" rollback 2>"$work/err" || fail "roll-back started with A: $(cat "$work/err")"
both_as_before "launch on B, roll-back started with A"

# The launched folder is gone: the roll-back refuses, names it, and changes nothing.
"$cli" --game "$game" "${launch[@]}" 2>"$work/err" || fail "launch on A: $(cat "$work/err")"
snap "$game" > "$work/a.launched"
mv "$game" "$work/away"
if "$cli" --game "$other" rollback 2>"$work/err"; then fail "rolled back without the launched folder"; fi
grep -qF "${game%/}" "$work/err" || fail "the refusal does not name the folder: $(cat "$work/err")"
snap "$other" | cmp -s - "$work/b.before" || fail "refused roll-back changed B"
if "$cli" --game "$other" "${launch[@]}" 2>"$work/err"; then fail "launched on B with A's changes pending"; fi
snap "$other" | cmp -s - "$work/b.before" || fail "refused launch changed B"
mv "$work/away" "$game"
snap "$game" | cmp -s - "$work/a.launched" || fail "refusals changed A"
"$cli" --game "$other" rollback 2>"$work/err" || fail "roll-back once A is back: $(cat "$work/err")"
both_as_before "A back"
echo "two game folders: every roll-back acted on the launched folder"
