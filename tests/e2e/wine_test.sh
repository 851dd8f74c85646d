#!/usr/bin/env bash
# The Windows command-line tool under Wine, on a demo installation written by the Linux demo tool
# with the Windows program folder as its program folder:
#   1. list and show print the same lines as the Linux tool on the same installation;
#   2. a launch, then a roll-back: the game folder name for name, byte for byte and read-only
#      attribute for attribute what it was, the backups and the log gone;
#   3. a launch cut after its N-th changing file operation (as a crash would cut it), then a
#      roll-back: the game folder always comes back exactly; N takes every value;
#   4. a roll-back cut the same way, then rolled back again: the same (every 5th operation).
# Every part is timed.
#   $1 the Linux program folder, $2 seewolf-demo-install, $3 the Windows program folder
set -euo pipefail
linux_dir=$1
demo_install=$2
windows_dir=$3
scripts_dir="$(cd "$(dirname "$0")/../../scripts" && pwd)"

refuse() {
  echo "FAIL: $*" >&2
  exit 1
}
# Without the Windows build or Wine the test cannot run. scripts/test sets SEEWOLF_REQUIRE_WINDOWS=1
# and always builds both first, so there it fails; elsewhere (a Linux build alone) it is skipped,
# and ctest lists it as skipped with this reason.
missing() {
  if [[ "${SEEWOLF_REQUIRE_WINDOWS:-}" == 1 ]]; then
    refuse "$@"
  fi
  echo "SKIPPED: $*" >&2
  exit 77
}
for program in seewolf-cli.exe wachgang.exe; do
  [[ -f "$windows_dir/$program" ]] || missing "$windows_dir/$program is missing: build the windows preset first" \
    "(cmake --preset windows && cmake --build --preset windows; scripts/test does both before this test)"
done
[[ -f "$windows_dir/Seewolf_en.txt" ]] || missing "$windows_dir holds no program content: build the windows preset first"
for tool in wine winepath wineserver; do
  command -v "$tool" >/dev/null || missing "$tool is missing: install Wine (scripts/setup does) and build the windows preset"
done
command -v script >/dev/null || refuse "script (bsdutils) is missing: the console check needs it"
[[ -x "$linux_dir/seewolf-cli" ]] || refuse "$linux_dir/seewolf-cli is missing: build seewolf-cli"
# Wine turns the arguments into Windows text with the locale's character set; in the C locale it
# cuts every byte to seven bits, so a name such as "Jürgen Schäfer" would arrive mangled.
locale -a 2>/dev/null | grep -qixE 'c\.utf-?8' || refuse "the C.UTF-8 locale is missing; Wine needs it for the names"
export LC_ALL=C.UTF-8

started=$EPOCHREALTIME
part_started=$started
seconds_since() {
  local us=$((${EPOCHREALTIME/./} - ${1/./}))
  printf '%d.%d s' $((us / 1000000)) $((us % 1000000 / 100000))
}
part_done() {
  echo "$1: $(seconds_since "$part_started")"
  part_started=$EPOCHREALTIME
}

# The demo installation, its program folder copied from the Windows build; the Linux tool beside
# the Windows one, so both work with the same program folder, settings and backups.
set -- "$windows_dir" "$demo_install"
source "$(dirname "$0")/demo_world.sh"
cp "$linux_dir/seewolf-cli" "$prog/seewolf-cli"
docs="$work/demo/documents"

# A Wine prefix of this test's own in its temporary folder, its server kept running throughout
# (each start of a Windows program is then quicker) and ended with the test, also when a time
# limit stops it; should that fail, the server ends 30 seconds after the last program.
export WINEPREFIX="$work/wine" WINEDEBUG=-all
trap 'wineserver -k >/dev/null 2>&1 || true; chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

part_done "demo installation"

"$scripts_dir/wine-prefix" || fail "could not make the Wine prefix $WINEPREFIX"
wineserver -p30
part_done "Wine prefix"

game_z=$(winepath -w "$game")
docs_z=$(winepath -w "$docs")
[[ $game_z == Z:\\* && $docs_z == Z:\\* ]] || fail "Wine gives no Z: paths: $game_z, $docs_z"
wcli() { wine "$prog/seewolf-cli.exe" --game "$game_z" --documents "$docs_z" "$@"; }
lcli() { "$prog/seewolf-cli" --game "$game" --documents "$docs" "$@"; }

