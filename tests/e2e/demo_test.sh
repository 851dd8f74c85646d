#!/usr/bin/env bash
# The demo's way of running without a display: tools/demo/run_demo.sh starts its own virtual
# display and keeps it until the last program of the demo has ended. A launch hands over to the
# companion, which runs the stand-in game and starts Seewolf again with the roll-back switch; that
# Seewolf needs the display, and when run_demo.sh returns it has rolled the game folder back.
# The game runs through the demo's Seewolf.ini (WineCommand names the stand-in game in quotes), from
# a folder with a blank and a quote in its name, as a Proton folder has.
#   $1 the program folder of the build, $2 seewolf-demo-install, $3 tools/demo/run_demo.sh
set -euo pipefail
demo_name="Proton's demo - Experimental"
source "$(dirname "$0")/demo_world.sh"
run_demo=$3
command -v Xvfb >/dev/null || fail "Xvfb is not installed (scripts/setup installs it)"

sed -i 's/^\[SETTINGS\]\r$/[SETTINGS]\r\nAutoRollback=1\r/' "$prog/Seewolf.ini"
grep -q "^AutoRollback=1" "$prog/Seewolf.ini" || fail "could not switch AutoRollback on"
snapshot >"$work/before"

# No display at all: the script must bring its own. The launch ends seewolf-cli at once.
code=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u SEEWOLF_WINE \
  SEEWOLF_STANDIN_SECONDS=1 timeout 120 bash "$run_demo" "$demo" "$cli" launch "Hans Kessler" \
  >"$work/out" 2>&1 || code=$?
[[ $code -eq 0 ]] || fail "run_demo.sh ended with $code: $(cat "$work/out")"
grep -q "virtual display" "$work/out" || fail "no virtual display was started: $(cat "$work/out")"
grep -q "Silent Hunter III (stand-in) has ended" "$work/out" || fail "the stand-in game did not run: $(cat "$work/out")"

# Returned only after the companion's Seewolf ended: the game folder is back as it was.
snapshot >"$work/after"
diff -q "$work/before" "$work/after" >/dev/null || fail "the game folder was not rolled back when run_demo.sh returned"
[[ -z "$(ls -A "$prog/!BACKUP")" ]] || fail "backup left after the demo's return"
real_demo=$(cd "$demo" && pwd -P)
for proc in /proc/[0-9]*; do
  exe=$(readlink "$proc/exe" 2>/dev/null) || continue
  [[ $exe != "$real_demo"/* ]] || fail "a program of the demo still runs: $exe"
done
echo "headless demo: launch, game and return under the script's own display"
