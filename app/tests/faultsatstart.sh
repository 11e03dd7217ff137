#!/usr/bin/env bash
# The real board started on what a damaged share, an odd login or odd settings give it. Each start
# ends in a clear message box, pressed like a user would, and then either a working board or an
# ended program: never a crash, never a program left running without a window. One machine (a copy
# of the test prefix) with the share mapped as Y:. Screenshots land in <build>/app-faultsatstart/.
set -euo pipefail
build=$1
tag=faultsatstart
source "$(dirname "$0")/onemachine.sh"
settings() {  # settings <UpdateDisplayTime> <CheckForNewMsgEvery> (DWORDs in hex)
  cat >"$out/settings.reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\QDSoftware\\yOZ]
"yOZDBasePath"="Y:\\\\"
"FirstTimeRun"=dword:00000000
"UpdateDisplayTime"=dword:$1
"CheckForNewMsgEvery"=dword:$2
"DetectScreenSaver"=dword:00000000
EOF
  WINEPREFIX=$M wine regedit /S "$(WINEPREFIX=$M winepath -w "$out/settings.reg")" >/dev/null 2>&1
}
start() {  # start <login> <tag>: the board in the background
  YOZ_DIALOG_LOG="$out/dialogs-$2.log" WINEPREFIX=$M USER=$1 wine "$bin/yOZ.exe" >"$out/board-$2.log" 2>&1 &
  board_pid=$!
}
ended() {  # ended <tag>: the board's process is gone within 30 s, and did not crash
  until_ended "$board_pid" || fail "$1: the program still runs"
  wait "$board_pid" || true
  board_pid=
  grep -q 'Unhandled\|page fault' "$out/board-$1.log" && fail "$1: the program crashed"
  return 0
}
box_says() {  # box_says <tag> <text>: an information box with this text, pressed
  local text
  text=$(drive alice box Information 30000) || fail "$1: no message box"
  [[ "$text" == *"$2"* ]] || fail "$1: the box says \"$text\""
  import -window root "$out/$1-box.png" 2>/dev/null || true
  drive alice press Information OK || fail "$1: pressing OK"
}
all='yOZ - All Departments'
settings 00000001 00000001
drive alice seed 'Y:\' 'ALICE:1:Sales:' 'BOB:0:Support:' || fail "seeding the share"
drive alice send 'Y:\' BOB ALICE 'Hello' 'A message' || fail "sending a message"
cp "$share/yOZDB31.isd" "$out/users.isd"

# A user file of random bytes: the box names an open failure (nothing was created), the program ends
# and the file is left as it was.
head -c 20000 /dev/urandom >"$share/yOZDB31.isd"
cp "$share/yOZDB31.isd" "$out/random.isd"
start alice damaged
box_says damaged 'The following error occurred within yOZ - Unable to open dataset - '
ended damaged
grep -q 'after create' "$out/dialogs-damaged.log" && fail "damaged: told as a failure after a creation"
cmp -s "$share/yOZDB31.isd" "$out/random.isd" || fail "damaged: the user file was written"
cp "$out/users.isd" "$share/yOZDB31.isd"
echo "ok: a damaged user file is reported and the program ends"

# The messages pair copied over the departments: the box names the damaged set, the board comes up
# with all users, its caption and its timers (the shut-down marker closes it).
cp "$share/yOZMesg.ism" "$share/yOZDeps.ism"
cp "$share/yOZMesg.isd" "$share/yOZDeps.isd"
start alice foreign
box_says foreign 'Unable to read the departments - Corrupted dataset'
drive alice wait "$all" 20000 || fail "foreign: no board"
[ "$(drive alice board "$all" | cut -d'|' -f1 | sort | tr '\n' ' ')" = "ALICE BOB " ] || fail "foreign: the board is not whole"
import -window root "$out/foreign-board.png" 2>/dev/null || true
: >"$share/yOZDB31.smd"
ended foreign
rm -f "$share/yOZDB31.smd" "$share/yOZDeps.ism" "$share/yOZDeps.isd"
echo "ok: a foreign department file is reported and the board works"