# Both tools with the same arguments: the same exit code and the same lines on standard output
# (and on standard error with ERRORS_TOO). The Windows tool ends its lines with CR LF, as text
# written to a Windows console or file does; every line must, and only that CR is taken off.
compare() {
  local what=$1; shift
  local lcode=0 wcode=0
  lcli "$@" >"$work/l.out" 2>"$work/l.err" || lcode=$?
  wcli "$@" >"$work/w.out" 2>"$work/w.err" || wcode=$?
  [[ $lcode -eq $wcode ]] || fail "$what: exit code $wcode under Wine, $lcode on Linux: $(cat "$work/w.err")"
  local stream
  for stream in out ${ERRORS_TOO:+err}; do
    [[ $(grep -c $'\r$' "$work/w.$stream" || true) -eq $(wc -l <"$work/w.$stream") ]] ||
      fail "$what: not every line of standard $stream ends with CR LF under Wine"
    sed 's/\r$//' "$work/w.$stream" >"$work/w.$stream.lf"
    cmp -s "$work/l.$stream" "$work/w.$stream.lf" ||
      { diff "$work/l.$stream" "$work/w.$stream.lf" | head -20; fail "$what: standard $stream differs (< Linux, > Wine)"; }
  done
}

# ---- 1. list and show ----
compare list list
[[ -s "$work/l.out" ]] || fail "list printed no career"
mapfile -t careers <"$work/l.out"
[[ ${#careers[@]} -ge 5 ]] || fail "the demo lists only ${#careers[@]} careers"
printf '%s\n' "${careers[@]}" | grep -q '[^ -~]' || fail "no career name outside ASCII: the names' text is not tried"
for career in "${careers[@]}"; do
  compare "show $career" show "$career"
  grep -q "^Name: " "$work/l.out" || fail "show $career: no record sheet"
done
ERRORS_TOO=1 compare "show of no career" show "Nobody Here"
grep -q "No career named Nobody Here" "$work/l.err" || fail "show of no career: $(cat "$work/l.err")"
part_done "list and show of ${#careers[@]} careers, each tool"

# On a console (here Wine's, on the terminal that script makes) the names must show as they are,
# not as the console's code page reads their UTF-8 bytes ("JÃ¼rgen"), on standard output and
# on standard error alike. Wine draws its console with cursor movements; only those are taken off.
script -qec "$(printf '%q ' wine "$prog/seewolf-cli.exe" --game "$game_z" --documents "$docs_z" list);
  $(printf '%q ' wine "$prog/seewolf-cli.exe" --game "$game_z" --documents "$docs_z" show "Jürgen Schäfer-ö")" \
  /dev/null </dev/null | sed -E 's/\x1b\[[0-9;?]*[a-zA-Z]//g' >"$work/console" || true
# "Jürgen" twice: in the list (standard output) and in the refusal (standard error).
[[ $(grep -c "Jürgen" "$work/console") -eq 2 ]] && grep -q "Schäfer-ö" "$work/console" ||
  { cat -A "$work/console" | head -20; fail "the console does not show the names as they are"; }
part_done "names on a console"

# ---- 2. launch and roll-back ----
# Every name with its kind, every file with its size and mode (the read-only attribute, which Wine
# keeps as the write permissions), then every file's hash. A folder's own size is left out: the
# file system does not shrink it when an added file goes again.
snapshot() {
  (cd "$game" && {
    find . -type d -printf '%p d %m\n'
    find . ! -type d -printf '%p %y %s %m\n'
  } | LC_ALL=C sort && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum)
}
expect_restored() {
  snapshot >"$work/after"
  cmp -s "$work/before" "$work/after" || { diff "$work/before" "$work/after" | head -20; fail "$1: not restored"; }
  [[ -d "$prog/!BACKUP" && -z "$(ls -A "$prog/!BACKUP")" ]] || fail "$1: the backup folder is not empty"
  [[ ! -e "$prog/Seewolf.log" ]] || fail "$1: Seewolf.log left"
  [[ ! -e "$prog/Seewolf.game" ]] || fail "$1: Seewolf.game left"
}
snapshot >"$work/before"
# The launch rewrites read-only files; the roll-back must make them read-only again. (By the
# permissions, not by test -w, which holds for root whatever they are.)
read_only() { [[ -f $1 && -z "$(find "$1" -perm -u=w)" ]]; }
readonly_files=(data/Cfg/Crew.cfg data/Submarine/Stations.cfg)
for f in "${readonly_files[@]}"; do
  read_only "$game/$f" || fail "the demo's $f is not a read-only file"
done

wcli launch "Hans Kessler" --nolaunch >/dev/null 2>"$work/err" || fail "launch under Wine failed: $(cat "$work/err")"
snapshot >"$work/during"
! cmp -s "$work/before" "$work/during" || fail "the launch under Wine changed nothing"
grep -q "^Name=Hans Kessler" "$docs/SH3/data/Cfg/main.cfg" || fail "the launch did not write the player's name"
for f in data/Cfg/Basic.cfg data/Submarine/Stations.cfg; do
  [[ -f "$prog/!BACKUP/$f" ]] || fail "the launch did not back up $f"
  ! cmp -s "$prog/!BACKUP/$f" "$game/$f" || fail "the launch left $f as it was"
done
[[ -s "$prog/Seewolf.log" ]] || fail "the launch logged no new file"
wcli rollback >/dev/null 2>"$work/err" || fail "roll-back under Wine failed: $(cat "$work/err")"
expect_restored "launch, then roll-back"
for f in "${readonly_files[@]}"; do
  read_only "$game/$f" || fail "$f is no longer read-only"
done
part_done "launch and roll-back"

# ---- 3. a launch cut at its changing file operations ----
# A new career with every option on, so every modification is cut somewhere.
launch=(launch --new-career --year 1941 --month 3 --flotilla-id 661 --type VIIB --crew "Veteran crew" --random-crew
  --nolaunch)
all_options_on
snapshot >"$work/before"
n=1
cuts=0
while true; do
  code=0
  SEEWOLF_FAULT_AFTER=$n wcli "${launch[@]}" >/dev/null 2>"$work/cut-err" || code=$?
  [[ $code -eq 0 || $code -eq 86 ]] || fail "the launch cut at $n ended with $code, not the cut's 86: $(cat "$work/cut-err")"
  if [[ $code -eq 0 ]]; then
    # Run to its end, the launch changed the files of the modifications that are on.
    for f in data/scene.dat data/Library/GUNS_SUB.sim data/Campaigns/Campaign/Campaign_LND.mis; do
      [[ -f "$prog/!BACKUP/$f" ]] || fail "the whole launch did not change $f"
    done
    [[ -s "$prog/Gramophone.log" ]] || fail "the whole launch did not shuffle the gramophone"
  fi
  wcli rollback >/dev/null 2>"$work/err" || fail "roll-back after a launch cut at $n failed: $(cat "$work/err")"
  expect_restored "launch cut at $n"
  [[ $code -eq 86 ]] || break # the launch ran to its end: no cut point is left
  cuts=$((cuts + 1))
  n=$((n + 1))
done
[[ $cuts -gt 10 ]] || fail "the launch made only $cuts changing operations; the cut never hit it"
part_done "launch cut at each of its $cuts changing operations, each rolled back"

# ---- 4. a roll-back cut at some of its changing file operations ----
# Every cut needs a new launch, which would make a full loop nearly as long as the one above; so
# the roll-back (about 90 operations, one or two per file: a rename or copy back, a removal) is
# cut at every 5th, spread over the whole of it. fault_test.sh cuts it at each one on Linux.
step=5
wcli "${launch[@]}" >/dev/null 2>"$work/err" || fail "the launch before the roll-back cuts failed: $(cat "$work/err")"
m=1
rollback_cuts=0
while true; do
  code=0
  SEEWOLF_FAULT_AFTER=$m wcli rollback >/dev/null 2>"$work/cut-err" || code=$?
  [[ $code -eq 0 || $code -eq 86 ]] || fail "the roll-back cut at $m ended with $code, not the cut's 86: $(cat "$work/cut-err")"
  [[ $code -eq 86 ]] || break # the roll-back ran to its end
  wcli rollback >/dev/null 2>"$work/err" || fail "roll-back after a roll-back cut at $m failed: $(cat "$work/err")"
  expect_restored "roll-back cut at $m, then rolled back"
  wcli "${launch[@]}" >/dev/null 2>"$work/err" || fail "the launch after the roll-back cut at $m failed: $(cat "$work/err")"
  rollback_cuts=$((rollback_cuts + 1))
  m=$((m + step))
done
expect_restored "roll-back run to its end"
[[ $rollback_cuts -gt 3 ]] || fail "the roll-back was cut only $rollback_cuts times"
part_done "roll-back cut at $rollback_cuts of its changing operations (every ${step}th), each rolled back again"

echo "Windows tool under Wine: all checks passed in $(seconds_since "$started")"
