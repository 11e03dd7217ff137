# Sourced by the one-machine scripts: a copy of the test prefix (with its virtual desktop) and a share
# folder mapped as Y:, its own wineserver; and the helpers that drive and check it. Before sourcing set
# build (the build folder) and tag; sets bin, out (<build>/app-<tag>, for logs and screenshots), share,
# M and board_pid (the board started in the background, ended at exit).
bin=$build/bin
out=$build/app-$tag
share=$build/app-$tag-share
M=$build/wineprefix-$tag
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
end_wineserver "$M"
rm -rf "$out" "$share" "$M"
mkdir -p "$out" "$share"
cp -a "$WINEPREFIX" "$M"
ln -sfn "$share" "$M/dosdevices/y:"
WINEPREFIX=$M wineserver -p
board_pid=
cleanup() {
  [ -n "$board_pid" ] && kill "$board_pid" 2>/dev/null || true
  chmod -R u+w "$share" 2>/dev/null || true
  end_wineserver "$M"
  rm -rf "$M" "$share"
}
trap cleanup EXIT
drive() {  # drive <login> <args...>
  local login=$1
  shift
  logged_driver "$M" "$login" 60 "$@"
}
alice() { drive alice "$@"; }
all='yOZ - All Departments'
# quiet_share [registry lines...]: ALICE's settings for a quiet board on Y:\ (fast timers, no first-run
# question, no screen saver, no automatic comment, 640 x 450) with the further lines given, and the share
# seeded with ALICE (an administrator, Sales) and BOB (Support).
quiet_share() {
  {
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\QDSoftware\\yOZ]\n'
    printf '%s\n' '"yOZDBasePath"="Y:\\"' '"FirstTimeRun"=dword:00000000' '"UpdateDisplayTime"=dword:00000001' \
      '"CheckForNewMsgEvery"=dword:00000001' '"DetectScreenSaver"=dword:00000000' '"AutoComment"=dword:00000000' \
      '"MainWidth"=dword:00000280' '"MainHeight"=dword:000001c2' "$@"
  } >"$out/settings.reg"
  WINEPREFIX=$M wine regedit /S "$(WINEPREFIX=$M winepath -w "$out/settings.reg")" >/dev/null 2>&1
  alice seed 'Y:\' 'ALICE:1:Sales:' 'BOB:0:Support:' || fail "seeding the share"
}
# start_board: ALICE's board in the background, its output in board.log, its message boxes logged to
# dialogs.log. Sets board_pid.
start_board() {
  YOZ_DIALOG_LOG="$out/dialogs.log" WINEPREFIX=$M USER=alice wine "$bin/yOZ.exe" >"$out/board.log" 2>&1 &
  board_pid=$!
}
