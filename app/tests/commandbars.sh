#!/usr/bin/env bash
# The board's command bars on two machines sharing one folder: machine 1 is ALICE, an administrator,
# machine 2 is BOB, a plain user. Bob reaches every status through the "Toolbar" bar, the "&Status"
# menu, the board's popup menu and the tray icon's menu, and Alice's board shows each; the
# administration buttons do nothing for Bob; the message windows' bars stay and work.
# Screenshots land in <build>/app-commandbars/.
set -euo pipefail
build=$1
tag=commandbars
source "$(dirname "$0")/machines.sh"

settings "$M1" 560 460
settings "$M2" 860 300 '"AutoComment"=dword:00000000'
alice seed 'Y:\' 'ALICE:1:Sales:' 'BOB:0:Support:' || fail "seeding"
start_board 1 1 OK
start_board 2 2 OK
boards_up
until_shows '^ALICE\|Available\|' bob board "$all" || fail "board 2 does not show ALICE"

# The four bars in the top dock site: the main menu bar alone on the first row, then Statuses at 0,
# Misc at 246 and Administrators at 371 on the second.
places=$(bob bars "$all" | tr '\n' ' ')
[[ "$places" =~ ^0,0,[0-9]+,23\ 0,23,246,26\ 246,23,125,26\ 371,23,79,26\ $ ]] || fail "bar places: $places"
echo "ok: the main menu bar and three toolbars in their rows and places"

# Every button of the "Toolbar" bar: 23 pixels each after the 8-pixel grip, Custom Status... after a
# 6-pixel group gap.
statuses=("At lunch" "Available" "Away from desk" "DND" "Gone home" "In meeting" "On vacation" "Out of office"
          "Off sick")
shows() {  # shows <status> <how>: Alice's board shows Bob with that status
  until_shows "^BOB\|$1\|" alice board "$all" || fail "$2: board 1 does not show BOB $1"
}
picker() {  # picker <how>: Custom Status... opened the status picker; Close it
  bob wait 'Please select status' 20000 || fail "$1: no status picker"
  bob click-button 'Please select status' '&Close' && bob gone 'Please select status' 20000 || fail "$1: closing the picker"
  # Without a window manager the board's thread waits (up to 2 s) for the hidden picker to be
  # withdrawn, then drops the foreground to the desktop as it reads what the display said meanwhile;
  # keys sent to a menu opened before that would go nowhere. Once the thread answers, both are done,
  # and the next step makes the board foreground again.
  bob answers "$all" 20000 || fail "$1: the board does not answer after the picker"
}
for i in "${!statuses[@]}"; do
  bob click-bar "$all" 2 $((19 + 23 * i)) 13 || fail "clicking toolbar button $i"
  shows "${statuses[$i]}" "toolbar button $((i + 1))"
done
bob click-bar "$all" 2 $((19 + 23 * 9 + 6)) 13 || fail "clicking Custom Status..."
picker "toolbar"
echo "ok: every status button of the toolbar reaches the other board"

# The "&Status" menu: Alt+S opens it with its first item selected, the arrow keys walk it, Enter chooses.
for i in "${!statuses[@]}"; do
  bob key "$all" alt+S || fail "Alt+S"
  if [ "$i" -gt 0 ]; then bob menu-key "DOWN*$i" || fail "walking the Status menu"; fi
  bob menu-key RETURN || fail "Enter in the Status menu"
  shows "${statuses[$i]}" "Status menu item $((i + 1))"
done
bob key "$all" alt+S && bob menu-key DOWN*9 && bob menu-key RETURN || fail "Custom Status... from the menu"
picker "Status menu"
echo "ok: every status of the Status menu reaches the other board"

# The board's popup menu (a right click below the rows) and the tray icon's menu list the ten status
# commands first.
for route in popup tray; do
  for i in "${!statuses[@]}"; do
    if [ $route = popup ]; then bob right-click-in "$all" TListView 300 150; else bob tray-menu "$all"; fi \
      || fail "opening the $route menu"
    bob menu-key "DOWN*$((i + 1))" && bob menu-key RETURN || fail "walking the $route menu"
    shows "${statuses[$i]}" "$route menu item $((i + 1))"
  done
  if [ $route = popup ]; then bob right-click-in "$all" TListView 300 150; else bob tray-menu "$all"; fi
  bob menu-key DOWN*10 && bob menu-key RETURN || fail "Custom Status... from the $route menu"
  picker "$route menu"
done
echo "ok: every status of the popup and tray menus reaches the other board"

# The administration buttons: Alice's open the dialog; Bob's are disabled and a click does nothing.
alice click-bar "$all" 4 19 13 && alice wait 'Administer Users' 20000 || fail "Alice's Users button"
alice click-button 'Administer Users' '&Close' && alice gone 'Administer Users' 20000 || fail "closing Users"
shot bars-main
for x in 19 42 65; do bob click-bar "$all" 4 $x 13 || fail "clicking administration button at $x"; done
# Nothing must open: a pause in which a dialog would have shown.
sleep 3
for w in 'Administer Users' 'Administer Departments' 'Administer Statuses'; do
  bob wait "$w" 1 2>/dev/null && fail "Bob opened $w"
done
echo "ok: the administration buttons are disabled for a user who is not an administrator"

# A menu open: the View menu, for the screenshot.
alice key "$all" alt+V || fail "Alt+V"
shot bars-menu
alice menu-key ESC && alice menu-key ESC

# The message windows: a right click leaves their one bar in place (it cannot be closed), and its
# buttons work.
alice dblclick-row "$all" BOB || fail "double-clicking BOB's row"
alice wait 'Send Message...' 20000 || fail "no Send Message... dialog"
alice right-click-bar 'Send Message...' 1 120 10 || fail "right click on the send dialog's bar"
shot send-dialog-right-click
alice menu-key ESC
[ "$(alice bars 'Send Message...' | wc -l)" = 1 ] || fail "the send dialog's bar: $(alice bars 'Send Message...')"
alice type 'Send Message...' 'Bars\tSent with the bar' || fail "typing the message"
alice click-bar 'Send Message...' 1 30 12 || fail "clicking Send"
alice gone 'Send Message...' 20000 || fail "the bar's Send did not send"
[ "$(alice messages 'Y:\' BOB | cut -d'|' -f4)" = Bars ] || fail "stored: $(alice messages 'Y:\' BOB)"
until_true grep -q 'new yOZ message' "$out/dialogs-2.log" || fail "no announcement on machine 2"
bob key "$all" alt+V && bob menu-key I || fail "View > My InBox"
bob wait 'Message InBox' 20000 || fail "no inbox"
bob right-click-bar 'Message InBox' 1 150 10 || fail "right click on the inbox's bar"
shot inbox-right-click
bob menu-key ESC
[ "$(bob bars 'Message InBox' | wc -l)" = 1 ] || fail "the inbox's bar: $(bob bars 'Message InBox')"
bob click-bar 'Message InBox' 1 100 12 || fail "clicking Exit"
bob gone 'Message InBox' 20000 || fail "the bar's Exit did not close the inbox"
echo "ok: the message windows' bars stay after a right click, and their buttons work"
echo "command bars: all steps passed"
