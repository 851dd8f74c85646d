#!/usr/bin/env bash
# A launch prepared with the command-line tool, then rolled back: the game folder must be byte for
# byte and name for name what it was before, read-only files included, and the backup folder
# empty but present.
set -euo pipefail
source "$(dirname "$0")/demo_world.sh"
main_cfg="$work/demo/documents/SH3/data/Cfg/main.cfg"

snapshot > "$work/before"
days_before=$(grep -i '^NbDaysInBase=' "$game/data/Cfg/Basic.cfg")

launch_and_roll_back() {
  local what=$1; shift
  "$cli" launch "$@" --nolaunch 2>"$work/err" || fail "$what: launch failed: $(cat "$work/err")"
  [[ -d "$prog/!BACKUP/data" ]] || fail "$what: nothing was backed up"
  snapshot > "$work/during"
  ! cmp -s "$work/before" "$work/during" || fail "$what: the launch changed nothing"
  check_launch "$what"
  "$cli" rollback 2>"$work/err" || fail "$what: roll-back failed: $(cat "$work/err")"
  snapshot > "$work/after"
  diff "$work/before" "$work/after" >/dev/null || { diff "$work/before" "$work/after" | head -20; fail "$what: not restored"; }
  [[ -d "$prog/!BACKUP" ]] || fail "$what: backup folder gone"
  [[ -z "$(ls -A "$prog/!BACKUP")" ]] || fail "$what: backup folder not empty"
  [[ ! -e "$prog/Seewolf.log" ]] || fail "$what: Seewolf.log left"
}

check_launch() {
  case $1 in
    in-base)
      grep -q "^Name=Hans Kessler" "$main_cfg" || fail "player name not written"
      # No adjustment is on: the game keeps its own days in base.
      [[ "$(grep -i '^NbDaysInBase=' "$game/data/Cfg/Basic.cfg")" == "$days_before" ]] || fail "NbDaysInBase changed"
      ;;
    new-career)
      grep -q "^Name=Karl Probst" "$main_cfg" || fail "new commander not written"
      [[ -s "$prog/Seewolf.log" ]] || fail "no new files logged"
      ;;
    all-*)
      [[ -s "$prog/Gramophone.log" ]] || fail "$1: the gramophone was not shuffled"
      changed=(data/scene.dat data/Library/GUNS_SUB.sim)
      # A career at sea does not start at sea again: its campaign file stays.
      [[ $1 == all-at-sea ]] || changed+=(data/Campaigns/Campaign/Campaign_LND.mis)
      for f in "${changed[@]}"; do
        [[ -e "$prog/!BACKUP/$f" ]] || fail "$1: $f was not changed"
      done
      ;;
  esac
}

launch_and_roll_back in-base "Hans Kessler"
launch_and_roll_back new-career --new-career --year 1941 --month 3 --flotilla-id 661 --type VIIB --commander "Karl Probst"
launch_and_roll_back single-mission --single-mission --year 1941 --month 3 --flotilla-id 661 --type VIIB

# In another base: one day in base, written into the game.
"$cli" launch "Hans Kessler" --other-base --nolaunch 2>"$work/err" || fail "other base: $(cat "$work/err")"
grep -qE "^NbDaysInBase=1\s*$" "$game/data/Cfg/Basic.cfg" || fail "other base: NbDaysInBase is not 1"
"$cli" rollback
snapshot > "$work/after"
diff -q "$work/before" "$work/after" >/dev/null || fail "other base: not restored"

# Every option on: the modifications change their game files, and one roll-back takes it all back.
cp "$prog/Seewolf.ini" "$work/Seewolf.ini.saved"
all_options_on
launch_and_roll_back all-in-base "Hans Kessler"
launch_and_roll_back all-at-sea "Erich Lenz"
launch_and_roll_back all-new-career --new-career --year 1941 --month 3 --flotilla-id 661 --type VIIB \
  --commander "Karl Probst" --random-crew
