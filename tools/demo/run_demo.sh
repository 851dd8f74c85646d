#!/usr/bin/env bash
# Runs a program of the demo and stays until every program of the demo has ended.
#   tools/demo/run_demo.sh DEMO_FOLDER COMMAND [ARGUMENT...]
#
# Launch ends Seewolf and hands over to the companion (wachgang), which runs the stand-in game
# and then starts Seewolf again: so the first program ending is not the end of the demo. This
# script waits until no program runs from DEMO_FOLDER any more (Seewolf, wachgang, the stand-in
# game), so the Seewolf that comes back still finds its display and rolls back.
#
# Without a display it starts a virtual one (Xvfb, on a free display number) and keeps it until
# then. Ctrl+C (or SIGTERM) stops the demo: its programs are ended and the display with them.
set -euo pipefail

if (($# < 2)); then
  echo "usage: tools/demo/run_demo.sh DEMO_FOLDER COMMAND [ARGUMENT...]" >&2
  exit 2
fi
demo=$(cd "$1" && pwd -P)
shift

# The programs of the demo: executables inside the demo folder, and the stand-in game script,
# which runs as "sh <demo>/Seewolf/stand-in-game.sh ...".
demo_processes() {
  local proc pid exe args
  local standin="$demo/Seewolf/stand-in-game.sh"
  for proc in /proc/[0-9]*; do
    pid=${proc#/proc/}
    [[ $pid == "$$" || $pid == "$BASHPID" ]] && continue
    exe=$(readlink "$proc/exe" 2>/dev/null) || exe=
    args=()
    mapfile -d '' -t args 2>/dev/null <"$proc/cmdline" || true
    if [[ $exe == "$demo"/* || ${args[0]:-} == "$standin" || ${args[1]:-} == "$standin" ]]; then
      echo "$pid"
    fi
  done
}

display_pid=
display_dir=
stop_display() {
  if [[ -n $display_pid ]]; then
    kill "$display_pid" 2>/dev/null || true
    wait "$display_pid" 2>/dev/null || true
    display_pid=
  fi
  if [[ -n $display_dir ]]; then
    rm -rf "$display_dir"
    display_dir=
  fi
}
trap stop_display EXIT

stop_demo() {
  trap - INT TERM
  echo "Stopping the demo..." >&2
  local pids
  pids=$(demo_processes)
  if [[ -n $pids ]]; then
    # shellcheck disable=SC2086 # one id per word
    kill $pids 2>/dev/null || true
    for _ in $(seq 20); do
      [[ -z "$(demo_processes)" ]] && break
      sleep 0.25
    done
  fi
  echo "The demo has stopped. If a launch was under way, its changes to the demo's game folder stay" >&2
  echo "until the next launch, the Roll back button or: $demo/Seewolf/seewolf-cli rollback" >&2
  exit 130
}
trap stop_demo INT TERM

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  if ! command -v Xvfb >/dev/null; then
    echo "There is no display to show Seewolf's window on, and Xvfb is not installed (scripts/setup installs it)." >&2
    exit 1
  fi
  display_dir=$(mktemp -d)
  # Xvfb picks a free display number itself and writes it to the descriptor given.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_dir/number" 2>"$display_dir/log" &
  display_pid=$!
  for _ in $(seq 100); do
    [[ -s "$display_dir/number" ]] && break
    kill -0 "$display_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [[ ! -s "$display_dir/number" ]]; then
    echo "Could not start a virtual display (Xvfb): $(cat "$display_dir/log")" >&2
    exit 1
  fi
  export DISPLAY=":$(head -n 1 "$display_dir/number")"
  echo "No display: the demo runs on the virtual display $DISPLAY (Xvfb) until it ends." >&2
  echo "Stop it with Ctrl+C." >&2
fi

code=0
"$@" &
wait $! || code=$?
# A launch has handed over to the companion: wait for the game and the Seewolf that comes back.
while [[ -n "$(demo_processes)" ]]; do
  sleep 0.5
done
exit "$code"
