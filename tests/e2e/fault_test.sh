#!/usr/bin/env bash
# A launch cut at every changing file operation (the process ends as in a crash), then a
# roll-back: the game folder must always come back exactly. Then a roll-back cut at every
# operation, then a complete one: the same.
set -euo pipefail
source "$(dirname "$0")/demo_world.sh"
# A new career with every option on: every modification is cut somewhere.
launch=(launch --new-career --year 1941 --month 3 --flotilla-id 661 --type VIIB --crew "Veteran crew" --random-crew
  --nolaunch)
all_options_on

snapshot > "$work/before"

n=1
while true; do
  code=0
  SEEWOLF_FAULT_AFTER=$n "$cli" "${launch[@]}" >/dev/null 2>"$work/cut-err" || code=$?
  "$cli" rollback >/dev/null 2>&1 || fail "roll-back after a launch cut at $n failed"
  snapshot > "$work/after"
  cmp -s "$work/before" "$work/after" || { diff "$work/before" "$work/after" | head; fail "launch cut at $n not restored"; }
  if [[ $code -ne 86 ]]; then  # the launch ran to its end: every cut point was tried
    [[ $code -eq 0 ]] || fail "launch cut at $n ended with $code, neither cut nor done: $(cat "$work/cut-err")"
    break
  fi
  n=$((n + 1))
done
[[ $n -gt 10 ]] || fail "the launch made only $n changing operations; the cut never hit it"
echo "launch cut at each of $((n - 1)) operations: restored every time"

"$cli" "${launch[@]}" >/dev/null 2>&1 || fail "uncut launch failed"
snapshot > "$work/launched"
m=1
while true; do
  code=0
  SEEWOLF_FAULT_AFTER=$m "$cli" rollback >/dev/null 2>"$work/cut-err" || code=$?
  if [[ $code -ne 86 ]]; then
    [[ $code -eq 0 ]] || fail "roll-back cut at $m ended with $code, neither cut nor done: $(cat "$work/cut-err")"
    break
  fi
  # Cut again: put the launch back as it was and try the next cut point.
  "$cli" rollback >/dev/null 2>&1 || fail "roll-back after a roll-back cut at $m failed"
  snapshot > "$work/after"
  cmp -s "$work/before" "$work/after" || fail "roll-back cut at $m, then rolled back: not restored"
  "$cli" "${launch[@]}" >/dev/null 2>&1 || fail "relaunch failed"
  m=$((m + 1))
done
snapshot > "$work/after"
cmp -s "$work/before" "$work/after" || fail "final roll-back: not restored"
echo "roll-back cut at each of $((m - 1)) operations: restored every time"
