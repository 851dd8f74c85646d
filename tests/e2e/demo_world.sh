# Sourced by the end-to-end scripts: a fresh demo world in a temporary folder, removed on exit.
#   $1 the program folder of the build, $2 seewolf-demo-install
# Sets work, demo, prog, game, cli; defines fail and snapshot (every name and every file's bytes of the
# game folder, for comparing before and after).
program_dir=$1
demo_install=$2

work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The demo's folder is "$work/demo" unless the script sets demo_name first.
demo="$work/${demo_name:-demo}"
"$demo_install" --fresh "$demo" "$program_dir" >/dev/null
prog="$demo/Seewolf"
game="$demo/game"
cli="$prog/seewolf-cli"

snapshot() {
  (cd "$game" && find . -print | LC_ALL=C sort && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum)
}

# Switches every launch option on in Seewolf.ini (each key goes first in [SETTINGS], so it wins).
all_options_on() {
  local option
  for option in ModelEffects=1 Effects=1 RndTonnage=1 RndCrushDepth=1 Adj88ReloadTime=1 88ReloadTime=6.5 \
      Adj105ReloadTime=1 AdjWaterDensity=1 AdjWaveHeight=1 WaveHeight=4 StartAtSea=1 RndGramophone=1 \
      SkipIntros=1 HullIntegrityText=1 UseFatigueModel=1 UseSubDts=1 RndDaysInBase=1; do
    sed -i "s/^\[SETTINGS\]\r\$/[SETTINGS]\r\n$option\r/" "$prog/Seewolf.ini"
  done
  grep -q "^RndGramophone=1" "$prog/Seewolf.ini" || fail "could not switch the options on"
}
