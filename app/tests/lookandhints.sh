#!/usr/bin/env bash
# The real board as a person sees it while dialogs are up: a button's hint goes when the dialog or box
# it opened shows; the keyboard's Menu key and Shift+F10 open the board's popup at the selected row. One machine (a copy of
# the test prefix, with its virtual desktop) with the share mapped as Y:. Screenshots land in
# <build>/app-lookandhints/.
set -euo pipefail
build=$1
tag=lookandhints
source "$(dirname "$0")/onemachine.sh"
quiet_share '"MainLeft"=dword:00000000' '"MainTop"=dword:00000000'
drive bob send 'Y:\' ALICE BOB 'Waiting' 'A message waiting at start' || fail "a message in the share"
start_board
# The message waiting at start opens in the read dialog over the board.
alice wait 'Read Message...' 30000 || fail "no read dialog for the waiting message"
shot read
alice click-close 'Read Message...' && alice gone 'Read Message...' 20000 || fail "closing the read dialog"
alice wait "$all" 10000 || fail "no board"

alice dblclick-row "$all" BOB || fail "double click on BOB"
alice wait 'Send Message...' 20000 || fail "no send dialog"
shot send
alice click-close 'Send Message...' && alice gone 'Send Message...' 20000 || fail "closing the send dialog"

alice key "$all" alt+V && alice menu-key RETURN || fail "the inbox from the View menu"
alice wait 'Message InBox' 20000 || fail "no inbox"
shot inbox

# hint_goes <what> <window> <bar> <x> <y> <opened> <closer> <button>: the pointer rests on a bar button
# of window until its hint shows; a click opens the window opened (a dialog or a box); the hint is gone
# from the screen, its place showing what lies beneath; the driver command closer (press for a box,
# click-button for a dialog) clicks button to close what opened.
hint_goes() {
  local what=$1 window=$2 bar=$3 x=$4 y=$5 opened=$6 closer=$7 button=$8 hl ht hr hb colour
  hint_wiped() { [ "$(alice screen-pixel $((hl + 3)) $(((ht + hb) / 2)))" != "$colour" ]; }
  alice hover-bar "$window" "$bar" "$x" "$y" || fail "$what: pointing at the button"
  until_shows '^1$' alice shown TdxBarHintWindow || fail "$what: no hint"
  IFS=, read -r hl ht hr hb <<<"$(alice class-rect TdxBarHintWindow)"
  colour=$(alice screen-pixel $((hl + 3)) $(((ht + hb) / 2)))
  alice click-bar "$window" "$bar" "$x" "$y" || fail "$what: clicking the button"
  alice wait "$opened" 20000 || fail "$what: $opened did not open"
  # The hint goes before what opened shows; what lay beneath is drawn again once painting catches up.
  [ "$(alice shown TdxBarHintWindow)" = 0 ] || fail "$what: the hint stays over $opened"
  until_true hint_wiped || fail "$what: the hint is still drawn"
  shot "hint-$what"
  alice "$closer" "$opened" "$button" || fail "$what: closing $opened"
  alice gone "$opened" 20000 || fail "$what: $opened stays"
}
# The inbox's Delete button (the first of its bar) with the waiting message selected.
alice click-item 'Message InBox' 1 Waiting || fail "selecting the message"
hint_goes "inbox delete" 'Message InBox' 1 20 10 Information press No
alice click-close 'Message InBox' && alice gone 'Message InBox' 20000 || fail "closing the inbox"
# Users..., the first button of the Administrators bar.
hint_goes users "$all" 4 12 13 'Administer Users' click-button '&Close'
echo "ok: a button's hint goes when the dialog or box it opened shows"

# popup_at_row <keys>: the keys open the popup with its top inside BOB's row.
popup_at_row() {
  local rl rt rr rb ml mt mr mb
  alice click-row "$all" BOB || fail "selecting BOB"
  alice key "$all" "$1" || fail "$1"
  until_shows '^-?[0-9]+,' alice popup-rect || fail "$1 opened no popup"
  IFS=, read -r rl rt rr rb <<<"$(alice row-rect "$all" BOB)"
  IFS=, read -r ml mt mr mb <<<"$(alice popup-rect)"
  shot "popup-$1"
  alice menu-key ESC
  [ "$mt" -ge "$rt" ] && [ "$mt" -le "$rb" ] && [ "$ml" -ge "$rl" ] && [ "$ml" -le "$rr" ] ||
    fail "$1: the popup opens at $ml,$mt, BOB's row is $rl,$rt-$rr,$rb"
  until_gone '^-?[0-9]+,' alice popup-rect || fail "$1: the popup stays"
}
popup_at_row APPS
popup_at_row shift+F10
echo "ok: the Menu key and Shift+F10 open the popup at the selected row"
echo "look and hints: all steps passed"