launch_and_roll_back all-single-mission --single-mission --year 1941 --month 3 --flotilla-id 661 --type VIIB
cp "$work/Seewolf.ini.saved" "$prog/Seewolf.ini"

# A refused launch says why and exits 1.
if "$cli" launch --new-career --year 1941 --month 3 --flotilla-id 999 --type VIIB --nolaunch 2>"$work/err"; then
  fail "a launch without a flotilla succeeded"
fi
grep -q "No Flotilla or U-boat Type selected! Please try again." "$work/err" || fail "refusal: $(cat "$work/err")"
# The whole road: the companion runs the stand-in game, waits for it, and starts Seewolf with the
# roll-back switch, which restores the game folder without a window.
sed -i 's/^\[SETTINGS\]\r$/[SETTINGS]\r\nAutoRollback=1\r/' "$prog/Seewolf.ini"
grep -q "^AutoRollback=1" "$prog/Seewolf.ini" || fail "could not switch AutoRollback on"
# wrap, as Steam's launch options run it: the stand-in game finds the launch's files, a roll-back
# from inside it is refused (the wrapper holds the lock until its own roll-back), the game's exit
# code comes back and the game folder is restored.
set +e
"$cli" wrap --career "Hans Kessler" -- sh -c \
  '[ -d "$0/!BACKUP/data" ] || exit 3; "$0/seewolf-cli" rollback 2>/dev/null && exit 4; exit 7' "$prog" \
  2>"$work/err"
code=$?
set -e
[[ $code == 7 ]] || fail "wrap: exit code $code: $(cat "$work/err")"
snapshot > "$work/after"
diff -q "$work/before" "$work/after" >/dev/null || fail "wrap: not rolled back"
# Steam stops a game by signalling its process group: the game ends, the wrapper rolls back.
setsid "$cli" wrap --career "Hans Kessler" -- sh -c 'touch "$0"; sleep 30' "$work/running" 2>"$work/err" &
wrapper=$!
for _ in $(seq 150); do [[ -e "$work/running" ]] && break; sleep 0.2; done
[[ -e "$work/running" ]] || fail "wrap: the game did not start: $(cat "$work/err")"
kill -TERM -- "-$wrapper"
code=0
wait "$wrapper" || code=$?
[[ $code == 143 ]] || fail "signalled wrap: exit code $code: $(cat "$work/err")"
snapshot > "$work/after"
diff -q "$work/before" "$work/after" >/dev/null || fail "signalled wrap: not rolled back"
export SEEWOLF_WINE="$prog/stand-in-game.sh" SEEWOLF_STANDIN_SECONDS=1 QT_QPA_PLATFORM=offscreen
"$cli" launch "Hans Kessler" 2>"$work/err" || fail "full launch: $(cat "$work/err")"
[[ -d "$prog/!BACKUP/data" ]] || fail "full launch: nothing backed up"
# Waits up to 30 s for the companion's Seewolf to empty the backup folder, then compares.
expect_rolled_back() {
  for _ in $(seq 150); do
    if [[ -z "$(ls -A "$prog/!BACKUP")" ]]; then break; fi
    sleep 0.2
  done
  snapshot > "$work/after"
  diff -q "$work/before" "$work/after" >/dev/null || fail "$1"
}
expect_rolled_back "full launch: the companion's Seewolf did not roll back"

# The game ends at once while the Seewolf that launched it still holds the instance guard: the
# roll-back start waits for the guard instead of being turned away.
"$prog/seewolf" & first=$!
sleep 1.5
kill -0 "$first" 2>/dev/null || fail "the launching Seewolf did not start"
SEEWOLF_STANDIN_SECONDS=0 "$cli" launch "Hans Kessler" 2>"$work/err" || fail "quick game: $(cat "$work/err")"
sleep 2
kill "$first"
wait "$first" 2>/dev/null || true
expect_rolled_back "quick game: the roll-back start was turned away"
echo "launch and roll-back: all checks passed"
