#!/usr/bin/env bash
# The installed program folder and the package's launcher, without a package: `cmake --install`
# gives the tree of build/Seewolf/, and the launcher, laid out as the package lays it out
# (usr/bin/seewolf, opt/seewolf/), copies that folder into the user's data folder, updates its
# program files and keeps the user's files, refuses what it cannot do before running anything,
# and passes the arguments on unchanged.
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)

work=$(mktemp -d)
cleanup() {
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The install tree is the build's program folder, file for file (the build folder may also hold
# the state of a program run there).
root=$work/root
installed=$root/opt/seewolf
cmake --install "$build" --prefix "$installed" >/dev/null
! grep -v "^$installed/" "$build/install_manifest.txt" || fail "a plain install wrote outside its prefix"
listing() { (cd "$1" && find . ! -type d | grep -v -e '^\./Seewolf\.ini$' -e '^\./!BACKUP/' -e '\.log$' | LC_ALL=C sort); }
diff <(listing "$build/Seewolf") <(listing "$installed") || fail "the install tree differs from build/Seewolf"
(cd "$installed" && find . -type f -print0 | xargs -0 -I{} cmp -s {} "$build/Seewolf/{}") ||
  fail "a file of the install tree differs from its build/Seewolf copy"
for program in seewolf seewolf-cli wachgang; do
  [[ -x "$installed/$program" ]] || fail "$program is not an executable of the install tree"
done

mkdir -p "$root/usr/bin"
install -m 755 "$source/packaging/seewolf-launcher.sh" "$root/usr/bin/seewolf"
ln -s seewolf "$root/usr/bin/seewolf-cli"
# The window program's stand-in prints its arguments, one per line, and where it runs from.
printf '#!/bin/sh\nprintf "%%s\\n" "$0" "$@"\n' >"$installed/seewolf"

export HOME=$work/home
export XDG_DATA_HOME=$work/data
copy=$XDG_DATA_HOME/seewolf

# First start, two at once: one copies, the other waits for it; both run the complete copy.
"$root/usr/bin/seewolf-cli" --help >"$work/help1" 2>&1 &
"$root/usr/bin/seewolf-cli" --help >"$work/help2" 2>&1 || fail "second start: $(cat "$work/help2")"
wait $! || fail "first start: $(cat "$work/help1")"
grep -qi usage "$work/help1" && cmp -s "$work/help1" "$work/help2" || fail "seewolf-cli --help printed: $(cat "$work/help1")"
diff <(listing "$installed") <(listing "$copy" | grep -v '^\./\.seewolf-') || fail "the copy is not the program folder"
[[ -z $(find "$XDG_DATA_HOME" -maxdepth 1 -name '.seewolf-copy.*') ]] || fail "a temporary copy was left behind"

out=$("$root/usr/bin/seewolf" 'two words' '' '*' '-x "q"')
[[ $out == "$copy/seewolf"$'\n'"two words"$'\n\n*\n-x "q"' ]] || fail "the window program was run as: $out"

# An update: changed, new and dropped program files; the user's settings, backups and logs stay,
# and a new program file named like a file of the user's does not replace it.
echo "ShowTips=0" >"$copy/Seewolf.ini"
mkdir -p "$copy/!BACKUP" && echo backup >"$copy/!BACKUP/data.bak"
echo log >"$copy/Seewolf.log"
cp -a "$copy/Seewolf.ini" "$copy/!BACKUP" "$copy/Seewolf.log" "$work/"
echo "A new tip." >>"$installed/Tips.txt"
echo new >"$installed/New.txt"
echo "ShowTips=1" >"$installed/Seewolf.ini"
rm "$installed/Seewolf_fr.txt"
"$root/usr/bin/seewolf" >/dev/null 2>"$work/err" || fail "update: $(cat "$work/err")"
cmp -s "$installed/Tips.txt" "$copy/Tips.txt" && cmp -s "$installed/New.txt" "$copy/New.txt" ||
  fail "the program files were not updated"
[[ ! -e "$copy/Seewolf_fr.txt" ]] || fail "a program file the new version dropped stayed"
cmp -s "$work/Seewolf.ini" "$copy/Seewolf.ini" && cmp -s "$work/Seewolf.log" "$copy/Seewolf.log" &&
  diff -r "$work/!BACKUP" "$copy/!BACKUP" || fail "the update changed the user's files"
grep -q "kept your $copy/Seewolf.ini" "$work/err" || fail "the kept settings file was not told: $(cat "$work/err")"
echo "Newer." >>"$installed/Tips.txt"
"$root/usr/bin/seewolf" >/dev/null 2>"$work/err" || fail "second update: $(cat "$work/err")"
cmp -s "$installed/Tips.txt" "$copy/Tips.txt" && cmp -s "$work/Seewolf.ini" "$copy/Seewolf.ini" ||
  fail "the second update lost a program file or the user's settings"

# A disk that fills during the first copy, a first copy cut short before, a folder the launcher
# did not make and (unless root, whom permissions do not stop) a read-only data folder: a message,
# exit code 1, no program run, nothing half copied left.
refused() { # data folder, expected message, launcher arguments...
  local data=$1 message=$2 rc=0
  shift 2
  XDG_DATA_HOME=$data "$@" >"$work/out" 2>"$work/err" || rc=$?
  [[ $rc -eq 1 ]] || fail "exit code $rc in $data: $(cat "$work/err")"
  [[ ! -s "$work/out" ]] || fail "a program ran in $data: $(cat "$work/out")"
  grep -q "$message" "$work/err" || fail "message in $data: $(cat "$work/err")"
}
mkdir "$work/full"
refused "$work/full" "could not copy the program folder" bash -c 'ulimit -f 64; exec "$0" --help' "$root/usr/bin/seewolf-cli"
[[ -z $(find "$work/full" -mindepth 1 ! -name .seewolf.lock) ]] || fail "a full disk left: $(ls -A "$work/full")"
mkdir -p "$work/cut" "$work/killer"
printf '#!/bin/sh\n/bin/cp "$@"; kill -KILL $PPID\n' >"$work/killer/cp" && chmod +x "$work/killer/cp"
if XDG_DATA_HOME=$work/cut PATH=$work/killer:$PATH "$root/usr/bin/seewolf-cli" --help >/dev/null 2>&1; then
  fail "the launcher was not stopped during its copy"
fi
XDG_DATA_HOME=$work/cut "$root/usr/bin/seewolf-cli" --help >/dev/null || fail "a cut copy stopped the next start"
[[ -z $(find "$work/cut" -maxdepth 1 -name '.seewolf-copy.*') && -x "$work/cut/seewolf/seewolf-cli" ]] ||
  fail "a cut copy was not replaced"
mkdir -p "$work/other/seewolf"
refused "$work/other" "was not made by this launcher" "$root/usr/bin/seewolf"
[[ -z $(ls -A "$work/other/seewolf") ]] || fail "the launcher wrote into a folder it did not make"
if [[ $(id -u) -ne 0 ]]; then
  mkdir "$work/readonly" && chmod a-w "$work/readonly"
  refused "$work/readonly" "cannot write in the data folder" "$root/usr/bin/seewolf"
  echo "Update of a newer version" >>"$installed/Tips.txt"
  chmod -R a-w "$copy"
  refused "$XDG_DATA_HOME" "could not update the program files" "$root/usr/bin/seewolf"
else
  echo "running as root: the read-only data folder is not tried (root writes anyway)"
fi
echo "launcher: ok"
