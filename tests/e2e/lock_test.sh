#!/usr/bin/env bash
# One launch or roll-back at a time: while another process holds the program folder's lock, a
# roll-back and a launch wait a few seconds, then refuse with a message and change nothing.
set -euo pipefail
source "$(dirname "$0")/demo_world.sh"
launch=(launch --new-career --year 1941 --month 3 --flotilla-id 661 --type VIIB --nolaunch)

"$cli" "${launch[@]}" 2>"$work/err" || fail "launch: $(cat "$work/err")"
snapshot > "$work/launched"
# This script holds the lock itself, as a running launch would.
exec 9>"$prog/Seewolf.lock"
flock 9

for what in rollback launch; do
  if [[ $what == rollback ]]; then args=(rollback); else args=("${launch[@]}"); fi
  if "$cli" "${args[@]}" 2>"$work/err"; then fail "$what ran while the lock was held"; fi
  grep -q "Another launch or roll-back" "$work/err" || fail "$what: $(cat "$work/err")"
  snapshot | cmp -s - "$work/launched" || fail "$what changed the game folder while refused"
done
[[ -d "$prog/!BACKUP/data" ]] || fail "the backup went while refused"

exec 9>&-
"$cli" rollback 2>"$work/err" || fail "roll-back after the lock was released: $(cat "$work/err")"
echo "lock: a second launch or roll-back refused while one runs"