# The message file cut in half while a message waits: the box names the damaged file, once, and the
# board comes up whole with its caption and runs on.
cp "$share/yOZMesg.isd" "$out/messages.isd"
drive alice send 'Y:\' ALICE BOB 'Waiting' 'A message for Alice' || fail "sending Alice a message"
truncate -s $(($(stat -c %s "$share/yOZMesg.isd") / 2)) "$share/yOZMesg.isd"
start alice cut
box_says cut 'The following error occurred within yOZ - Unable to read yOZ message database - '
drive alice wait "$all" 20000 || fail "cut: no board"
[ "$(drive alice board "$all" | wc -l)" -eq 2 ] || fail "cut: the board is not whole"
# A second box would come from the board's next looks at the message file: a pause of several turns
# of its one-second timer, in which none must show.
sleep 3
[ "$(grep -c 'message database' "$out/dialogs-cut.log")" -eq 1 ] || fail "cut: boxes shown: $(cat "$out/dialogs-cut.log")"
: >"$share/yOZDB31.smd"
ended cut
rm -f "$share/yOZDB31.smd"
cp "$out/messages.isd" "$share/yOZMesg.isd"
echo "ok: a message file cut in half is reported once and the board works"

# A login longer than the user record keeps: registered once under its first 20 characters, found at
# every start, and its status changes reach the file.
long=averyveryverylongloginname
cut=${long^^}
cut=${cut:0:20}
for run in 1 2; do
  start "$long" "long$run"
  drive "$long" wait "$all" 20000 || fail "long login: no board on start $run"
  drive "$long" board "$all" | grep -q "^$cut|Available|" || fail "long login: not on the board"
  drive "$long" key "$all" ctrl+L || fail "long login: Ctrl+L"
  until_shows '^At lunch\|' drive "$long" user 'Y:\' "$cut" || fail "long login: the status change failed"
  drive "$long" key "$all" ctrl+X || fail "long login: Ctrl+X"
  ended "long$run"
  [ -s "$out/dialogs-long$run.log" ] && fail "long login: boxes shown: $(cat "$out/dialogs-long$run.log")"
done
[ "$(drive alice dump 'Y:\' users | grep -c "^$cut$")" -eq 1 ] || fail "long login: registered more than once"
echo "ok: a long login is registered once and works"

# Timer periods no settings dialog gives: the board comes up whole, without a box.
settings ffffffff 004c4b40
start alice periods
drive alice wait "$all" 20000 || fail "periods: no board"
[ "$(drive alice board "$all" | wc -l)" -eq 3 ] || fail "periods: the board is not whole"
[ -s "$out/dialogs-periods.log" ] && fail "periods: boxes shown: $(cat "$out/dialogs-periods.log")"
import -window root "$out/periods-board.png" 2>/dev/null || true
drive alice key "$all" ctrl+X || fail "periods: Ctrl+X"
ended periods
echo "ok: odd timer periods leave a working board"

# A "yOZ.cfg" cut short by a write: the board starts.
settings 00000001 00000001
printf '\002' >"$share/yOZ.cfg"
head -c 32 /dev/zero >>"$share/yOZ.cfg"
printf '\001\001' >>"$share/yOZ.cfg"
start alice config
drive alice wait "$all" 20000 || fail "config: no board"
[ -s "$out/dialogs-config.log" ] && fail "config: boxes shown: $(cat "$out/dialogs-config.log")"
drive alice key "$all" ctrl+X || fail "config: Ctrl+X"
ended config
echo "ok: a cut-short yOZ.cfg does not stop the start"

# A share this user may only read (root's override of file permissions dropped, as a plain user has
# none; the machine's wineserver opens the files, so it runs without the override too): the failure
# to open yOZ.cfg, raised as the start ends, is on the screen and waits for OK; then the program ends.
chmod -R a-w "$share"
nodac=(setpriv --bounding-set -dac_override,-dac_read_search)
WINEPREFIX=$M wineserver -k
WINEPREFIX=$M wineserver -w
WINEPREFIX=$M "${nodac[@]}" wineserver -p
YOZ_DIALOG_LOG="$out/dialogs-readonly.log" WINEPREFIX=$M USER=alice \
  "${nodac[@]}" wine "$bin/yOZ.exe" >"$out/board-readonly.log" 2>&1 &
board_pid=$!
box_says readonly 'The following error occurred within yOZ - Unable to open yOZ.CFG file'
ended readonly
chmod -R u+w "$share"
echo "ok: a read-only share is reported on the screen and the program ends"
echo "faults at start: all steps passed"
