#!/usr/bin/env bash
# The real board on two machines sharing one folder: two copies of the test prefix, each with its own
# wineserver (machine 1: login ALICE, an administrator; machine 2: login BOB), the folder mapped as
# drive Y: on both. A driver on each machine presses keys and clicks as the person there would and reads
# the board; message boxes are answered through the dialog log. Screenshots land in
# <build>/app-twomachines/.
set -euo pipefail
build=$1
tag=twomachines
source "$(dirname "$0")/machines.sh"

extra=('"ClearCommentOnSD"=dword:00000001' '"ChangeStatusOnSD"=dword:00000001' '"ShutDownStatus"="Offline"'
       '"SplitterPos"=dword:00000064')
settings "$M1" 560 460 "${extra[@]}"
settings "$M2" 860 300 "${extra[@]}"
# The shared folder as an administrator made it: three people, two departments, two comments.
drive "$M1" alice seed 'Y:\' 'ALICE:1:Sales:back at three' 'BOB:0:Support:in at nine' 'CAROL:0:Sales:' \
  || fail "seeding the shared folder"

# redrawn_behind <machine 1|2> <dialog class> <name>: another program's window covers the whole
# screen for a moment and goes, as a screen saver or a window dragged across does: the board behind
# the open dialog draws its rows and command bars again as they were (the dialog's own area left out,
# its caret blinks). Pictures in <name>-before.png and <name>-after.png.
redrawn_behind() {
  local who=alice bx by bw bh dx dy dw dh i ae= cover size
  [ "$1" = 2 ] && who=bob
  local board dialog
  board=$($who client-rect TfrmMain) || fail "no board on machine $1"
  dialog=$($who client-rect "$2") || fail "no $2 on machine $1"
  IFS=, read -r bx by bw bh <<<"$board"
  IFS=, read -r dx dy dw dh <<<"$dialog"
  board_of() {  # the board's area of a screenshot, the dialog's area black
    import -window root "$out/$1.png" 2>/dev/null
    convert "$out/$1.png" -fill black -draw "rectangle $dx,$dy,$((dx + dw - 1)),$((dy + dh - 1))" \
      -crop "${bw}x${bh}+$bx+$by" +repage "$out/$1-board.png"
  }
  same() { [ "$(compare -metric AE "$out/$1-board.png" "$out/$2-board.png" null: 2>&1)" = 0 ]; }
  # The board settled first: two pictures half a second apart agree.
  board_of "$3-before"
  for i in $(seq 40); do
    sleep 0.5
    board_of "$3-check"
    same "$3-before" "$3-check" && break
    cp "$out/$3-check-board.png" "$out/$3-before-board.png"
  done
  [ "$(convert "$out/$3-before-board.png" -format %k info:)" -gt 16 ] || fail "the board behind the dialog ($3) is blank"
  size=$(xdpyinfo | awk '/dimensions:/ {print $2}')
  xmessage -geometry "$size+0+0" "covering the boards" &
  cover=$!
  for i in $(seq 100); do xwininfo -name xmessage 2>/dev/null | grep -q IsViewable && break; sleep 0.1; done
  xwininfo -name xmessage 2>/dev/null | grep -q IsViewable || fail "the covering window did not show"
  kill "$cover"; wait "$cover" 2>/dev/null || true
  for i in $(seq 50); do
    board_of "$3-after"
    same "$3-before" "$3-after" && return 0
    sleep 0.2
  done
  ae=$(compare -metric AE "$out/$3-before-board.png" "$out/$3-after-board.png" null: 2>&1) || true
  fail "the board behind the dialog ($3) is not drawn again after being covered ($ae pixels differ)"
}

start_board 1 1 OK
p1=$board_pid
# Bob answers the new-message box with OK and the first delete question with No, the second with Yes.
start_board 2 2 OK,No,Yes
p2=$board_pid
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

# Alice selects Bob's row; Bob's own change refills her board; her Ctrl+M still goes to the row she
# chose, and her own status stays.
drive "$M1" alice click-row "$all" BOB || fail "clicking BOB's row again"
drive "$M2" bob key "$all" ctrl+A || fail "pressing Ctrl+A on machine 2"
until_shows '^BOB\|Available\|' drive "$M1" alice board "$all" || fail "board 1 does not show BOB available"
drive "$M1" alice key "$all" ctrl+M || fail "pressing Ctrl+M on machine 1"
until_shows '^BOB\|In meeting\|' drive "$M2" bob board "$all" || fail "board 2 does not show BOB in a meeting"
[ "$(drive "$M1" alice user 'Y:\' ALICE | cut -d'|' -f1)" = "Available" ] || fail "ALICE's status changed after a refill"
echo "ok: a refill keeps the selected row, so a status command still goes to it"

