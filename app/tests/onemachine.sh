# Sourced by the one-machine scripts: a copy of the test prefix (with its virtual desktop) and a share
# folder mapped as Y:, its own wineserver; and the helpers that drive and check it. Before sourcing set
# build (the build folder) and tag; sets bin, out (<build>/app-<tag>, for logs and screenshots), share,
# M and board_pid (the board started in the background, ended at exit).
bin=$build/bin
out=$build/app-$tag
share=$build/app-$tag-share
M=$build/wineprefix-$tag
rm -rf "$out" "$share" "$M"
mkdir -p "$out" "$share"
cp -a "$WINEPREFIX" "$M"
ln -sfn "$share" "$M/dosdevices/y:"
WINEPREFIX=$M wineserver -p
board_pid=
cleanup() {
  [ -n "$board_pid" ] && kill "$board_pid" 2>/dev/null || true
  chmod -R u+w "$share" 2>/dev/null || true
  WINEPREFIX=$M wineserver -k 2>/dev/null || true
  rm -rf "$M" "$share"
}
trap cleanup EXIT
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
drive() {  # drive <login> <args...>
  local login=$1
  shift
  WINEPREFIX=$M USER=$login timeout -k 5 60 wine "$bin/yozdrive.exe" "$@" 2>>"$out/driver.log" | tr -d '\r'
  return "${PIPESTATUS[0]}"
}
alice() { drive alice "$@"; }
