#!/usr/bin/env bash
# The real board on two machines sharing one folder: two copies of the test prefix, each with its own
# wineserver (machine 1: login ALICE, an administrator; machine 2: login BOB), the folder mapped as
# drive Y: on both. A driver on each machine presses keys and clicks as the person there would and reads
# the board; message boxes are answered through the dialog log. Screenshots land in
# <build>/app-twomachines/.
set -euo pipefail
build=$1
bin=$build/bin
out=$build/app-twomachines
share=$build/app-board-share
M1=$build/wineprefix-board-1
M2=$build/wineprefix-board-2
rm -rf "$out" "$share" "$M1" "$M2"
mkdir -p "$out" "$share"
for m in "$M1" "$M2"; do
  cp -a "$WINEPREFIX" "$m"
  ln -sfn "$share" "$m/dosdevices/y:"
  # Windows straight on the shared screen: a virtual desktop per machine would cover the other's.
  sed -i '/^\[Software\\\\Wine\\\\Explorer\]/,/^$/{/^"Desktop"=/d}' "$m/user.reg"
  WINEPREFIX=$m wineserver -p
done
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for m in "$M1" "$M2"; do WINEPREFIX=$m wineserver -k 2>/dev/null || true; done
  rm -rf "$M1" "$M2" "$share"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  import -window root "$out/failure.png" 2>/dev/null || true
  for f in "$out"/*.log; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done
  exit 1
}
on() {  # on <machine> <login> <program> [args...]
  local m=$1 login=$2
  shift 2
  WINEPREFIX=$m USER=$login wine "$@"
}
drive() {  # drive <machine> <login> <args...>
  local m=$1 login=$2
  shift 2
  on "$m" "$login" "$bin/yozdrive.exe" "$@" 2>>"$out/driver.log" | tr -d '\r'
  return "${PIPESTATUS[0]}"
}
# Waits until the command's output matches the pattern (grep -E), 15 seconds at most.
until_shows() {
  local pattern=$1
  shift
  local i
  for i in $(seq 75); do
    if "$@" | grep -Eq "$pattern"; then return 0; fi
    sleep 0.2
  done
  echo "last output of $*:"
  "$@" || true
  return 1
}
settings() {  # settings <machine> <width> <height> (the window is centred: two sizes keep both in sight)
  cat >"$out/settings.reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\QDSoftware\\yOZ]
"yOZDBasePath"="Y:\\\\"
"FirstTimeRun"=dword:00000000
"UpdateDisplayTime"=dword:00000001
"CheckForNewMsgEvery"=dword:00000001
"DetectScreenSaver"=dword:00000000
"ClearCommentOnSD"=dword:00000001
"ChangeStatusOnSD"=dword:00000001
"ShutDownStatus"="Offline"
"MainWidth"=dword:$(printf %08x "$2")
"MainHeight"=dword:$(printf %08x "$3")
"SplitterPos"=dword:00000064
EOF
  WINEPREFIX=$1 wine regedit /S "$(WINEPREFIX=$1 winepath -w "$out/settings.reg")" >/dev/null 2>&1
}
all='yOZ - All Departments'

settings "$M1" 560 460
settings "$M2" 860 300
# The shared folder as an administrator made it: three people, two departments, two comments.
drive "$M1" alice seed 'Y:\' 'ALICE:1:Sales:back at three' 'BOB:0:Support:in at nine' 'CAROL:0:Sales:' \
  || fail "seeding the shared folder"

YOZ_DIALOG_LOG="$out/dialogs-1.log" YOZ_DIALOG_ANSWERS=OK on "$M1" alice "$bin/yOZ.exe" >"$out/board-1.log" 2>&1 &
pids+=($!)
p1=$!
YOZ_DIALOG_LOG="$out/dialogs-2.log" YOZ_DIALOG_ANSWERS=OK on "$M2" bob "$bin/yOZ.exe" >"$out/board-2.log" 2>&1 &
pids+=($!)
p2=$!
drive "$M1" alice wait "$all" 30000 || fail "board 1 did not come up"
drive "$M2" bob wait "$all" 30000 || fail "board 2 did not come up"
echo "ok: both boards up"

# Each board shows the other user once his copy has registered him as available.
until_shows '^BOB\|Available\|' drive "$M1" alice board "$all" || fail "board 1 does not show BOB"
until_shows '^ALICE\|Available\|' drive "$M2" bob board "$all" || fail "board 2 does not show ALICE"

# Bob goes to lunch with Ctrl+L; Alice's board shows it after its timer ticks, with today's time.
drive "$M2" bob key "$all" ctrl+L || fail "pressing Ctrl+L on machine 2"
until_shows '^BOB\|At lunch\|Today [0-9]{1,2}:[0-9]{2}\|' drive "$M1" alice board "$all" \
  || fail "board 1 does not show BOB at lunch"
echo "ok: Ctrl+L on machine 2 reaches machine 1's board"

# Alice administers: with Bob's row selected, Ctrl+G sends Bob home and leaves her own status.
drive "$M1" alice click-row "$all" BOB || fail "clicking BOB's row"
drive "$M1" alice key "$all" ctrl+G || fail "pressing Ctrl+G on machine 1"
until_shows '^BOB\|Gone home\|' drive "$M2" bob board "$all" || fail "board 2 does not show BOB gone home"
[ "$(drive "$M1" alice user 'Y:\' ALICE | cut -d'|' -f1)" = "Available" ] || fail "ALICE's own status changed"
echo "ok: an administrator with a row selected changes that user only"

# Bob is no administrator: with Alice's row selected, Ctrl+D changes only himself.
drive "$M2" bob click-row "$all" ALICE || fail "clicking ALICE's row"
drive "$M2" bob key "$all" ctrl+D || fail "pressing Ctrl+D on machine 2"
until_shows '^BOB\|DND\|' drive "$M1" alice board "$all" || fail "board 1 does not show BOB in DND"
[ "$(drive "$M1" alice user 'Y:\' ALICE | cut -d'|' -f1)" = "Available" ] || fail "BOB changed ALICE"
echo "ok: a user who is not an administrator changes only himself"

# Alice writes Bob a message as a person does: a double click on his row opens Send Message...; she
# types the subject, Tab, two lines of text, and sends with Ctrl+S.
send_to_bob() {  # send_to_bob <subject> <text with \n>
  drive "$M1" alice dblclick-row "$all" BOB || fail "double-clicking BOB's row"
  drive "$M1" alice wait 'Send Message...' 5000 || fail "no Send Message... dialog"
  drive "$M1" alice type 'Send Message...' "$1\t$2" || fail "typing the message"
  drive "$M1" alice key 'Send Message...' ctrl+S || fail "Ctrl+S in the send dialog"
  drive "$M1" alice gone 'Send Message...' 5000 || fail "the send dialog stayed open"
}
announcements() { grep -c '^Information|OK|OK|You have a new yOZ message$' "$out/dialogs-2.log" 2>/dev/null || true; }
send_to_bob 'Lunch?' 'At noon\nin the canteen'
[ "$(drive "$M1" alice messages 'Y:\' BOB)" = '0000000001|New|ALICE|Lunch?|At noon\r\nin the canteen' ] \
  || fail "stored: $(drive "$M1" alice messages 'Y:\' BOB)"
# Bob's board announces it at its next look at the message file.
for i in $(seq 50); do [ "$(announcements)" = 1 ] && break; sleep 0.2; done
[ "$(announcements)" = 1 ] || fail "no announcement on machine 2"
grep -q 'new yOZ message' "$out/dialogs-1.log" 2>/dev/null && fail "machine 1 announced Bob's message"
echo "ok: a message typed into Send Message... is announced on the receiver's board only"

# The department tree filters Alice's board and captions her window.
drive "$M1" alice click-tree "$all" Sales || fail "clicking Sales"
drive "$M1" alice wait 'yOZ - Filtered on Sales' 5000 || fail "no Sales caption"
rows=$(drive "$M1" alice board 'yOZ - Filtered on Sales' | cut -d'|' -f1 | sort | tr '\n' ' ')
[ "$rows" = "ALICE CAROL " ] || fail "Sales shows: $rows"
import -window root "$out/boards-filtered.png" 2>/dev/null || true
drive "$M1" alice click-tree 'yOZ - Filtered on Sales' Departments || fail "clicking Departments"
drive "$M1" alice wait "$all" 5000 || fail "no All Departments caption"
[ "$(drive "$M1" alice board "$all" | wc -l)" -eq 3 ] || fail "the filter stayed on"
echo "ok: the department tree filters and captions the window"

# A second copy on machine 2 says so and ends.
YOZ_DIALOG_LOG="$out/second-copy.log" YOZ_DIALOG_ANSWERS=OK on "$M2" bob "$bin/yOZ.exe" >"$out/second.log" 2>&1 &
p3=$!
pids+=($p3)
for i in $(seq 100); do kill -0 "$p3" 2>/dev/null || break; sleep 0.2; done
kill -0 "$p3" 2>/dev/null && fail "the second copy is still running"
grep -q '^Information|OK|OK|yOZ is already running!$' "$out/second-copy.log" || fail "no 'already running' box"
kill -0 "$p2" 2>/dev/null || fail "the first copy on machine 2 ended too"
echo "ok: a second copy on one machine says yOZ is already running"

import -window root "$out/boards.png" 2>/dev/null || true

# Bob's close box puts his board in the tray: the window goes, the program stays.
drive "$M2" bob close-box "$all" || fail "close box"
drive "$M2" bob gone "$all" 5000 || fail "the window stayed after the close box"
sleep 1
kill -0 "$p2" 2>/dev/null || fail "the close box ended the program"
echo "ok: the close box keeps the board running in the tray"

# The shut-down marker closes every copy with the closing work done.
: >"$share/yOZDB31.smd"
for i in $(seq 100); do
  kill -0 "$p1" 2>/dev/null || kill -0 "$p2" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$p1" 2>/dev/null && fail "board 1 still runs after the shut-down marker"
kill -0 "$p2" 2>/dev/null && fail "board 2 still runs after the shut-down marker"
rm -f "$share/yOZDB31.smd"
[ "$(drive "$M1" alice user 'Y:\' ALICE)" = "Offline||1" ] || fail "ALICE after shut-down: $(drive "$M1" alice user 'Y:\' ALICE)"
[ "$(drive "$M1" alice user 'Y:\' BOB)" = "Offline||0" ] || fail "BOB after shut-down: $(drive "$M1" alice user 'Y:\' BOB)"
[ "$(drive "$M1" alice user 'Y:\' CAROL)" = "Available||0" ] || fail "CAROL was touched"
echo "ok: the shut-down marker closes every copy, with the shut-down status and cleared comments"

# Bob starts his board again: the waiting message opens in Read Message... at once.
YOZ_DIALOG_LOG="$out/dialogs-3.log" YOZ_DIALOG_ANSWERS=OK on "$M2" bob "$bin/yOZ.exe" >"$out/board-3.log" 2>&1 &
p4=$!
pids+=($p4)
drive "$M2" bob wait 'Read Message...' 30000 || fail "the waiting message did not open"
[ "$(drive "$M2" bob text 'Read Message...' TEdit)" = "Lunch?" ] || fail "read dialog subject"
[ "$(drive "$M2" bob text 'Read Message...' TMemo)" = 'At noon\r\nin the canteen' ] || fail "read dialog text"
import -window root "$out/read-dialog.png" 2>/dev/null || true
drive "$M2" bob close-box 'Read Message...' || fail "closing the read dialog"
drive "$M2" bob gone 'Read Message...' 5000 || fail "the read dialog stayed open"
[ "$(drive "$M1" alice messages 'Y:\' BOB | cut -d'|' -f2)" = "Old" ] || fail "closing did not mark it read"
: >"$share/yOZDB31.smd"
for i in $(seq 100); do kill -0 "$p4" 2>/dev/null || break; sleep 0.2; done
kill -0 "$p4" 2>/dev/null && fail "board 2 still runs after the shut-down marker"
rm -f "$share/yOZDB31.smd"
echo "ok: a message waiting at start opens in the read dialog, and closing it marks it read"
echo "two machines: all steps passed"
