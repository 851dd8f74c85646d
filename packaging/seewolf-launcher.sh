#!/bin/sh
# The launcher of the installed package, as /usr/bin/seewolf and /usr/bin/seewolf-cli.
#
# Seewolf keeps its settings (Seewolf.ini), its backups (!BACKUP) and its launch logs in its own
# program folder, which the package installs read-only under /opt/seewolf. So the launcher runs a
# copy of that folder in the user's data folder, ${XDG_DATA_HOME:-$HOME/.local/share}/seewolf:
# - first start: the installed folder is copied into a temporary folder beside the copy's place
#   and renamed into place when complete, so a copy cut short is never run;
# - later starts: when the installed program files differ from those recorded at the last copy
#   (a package upgrade or downgrade), the program files are copied again, one by one (each
#   written beside its place and renamed over it, the record written last, so an update cut
#   short is done again at the next start); files the program or the user made stay untouched;
# - a lock in the data folder keeps two starts from copying at the same time.
# Called as seewolf-cli it runs the command-line tool of the copy, otherwise the window program;
# the arguments are passed on unchanged. Any failure is told on standard error and ends the
# launcher with exit code 1 before any program runs.
# Besides POSIX it relies on what every Debian system has: readlink -f, mv -T and find -printf
# (coreutils, findutils) and flock (util-linux).
set -u

# Started from the desktop's menu, standard error goes nowhere to be seen: the desktop's
# notification tells it too, where there is one.
fail() {
    printf 'seewolf: %s\n' "$*" >&2
    if [ ! -t 2 ] && command -v notify-send >/dev/null 2>&1; then
        notify-send --app-name=Seewolf "Seewolf cannot start" "$*" >/dev/null 2>&1 || :
    fi
    exit 1
}

case $(basename -- "$0") in
seewolf-cli) program=seewolf-cli ;;
*) program=seewolf ;;
esac

# The program folder lies at opt/seewolf beside the usr/bin holding this launcher.
self=$(readlink -f -- "$0") || fail "cannot tell where the launcher $0 lies"
installed=$(dirname -- "$self")/../../opt/seewolf
installed=$(cd -- "$installed" 2>/dev/null && pwd -P) ||
    fail "the installed program folder $(dirname -- "$self")/../../opt/seewolf is missing; reinstall the seewolf package"

case ${XDG_DATA_HOME:-} in
/*) data=$XDG_DATA_HOME ;;
*)
    [ -n "${HOME:-}" ] || fail "neither XDG_DATA_HOME nor HOME is set, so there is no data folder for Seewolf's copy"
    data=$HOME/.local/share
    ;;
esac
copy=$data/seewolf
record=.seewolf-program-files
kept=.seewolf-kept-files
lock=$data/.seewolf.lock

mkdir -p -- "$data" 2>/dev/null || fail "cannot make the data folder $data; make it writable, then start again"
(: >>"$lock") 2>/dev/null || fail "cannot write in the data folder $data; make it writable, then start again"
exec 9>>"$lock"
flock -w 300 9 || fail "another start of Seewolf is still copying the program folder to $copy (lock $lock); try again later"

# Each installed program file with its size and modification time, one per line.
strays=$(cd -- "$installed" && find . ! -type d ! -type f -print) ||
    fail "cannot read the installed program folder $installed"
[ -z "$strays" ] || fail "the installed program folder $installed holds entries that are not plain files: $strays; reinstall the seewolf package"
now=$(cd -- "$installed" && find . -type f -printf '%P\t%s\t%T@\n' | LC_ALL=C sort) && [ -n "$now" ] ||
    fail "cannot read the installed program folder $installed"

# Temporary copies of a first start that was cut short (only the lock holder makes them).
rm -rf -- "$data"/.seewolf-copy.*

if [ ! -e "$copy" ] && [ ! -L "$copy" ]; then
    tmp=$data/.seewolf-copy.$$
    if ! { mkdir -- "$tmp" && cp -R -- "$installed/." "$tmp/" && printf '%s\n' "$now" >"$tmp/$record" &&
        mv -T -- "$tmp" "$copy"; }; then
        rm -rf -- "$tmp"
        fail "could not copy the program folder $installed to $copy (the reason is above); free some space or make $data writable, then start again"
    fi
elif [ ! -f "$copy/$record" ]; then
    fail "$copy was not made by this launcher (it has no $record); move it elsewhere, then start again"
else
    old=$(cat -- "$copy/$record") || fail "cannot read $copy/$record"
    if [ "$old" != "$now" ]; then
        oldfiles=$(printf '%s\n' "$old" | cut -f1)
        # Program files of the old version that the new one no longer has.
        printf '%s\n' "$oldfiles" | while IFS= read -r f; do
            [ -z "$f" ] || [ -f "$installed/$f" ] || rm -f -- "$copy/$f" || exit 1
        done || fail "could not remove the old program files from $copy (the reason is above); make it writable, then start again"
        # A new program file never replaces a file of the user's of the same name; such a file is
        # listed in $kept and stays the user's at later updates too.
        printf '%s\n' "$now" | cut -f1 | while IFS= read -r f; do
            if [ -e "$copy/$f" ] && { ! printf '%s\n' "$oldfiles" | grep -Fxq -- "$f" ||
                grep -Fxqs -- "$f" "$copy/$kept"; }; then
                grep -Fxqs -- "$f" "$copy/$kept" || printf '%s\n' "$f" >>"$copy/$kept" || exit 1
                printf 'seewolf: kept your %s; the new version'"'"'s file of that name is %s\n' "$copy/$f" "$installed/$f" >&2
                continue
            fi
            mkdir -p -- "$(dirname -- "$copy/$f")" && cp -- "$installed/$f" "$copy/$f.seewolf-new" &&
                mv -f -- "$copy/$f.seewolf-new" "$copy/$f" || exit 1
        done || fail "could not update the program files in $copy (the reason is above); free some space or make it writable, then start again"
        { printf '%s\n' "$now" >"$copy/$record.new" && mv -f -- "$copy/$record.new" "$copy/$record"; } ||
            fail "could not write $copy/$record; free some space or make it writable, then start again"
    fi
fi

exec 9>&-
exec "$copy/$program" "$@"