# Behind an open Send Message... the board keeps drawing itself when it is covered and uncovered.
drive "$M1" alice dblclick-row "$all" BOB || fail "double-clicking BOB's row"
drive "$M1" alice wait 'Send Message...' 20000 || fail "no Send Message... dialog"
redrawn_behind 1 TfrmyOZMessages send-behind
drive "$M1" alice close-box 'Send Message...' || fail "closing the send dialog"
drive "$M1" alice gone 'Send Message...' 20000 || fail "the send dialog stayed open"
echo "ok: the board behind Send Message... is drawn again after being covered"

# Alice writes Bob a message as a person does: a double click on his row opens Send Message...; she
# types the subject, Tab, two lines of text, and sends with Ctrl+S.
send_to_bob() {  # send_to_bob <subject> <text with \n>
  drive "$M1" alice dblclick-row "$all" BOB || fail "double-clicking BOB's row"
  drive "$M1" alice wait 'Send Message...' 20000 || fail "no Send Message... dialog"
  drive "$M1" alice type 'Send Message...' "$1\t$2" || fail "typing the message"
  drive "$M1" alice key 'Send Message...' ctrl+S || fail "Ctrl+S in the send dialog"
  drive "$M1" alice gone 'Send Message...' 20000 || fail "the send dialog stayed open"
}
announcements() { grep -c '^Information|OK|OK|You have a new yOZ message$' "$out/dialogs-2.log" 2>/dev/null || true; }
send_to_bob 'Lunch?' 'At noon\nin the canteen'
[ "$(drive "$M1" alice messages 'Y:\' BOB)" = '0000000001|New|ALICE|Lunch?|At noon\r\nin the canteen' ] \
  || fail "stored: $(drive "$M1" alice messages 'Y:\' BOB)"
# Bob's board announces it at its next look at the message file.
announced() { [ "$(announcements)" = "$1" ]; }
until_true announced 1 || fail "no announcement on machine 2"
grep -q 'new yOZ message' "$out/dialogs-1.log" 2>/dev/null && fail "machine 1 announced Bob's message"
echo "ok: a message typed into Send Message... is announced on the receiver's board only"

# Bob opens View > My InBox: Alice's message is there, "New", with its subject and the counts.
drive "$M2" bob key "$all" alt+V || fail "Alt+V"
drive "$M2" bob key "$all" I || fail "I in the View menu"
drive "$M2" bob wait 'Message InBox' 20000 || fail "no inbox"
until_shows '^ALICE\|Lunch\?\|New\|0000000001\|' drive "$M2" bob board 'Message InBox' || fail "the inbox lacks the message"
[ "$(drive "$M2" bob status 'Message InBox')" = "New messages = 1|Old messages = 0|Total messages = 1" ] \
  || fail "inbox counts: $(drive "$M2" bob status 'Message InBox')"
# He clicks it: the text shows in the lower pane and the message is read.
drive "$M2" bob click-item 'Message InBox' 1 'Lunch?' || fail "clicking the message"
until_shows '^At noon\\r\\nin the canteen$' drive "$M2" bob text 'Message InBox' TMemo || fail "no text in the lower pane"
[ "$(drive "$M1" alice messages 'Y:\' BOB | cut -d'|' -f2)" = "Old" ] || fail "the message is still new"
drive "$M2" bob board 'Message InBox' | grep -q '^ALICE|Lunch?|New|' || fail "the row changed before a refill"
import -window root "$out/inbox.png" 2>/dev/null || true
echo "ok: the inbox shows the message and clicking it reads it"
redrawn_behind 2 TfrmyOZMessageInBox inbox-behind
echo "ok: the board behind the inbox is drawn again after being covered"

# Delete (the bar's first button), answered No: kept; again, answered Yes: gone, and the counts follow.
drive "$M2" bob click-bar 'Message InBox' 1 30 12 || fail "clicking Delete"
asked() { [ "$(grep -c '|Are you sure you want to delete the selected message?$' "$out/dialogs-2.log")" = "$1" ]; }
until_true asked 1 || fail "Delete asked no question"
[ "$(drive "$M2" bob board 'Message InBox' | wc -l)" -eq 1 ] || fail "No deleted the message"
drive "$M2" bob click-item 'Message InBox' 1 'Lunch?' || fail "selecting the message again"
drive "$M2" bob click-bar 'Message InBox' 1 30 12 || fail "clicking Delete again"
until_shows '^New messages = 0\|Old messages = 0\|Total messages = 0$' drive "$M2" bob status 'Message InBox' \
  || fail "the counts after deleting"
[ -z "$(drive "$M2" bob board 'Message InBox')" ] || fail "the deleted message is still listed"
[ -z "$(drive "$M1" alice messages 'Y:\' BOB)" ] || fail "the message is still stored"
[ "$(grep -c '^Information|Yes,No|[A-Za-z]*|Are you sure you want to delete the selected message?$' "$out/dialogs-2.log")" = 2 ] \
  || fail "the delete question was not asked twice"
