#!/usr/bin/env bash
# The Debian package: built by CPack from the build, its desktop entry and metainfo validated, its
# control fields and file list checked, then installed and run: seewolf-cli --help from
# /opt/seewolf, and the launcher's first start, which copies the program folder.
# As root the package is installed for real with dpkg -i and purged at the end (also on failure),
# unless a seewolf package is installed already; otherwise it is unpacked with dpkg-deb -x.
set -euo pipefail
build=$(cd "$1" && pwd)

fail() { echo "FAIL: $*" >&2; exit 1; }
if ! command -v dpkg-deb >/dev/null; then
  echo "SKIP: no dpkg-deb here, so no Debian package is built (scripts/setup installs dpkg-dev)"
  exit 77
fi
for tool in dpkg-shlibdeps desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || fail "$tool is missing; scripts/setup installs it"
done

work=$(mktemp -d)
installed_here=
cleanup() {
  if [[ -n $installed_here ]]; then
    dpkg --purge seewolf >"$work/purge.log" 2>&1 ||
      echo "FAIL: could not remove the test's seewolf package (dpkg --purge seewolf): $(cat "$work/purge.log")" >&2
  fi
  rm -rf "$work"
}
trap cleanup EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || fail "cpack: $(cat "$work/cpack.log")"
debs=("$work/out"/seewolf_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "cpack made: $(ls "$work/out")"
deb=${debs[0]}

# Control fields: the project's version, a maintainer and the libraries the programs link.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ $(dpkg-deb -f "$deb" Package) == seewolf && $(dpkg-deb -f "$deb" Version) == "$version" ]] ||
  fail "control: $(dpkg-deb -f "$deb")"
[[ -n $(dpkg-deb -f "$deb" Maintainer) ]] || fail "no maintainer"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6multimedia6 libqt6network6 libturbojpeg0 libc6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

# The file list: the program folder under /opt/seewolf, the same files as build/Seewolf/, and the
# launcher, desktop entry, metainfo and icon under /usr; nothing else.
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | LC_ALL=C sort >"$work/files"
grep -v '^\./opt/seewolf/' "$work/files" >"$work/usr_files" || true
diff - "$work/usr_files" <<'LIST' || fail "files outside the program folder differ"
./usr/bin/seewolf
./usr/bin/seewolf-cli
./usr/share/applications/io.github.seewolf.Seewolf.desktop
./usr/share/icons/hicolor/scalable/apps/io.github.seewolf.Seewolf.svg
./usr/share/metainfo/io.github.seewolf.Seewolf.metainfo.xml
LIST
diff <(sed -n 's|^\./opt/seewolf/|./|p' "$work/files") \
  <(cd "$build/Seewolf" && find . ! -type d | grep -v -e '^\./Seewolf\.ini$' -e '^\./!BACKUP/' -e '\.log$' | LC_ALL=C sort) ||
  fail "the package's program folder differs from build/Seewolf"

dpkg-deb -x "$deb" "$work/unpacked"
desktop-file-validate "$work/unpacked/usr/share/applications/io.github.seewolf.Seewolf.desktop" ||
  fail "the desktop entry does not validate"
appstreamcli validate --no-net "$work/unpacked/usr/share/metainfo/io.github.seewolf.Seewolf.metainfo.xml" ||
  fail "the metainfo does not validate"

# Installed for real as root (one test run at a time on this machine), else the unpacked tree.
root=$work/unpacked
if [[ $(id -u) -eq 0 ]]; then
  exec 8>/tmp/seewolf-deb-test.lock
  flock 8
  if dpkg-query -W -f='${Status}' seewolf 2>/dev/null | grep -q installed; then
    echo "a seewolf package is installed on this machine already, so it is not installed again: using dpkg-deb -x"
  else
    echo "installing with dpkg -i (removed again at the end)"
    installed_here=1
    dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$work/dpkg.log")"
    root=
  fi
else
  echo "not root: the package is tried unpacked with dpkg-deb -x"
fi
"$root/opt/seewolf/seewolf-cli" --help | grep -qi usage || fail "seewolf-cli --help from $root/opt/seewolf"
export HOME=$work/home XDG_DATA_HOME=$work/data
"$root/usr/bin/seewolf-cli" --help | grep -qi usage || fail "seewolf-cli --help through the launcher"
diff <(cd "$root/opt/seewolf" && find . | LC_ALL=C sort) \
  <(cd "$XDG_DATA_HOME/seewolf" && find . ! -name '.seewolf-*' | LC_ALL=C sort) ||
  fail "the first start did not copy the program folder"
echo "package: ok ($deb)"
