#!/usr/bin/env bash
# The real board as a person meets it after a dialog: the keyboard is back on the board once a modal
# dialog closes (shortcuts, Alt menus, F1); a dialog whose data set cannot be read shows the error once
# and opens again once the file is back, and the board keeps following other copies' writes; the
# board's window maximised keeps its menu row and status bar whole. One machine (a copy of the test
# prefix, with its virtual desktop) with the share mapped as Y:. Screenshots land in
# <build>/app-dialogsandkeys/.
set -euo pipefail
build=$1
tag=dialogsandkeys
source "$(dirname "$0")/onemachine.sh"
quiet_share
drive bob send 'Y:\' BOB ALICE 'Hello' 'A message to Bob' || fail "a message in the share"
start_board
alice wait "$all" 30000 || fail "no board"
status_is() { until_shows "^$1\|" alice user 'Y:\' ALICE; }

# After each modal dialog closes, the board holds the keyboard again by itself: a shortcut pressed on
# the keyboard (sent to whatever has it) changes the status.
keys_back() {  # keys_back <what> <letter> <status>
  alice held "$all" 20000 || fail "$1: the board does not get the keyboard back"
  alice menu-key "ctrl+$2" || fail "$1: Ctrl+$2"
  status_is "$3" || fail "$1: Ctrl+$2 did not reach the board"
}
alice key "$all" ctrl+A || fail "Ctrl+A"
status_is Available || fail "the first shortcut"

# About: Alt+H opens the Help menu, Enter its first row; OK closes the box.
alice menu-key alt+H && alice menu-key RETURN || fail "About from the Help menu"
alice wait About 20000 || fail "no about box"
shot about
alice click-button About '&Ok' && alice gone About 20000 || fail "About's OK"
keys_back "About" L "At lunch"
# An Alt menu opens from the keyboard too: Alt+S, down to Available, Enter.
alice menu-key alt+S && alice menu-key DOWN && alice menu-key RETURN || fail "the Status menu"
status_is Available || fail "the Status menu after About"
echo "ok: after About the keyboard is back: shortcuts and Alt menus"

# The custom-status picker: a click on a status chooses it.
alice menu-key ctrl+C || fail "Ctrl+C"
alice wait 'Please select status' 20000 || fail "no status picker"
alice click-entry 'Please select status' 'DND' && alice gone 'Please select status' 20000 || fail "picking DND"
status_is DND || fail "the picked status"
keys_back "the status picker" W "Away from desk"
echo "ok: after the custom-status picker the keyboard is back"

# The pickers by keys: a key moves through the list without choosing; Enter chooses.
alice menu-key ctrl+C && alice wait 'Please select status' 20000 || fail "no status picker"
alice menu-key O && alice menu-key DOWN || fail "moving in the status picker"
alice wait 'Please select status' 1000 || fail "a key chose in the status picker"
alice menu-key RETURN && alice gone 'Please select status' 20000 || fail "Enter in the status picker"
status_is 'On holiday' || fail "the status chosen by keys"
alice menu-key alt+L && alice menu-key RETURN && alice wait 'Please select Department' 20000 || fail "no department picker"
alice menu-key S && alice menu-key DOWN || fail "moving in the department picker"
alice wait 'Please select Department' 1000 || fail "a key chose in the department picker"
alice menu-key RETURN && alice wait 'yOZ - Filtered on Support' 20000 || fail "Enter in the department picker"
alice menu-key alt+L && alice menu-key RETURN && alice wait 'Please select Department' 20000 || fail "no department picker"
alice click-button 'Please select Department' '&Close' && alice wait "$all" 20000 || fail "closing the department picker"
echo "ok: the pickers move by keys and choose with Enter"

# Settings: a change typed, then the font colour list dropped: Esc closes the list and puts back the
# colour chosen before, Enter keeps the new one; only then does the closed combo let Esc and Enter
# reach the dialog's buttons.
alice menu-key ctrl+S && alice wait Settings 20000 || fail "no settings dialog"
alice click-edit Settings 2 && alice key Settings END && alice key Settings BACK*10 && alice type Settings 4321 \
  || fail "typing the extension"
colour=$(alice combo Settings 2 | cut -d'|' -f2)
alice drop Settings 2 && alice menu-key DOWN && alice menu-key ESC || fail "Esc on the dropped colour list"
until_shows "^closed\|$colour\$" alice combo Settings 2 || fail "Esc on the dropped colour list: $(alice combo Settings 2)"
alice drop Settings 2 && alice menu-key DOWN && alice menu-key RETURN || fail "Enter on the dropped colour list"
until_shows "^closed\|$((colour + 1))\$" alice combo Settings 2 || fail "Enter on the dropped colour list"
[ "$(alice record 'Y:\' ALICE | cut -d'|' -f3)" = "" ] || fail "Enter on the dropped list saved the dialog"
alice menu-key RETURN && alice gone Settings 20000 || fail "Enter on the closed combo does not reach OK"
[ "$(alice record 'Y:\' ALICE | cut -d'|' -f3)" = 4321 ] || fail "the typed extension: $(alice record 'Y:\' ALICE)"
keys_back "Settings after the colour list" A Available
echo "ok: a dropped combo list takes Enter and Esc; a closed one passes them to the dialog"

# Settings: OK.
alice menu-key ctrl+S || fail "Ctrl+S"
alice wait Settings 20000 || fail "no settings dialog"
alice click-button Settings '&Ok' && alice gone Settings 20000 || fail "Settings' OK"
keys_back "Settings" G "Gone home"
echo "ok: after the settings dialog the keyboard is back"

# The inbox, from the View menu, closed by its close box.
alice menu-key alt+V && alice menu-key RETURN || fail "the inbox from the View menu"
alice wait 'Message InBox' 20000 || fail "no inbox"
alice click-close 'Message InBox' && alice gone 'Message InBox' 20000 || fail "closing the inbox"
keys_back "the inbox" M "In meeting"
# F1 opens the help viewer.
alice menu-key F1 || fail "F1"
alice wait 'Wine Help' 15000 || fail "F1 after the inbox opened no help"
alice click-close 'Wine Help' && alice gone 'Wine Help' 20000 || fail "closing the help viewer"
echo "ok: after the inbox the keyboard is back: shortcuts and F1"

# A dialog opened while its data set cannot be read: the error once, pressed; the dialog opens again
# once the file is back; the board still follows another copy's writes.
no_box() { [ "$(alice shown '#32770')" = 0 ]; }
error_once() {  # error_once <what>: one error box, pressed, and no second one
  local text
  text=$(alice box Information 10000) || fail "$1: no error box"
  [[ "$text" == "The following error occurred within yOZ - "* ]] || fail "$1: the box says \"$text\""
  shot "$1-error"
  alice press Information OK || fail "$1: pressing OK"
  until_true no_box || fail "$1: the box stays after OK"
  # A second box would come from the board's next tries: a pause of several turns of its one-second
  # timers, in which nothing must show.
  sleep 3
  [ "$(alice shown '#32770')" = 0 ] || fail "$1: a second box: $(alice box Information 1000)"
}
follows() {  # follows <what> <status>: BOB's change made by another copy reaches the board
  drive bob set-status 'Y:\' "$2" || fail "$1: BOB's change"
  until_shows "^BOB\|$2\|" alice board "$all" || fail "$1: the board does not follow BOB's change"
}
cp "$share/yOZDeps.isd" "$out/deps.isd"
head -c 8192 /dev/urandom >"$share/yOZDeps.isd"
alice click-bar "$all" 4 42 13 || fail "the Departments button"
error_once departments
cp "$out/deps.isd" "$share/yOZDeps.isd"
alice click-bar "$all" 4 42 13 || fail "the Departments button again"
alice wait 'Administer Departments' 20000 || fail "the departments dialog does not open again"
alice click-button 'Administer Departments' '&Close' && alice gone 'Administer Departments' 20000 \
  || fail "closing the departments dialog"
follows departments "In meeting"
echo "ok: an unreadable department list is told once and the dialog opens once it is back"

cp "$share/yOZMesg.isd" "$out/messages.isd"
head -c 8192 /dev/urandom >"$share/yOZMesg.isd"
alice key "$all" alt+V && alice menu-key RETURN || fail "the inbox from the View menu"
error_once inbox
follows inbox "Gone home"
cp "$out/messages.isd" "$share/yOZMesg.isd"
alice key "$all" alt+V && alice menu-key RETURN || fail "the inbox again"
alice wait 'Message InBox' 20000 || fail "the inbox does not open again"
alice click-close 'Message InBox' && alice gone 'Message InBox' 20000 || fail "closing the inbox"
follows "closed inbox" "At lunch"
echo "ok: an unreadable message file is told once, the board's timers keep running, the inbox opens once it is back"

# The board maximised: the main menu bar's row, its frame included, runs to the window's right end,
# and the status bar's size grip leaves its old place in the middle.
IFS=, read -r _ _ sbw _ <<<"$(alice rect "$all" TStatusBar)"
alice dblclick-caption "$all" || fail "maximising the board"
until_shows '^0,0,1[0-9]{3},' alice bars "$all" || fail "the menu row does not follow the window"
alice painted "$all" || fail "the maximised board is not painted"
# What the faults leave stays on the screen: each look is repeated until the screen shows it whole.
frame_whole() {
  local barw barh dockx docky
  IFS=, read -r _ _ barw barh <<<"$(alice bars "$all" | head -1)"
  IFS=, read -r dockx docky _ _ <<<"$(alice rect "$all" TdxDockControl)"
  left=$(alice pixel "$all" $((dockx + 3)) $((docky + barh - 1)))
  right=$(alice pixel "$all" $((dockx + barw - 3)) $((docky + barh - 1)))
  [ "$left" = "$right" ]
}
grip_gone() {
  local sbtop sbh
  IFS=, read -r _ sbtop _ sbh <<<"$(alice rect "$all" TStatusBar)"
  marks=$(alice marks "$all" $((sbw - 16)) $((sbtop + 3)) 16 $((sbh - 6)))
  [ "$marks" = 0 ]
}
until_true frame_whole || fail "the menu row's frame ends short of the right end ($left at the left, $right at the right)"
until_true grip_gone || fail "the status bar keeps a mark where its right end was ($marks pixels)"
shot maximised
alice dblclick-caption "$all" || fail "restoring the board"
until_shows '^0,0,[0-9]{3},' alice bars "$all" || fail "the menu row does not follow the restored window"
echo "ok: the board maximised keeps its menu row and status bar whole"
echo "dialogs and keys: all steps passed"