# File > Exit closes the inbox; the message timer runs again, so the next message is announced.
drive "$M2" bob key 'Message InBox' alt+F || fail "Alt+F in the inbox"
drive "$M2" bob key 'Message InBox' return || fail "Return on Exit"
drive "$M2" bob gone 'Message InBox' 20000 || fail "the inbox stayed open"
send_to_bob 'Later' 'Coffee at four?'
until_true announced 2 || fail "the second message was not announced"
echo "ok: deleting asks first; closing the inbox lets the next message be announced"

# The department tree filters Alice's board and captions her window.
drive "$M1" alice click-tree "$all" Sales || fail "clicking Sales"
drive "$M1" alice wait 'yOZ - Filtered on Sales' 20000 || fail "no Sales caption"
rows=$(drive "$M1" alice board 'yOZ - Filtered on Sales' | cut -d'|' -f1 | sort | tr '\n' ' ')
[ "$rows" = "ALICE CAROL " ] || fail "Sales shows: $rows"
import -window root "$out/boards-filtered.png" 2>/dev/null || true
drive "$M1" alice click-tree 'yOZ - Filtered on Sales' Departments || fail "clicking Departments"
drive "$M1" alice wait "$all" 20000 || fail "no All Departments caption"
[ "$(drive "$M1" alice board "$all" | wc -l)" -eq 3 ] || fail "the filter stayed on"
echo "ok: the department tree filters and captions the window"

# A second copy on machine 2 says so and ends.
YOZ_DIALOG_LOG="$out/second-copy.log" YOZ_DIALOG_ANSWERS=OK on "$M2" bob "$bin/yOZ.exe" >"$out/second.log" 2>&1 &
p3=$!
pids+=($p3)
until_ended "$p3" || fail "the second copy is still running"
grep -q '^Information|OK|OK|yOZ is already running!$' "$out/second-copy.log" || fail "no 'already running' box"
kill -0 "$p2" 2>/dev/null || fail "the first copy on machine 2 ended too"
echo "ok: a second copy on one machine says yOZ is already running"

import -window root "$out/boards.png" 2>/dev/null || true

# Bob's close box puts his board in the tray: the window goes, the program stays.
drive "$M2" bob close-box "$all" || fail "close box"
drive "$M2" bob gone "$all" 20000 || fail "the window stayed after the close box"
# The program must stay: a pause in which it goes on running.
sleep 3
kill -0 "$p2" 2>/dev/null || fail "the close box ended the program"
echo "ok: the close box keeps the board running in the tray"

# The shut-down marker closes every copy with the closing work done.
: >"$share/yOZDB31.smd"
until_ended "$p1" && until_ended "$p2" || true
kill -0 "$p1" 2>/dev/null && fail "board 1 still runs after the shut-down marker"
kill -0 "$p2" 2>/dev/null && fail "board 2 still runs after the shut-down marker"
rm -f "$share/yOZDB31.smd"
[ "$(drive "$M1" alice user 'Y:\' ALICE)" = "Offline||1" ] || fail "ALICE after shut-down: $(drive "$M1" alice user 'Y:\' ALICE)"
[ "$(drive "$M1" alice user 'Y:\' BOB)" = "Offline||0" ] || fail "BOB after shut-down: $(drive "$M1" alice user 'Y:\' BOB)"
[ "$(drive "$M1" alice user 'Y:\' CAROL)" = "Available||0" ] || fail "CAROL was touched"
echo "ok: the shut-down marker closes every copy, with the shut-down status and cleared comments"

# Bob starts his board again: the waiting message opens in Read Message... at once.
start_board 2 3 OK
p4=$board_pid
drive "$M2" bob wait 'Read Message...' 30000 || fail "the waiting message did not open"
[ "$(drive "$M2" bob text 'Read Message...' TEdit)" = "Later" ] || fail "read dialog subject"
[ "$(drive "$M2" bob text 'Read Message...' TMemo)" = "Coffee at four?" ] || fail "read dialog text"
import -window root "$out/read-dialog.png" 2>/dev/null || true
redrawn_behind 2 TfrmyOZMessages read-behind
echo "ok: the board behind a waiting Read Message... is drawn again after being covered"
drive "$M2" bob close-box 'Read Message...' || fail "closing the read dialog"
drive "$M2" bob gone 'Read Message...' 20000 || fail "the read dialog stayed open"
[ "$(drive "$M1" alice messages 'Y:\' BOB | cut -d'|' -f2)" = "Old" ] || fail "closing did not mark it read"
drive "$M2" bob wait "$all" 10000 || fail "the board has no caption after the waiting message"
: >"$share/yOZDB31.smd"
until_ended "$p4" || fail "board 2 still runs after the shut-down marker"
rm -f "$share/yOZDB31.smd"
echo "ok: a message waiting at start opens in the read dialog, closing it marks it read, the board has its caption"
echo "two machines: all steps passed"
