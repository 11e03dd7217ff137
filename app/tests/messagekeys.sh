#!/usr/bin/env bash
# The message windows by the keyboard on the real board: the Delete key edits the subject and the text
# (a message is deleted only by the bar's Alt+D, or by Delete on the inbox's list, which asks first);
# after Alt with a bar button's letter closed a message window, the board takes the next key at once.
# One machine (a copy of the test prefix) with the share mapped as Y:. Screenshots land in
# <build>/app-messagekeys/.
set -euo pipefail
build=$1
tag=messagekeys
source "$(dirname "$0")/onemachine.sh"
quiet_share
drive bob send 'Y:\' ALICE BOB 'First' 'one' && drive bob send 'Y:\' ALICE BOB 'Second' 'two' \
  || fail "messages waiting for Alice"
stored() { alice messages 'Y:\' ALICE | wc -l; }
asked() { cat "$out/dialogs.log" 2>/dev/null | grep -c '|Are you sure you want to delete the selected message?$' || true; }

# The board holds the keyboard, not a menu mode left behind: Down opens no menu, the shortcut works
# (on the selected row's user, when one is selected: Alice is an administrator).
keys_back() {  # keys_back <what> <letter> <status> [login]
  alice held "$all" 20000 || fail "$1: the board does not get the keyboard back"
  alice menu-key DOWN || fail "$1: Down"
  [ "$(alice shown '#32768')" = 0 ] || { shot "$1-menu"; fail "$1: Down on the board opened a menu"; }
  alice menu-key "ctrl+$2" || fail "$1: Ctrl+$2"
  until_shows "^$3\|" alice user 'Y:\' "${4:-ALICE}" || fail "$1: Ctrl+$2 did not reach the board"
}
# Alt with a bar button's letter as people often press it: Alt let go before the letter.
alt_key() { alice key-mods-first-up "$1" "alt+$2"; }

start_board
read='Read Message...'
alice wait "$read" 30000 || fail "no read dialog for the waiting messages"
[ "$(alice text "$read" TEdit)" = First ] || fail "the first message: $(alice text "$read" TEdit)"
# Delete in the subject and in the text deletes a character; the message stays.
alice key "$read" HOME && alice key "$read" DELETE || fail "Delete in the subject"
until_shows '^irst$' alice text "$read" TEdit || fail "Delete did not edit the subject"
alice key "$read" TAB && alice key "$read" ctrl+HOME && alice key "$read" DELETE || fail "Delete in the text"
until_shows '^ne$' alice text "$read" TMemo || fail "Delete did not edit the text"
alice wait "$read" 1000 && [ "$(stored)" = 2 ] || fail "Delete deleted the message: $(alice messages 'Y:\' ALICE)"
shot read-delete-key
echo "ok: Delete in the read dialog edits its subject and text"

# The first message kept (closed), the last one deleted by Alt+D.
alice click-close "$read" || fail "closing the first message"
until_shows '^Second$' alice text "$read" TEdit || fail "the second message does not show"
alt_key "$read" D || fail "Alt+D"
alice gone "$read" 20000 || fail "Alt+D did not close the last read dialog"
[ "$(alice messages 'Y:\' ALICE | cut -d'|' -f4)" = First ] || fail "after Alt+D: $(alice messages 'Y:\' ALICE)"
keys_back "Alt+D in the last read dialog" L "At lunch"
echo "ok: after Alt+D closed the last read dialog the board takes the keyboard"

# The inbox: Delete in the text edits without a question; Delete on the list asks (No keeps it).
inbox='Message InBox'
alice key "$all" alt+V && alice menu-key RETURN && alice wait "$inbox" 20000 || fail "no inbox"
alice click-item "$inbox" 1 First || fail "clicking the message"
until_shows '^one$' alice text "$inbox" TMemo || fail "no text in the lower pane"
alice click-edit "$inbox" 1 TMemo && alice key "$inbox" ctrl+HOME && alice key "$inbox" DELETE \
  || fail "Delete in the inbox's text"
until_shows '^ne$' alice text "$inbox" TMemo || fail "Delete did not edit the inbox's text"
[ "$(asked)" = 0 ] && [ "$(alice shown '#32770')" = 0 ] || fail "Delete in the text asked to delete the message"
alice click-item "$inbox" 1 First && alice key "$inbox" DELETE || fail "Delete on the list"
text=$(alice answer Information No) || fail "Delete on the list asked nothing"
[ "$text" = 'Are you sure you want to delete the selected message?' ] || fail "the question: $text"
alice wait "$inbox" 1000 && [ "$(stored)" = 1 ] || fail "No deleted the message"
echo "ok: Delete in the inbox edits the text; on the list it asks first"
alt_key "$inbox" X && alice gone "$inbox" 20000 || fail "Alt+X did not close the inbox"
keys_back "Alt+X in the inbox" G "Gone home"
echo "ok: after Alt+X closed the inbox the board takes the keyboard"

# Send Message: a subject typed, Alt+S.
alice dblclick-row "$all" BOB && alice wait 'Send Message...' 20000 || fail "no send dialog"
alice type 'Send Message...' 'Hi' && alt_key 'Send Message...' S || fail "Alt+S"
alice gone 'Send Message...' 20000 || fail "Alt+S did not send"
[ "$(alice messages 'Y:\' BOB | cut -d'|' -f4)" = Hi ] || fail "stored: $(alice messages 'Y:\' BOB)"
keys_back "Alt+S in the send dialog" W "Away from desk" BOB
echo "ok: after Alt+S sent the message the board takes the keyboard"
echo "message keys: all steps passed"
