#!/usr/bin/env bash
# Start-up of the shipped programs on a generated installation: the folders, the single-instance
# guard (a second start from the same folder ends at once, a copy in another folder runs on its
# own), the silent roll-back start and the refusals.
set -euo pipefail
program_dir=$1
demo_install=$2
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  # A killed instance leaves its guard block; take it away so other runs start clean.
  for exe in "$work/demo/Seewolf/seewolf" "$work/demo/Copy/seewolf"; do
    name=$(printf '%s' "$exe" | tr -d '/' | tr '[:upper:]' '[:lower:]')
    rm -f "/dev/shm/$name"
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$demo_install" --fresh "$work/demo" "$program_dir" >/dev/null
prog="$work/demo/Seewolf"

# The command-line tool finds every folder from the demo's settings.
out=$("$prog/seewolf-cli" paths)
grep -qx "GameFolder: $work/demo/game/" <<<"$out" || fail "game folder: $out"
grep -qx "SaveFolder: $work/demo/documents/SH3/data/Cfg/" <<<"$out" || fail "save folder: $out"
[[ -d "$prog/!BACKUP" ]] || fail "backup folder not prepared"

# The silent roll-back start ends at once, without a window.
timeout 20 "$prog/seewolf" "/i:$work/demo/game/" /AutoRollbackAndClose || fail "roll-back start did not end with 0"

# A guard that cannot make its shared block: the start shows the system's error and stays with
# it (the box), instead of crashing.
block="/dev/shm/$(printf '%s' "$prog/seewolf" | tr -d '/' | tr '[:upper:]' '[:lower:]')"
mkfifo "$block"
code=0; timeout 5 "$prog/seewolf" 2>"$work/err" || code=$?
rm -f "$block"
[[ $code -eq 124 ]] || fail "guard error: exit code $code, expected the error box to stay up"
grep -q "Unable to create the shared block" "$work/err" || fail "guard error not said: $(cat "$work/err")"

# One instance per program folder.
"$prog/seewolf" & first=$!; pids+=("$first")
for _ in $(seq 50); do
  [[ -n "$(ls /dev/shm | grep -F "$(printf '%s' "$prog/seewolf" | tr -d '/' | tr '[:upper:]' '[:lower:]')" || true)" ]] && break
  sleep 0.1
done
sleep 0.5
kill -0 "$first" 2>/dev/null || fail "first instance did not stay up"
code=0; timeout 20 "$prog/seewolf" /extra-argument || code=$?
[[ $code -eq 0 ]] || fail "second instance exit code $code"
kill -0 "$first" 2>/dev/null || fail "first instance ended when the second started"

# A roll-back start that never gets the guard waits for it, then says that nothing was rolled back
# (the box stays up) instead of ending as if it had done its work.
code=0; timeout 14 "$prog/seewolf" "/i:$work/demo/game/" /autorollbackandclose 2>"$work/err" || code=$?
[[ $code -eq 124 ]] || fail "refused roll-back start: exit code $code, expected its message to stay up"
grep -q "were not rolled back after the game" "$work/err" || fail "refused roll-back not said: $(cat "$work/err")"
kill -0 "$first" 2>/dev/null || fail "first instance ended when the roll-back start gave up"

# A copy in another folder is an instance of its own.
cp -a "$prog" "$work/demo/Copy"
"$work/demo/Copy/seewolf" & copy=$!; pids+=("$copy")
sleep 2
kill -0 "$copy" 2>/dev/null || fail "the copy in another folder did not keep running"

# Without main.cfg nothing starts, and the tool says why.
mv "$work/demo/documents/SH3/data/Cfg/main.cfg" "$work/main.cfg.away"
if "$prog/seewolf-cli" paths 2>"$work/err"; then fail "paths succeeded without main.cfg"; fi
grep -q "main.cfg! You must run Silent Hunter III at least once" "$work/err" || fail "message: $(cat "$work/err")"
echo "start-up: all checks passed"
