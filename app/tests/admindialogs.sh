#!/usr/bin/env bash
# The administration dialogs and the pickers of the real board on two machines sharing one folder:
# machine 1 is ALICE, an administrator, whose message boxes really show and are answered with a click;
# machine 2 is BOB, a plain user. The drivers click and type as the people there would. Screenshots
# land in <build>/app-admindialogs/.
set -euo pipefail
build=$1
tag=admindialogs
source "$(dirname "$0")/machines.sh"
users='Administer Users'
deps='Administer Departments'
stats='Administer Statuses'
# The buttons of the board's toolbars, in the top dock site: the Misc bar at 246 and the Administrators
# bar at 371 in the second row (top 23, 26 high), each button 23 wide after the bar's 8-pixel grip.
tool_filter=265
tool_users=390
tool_departments=413
tool_statuses=436

settings "$M1" 560 460
settings "$M2" 860 300
alice seed 'Y:\' 'ALICE:1:Sales:' 'BOB:0:Support:' 'CAROL:0:Sales:' || fail "seeding"

start_board 1 1
start_board 2 2 OK
p2=$board_pid
boards_up
echo "ok: both boards up"

# --- users ---------------------------------------------------------------------------------------
alice click-tool "$all" $tool_users 36 || fail "clicking Users"
alice wait "$users" 20000 || fail "no users dialog"
alice click-entry "$users" BOB || fail "clicking BOB"
alice click-edit "$users" 4 || fail "clicking the extension"   # edits by place: name, login, comment, extension
alice key "$users" END && alice key "$users" BACK*20 && alice type "$users" 4711 || fail "typing the extension"
alice pick "$users" 2 Sales || fail "picking Sales"             # combos by place: status, department
shot users-dialog
alice click-button "$users" '&Update' || fail "Update"
until_shows '^BOB\|Available\|4711\|Sales\|\|0$' alice record 'Y:\' BOB || fail "BOB's record"
until_shows '^BOB\|[^|]*\|[^|]*\|4711\|Sales\|' bob board "$all" || fail "board 2 does not show BOB's new details"
echo "ok: an administrator's update of BOB reaches BOB's board"

# ALICE shows BOB while he goes to lunch on his own board; her later edit of his extension keeps his
# new status (and every other detail she did not touch).
alice click-entry "$users" BOB || fail "clicking BOB again"
bob key "$all" ctrl+L || fail "Ctrl+L on machine 2"
until_shows '^BOB\|At lunch\|' alice record 'Y:\' BOB || fail "BOB is not at lunch"
alice click-edit "$users" 4 && alice key "$users" END && alice key "$users" BACK*20 && alice type "$users" 4712 \
  || fail "typing the extension again"
alice click-button "$users" '&Update' || fail "Update again"
until_shows '^BOB\|[^|]*\|4712\|' alice record 'Y:\' BOB || fail "the extension was not written"
[ "$(alice record 'Y:\' BOB)" = 'BOB|At lunch|4712|Sales||0' ] || fail "BOB's record after the edit: $(alice record 'Y:\' BOB)"
until_shows '^BOB\|At lunch\|.*4712' bob board "$all" || fail "board 2 lost BOB's lunch"
echo "ok: an administrator's edit writes only what she changed over a newer status"

# A dropped Status list takes Esc (back to the status chosen before) and Enter (keeps the new one)
# itself: the dialog stays, and Enter runs no Update.
alice click-entry "$users" BOB || fail "clicking BOB for the status list"
before=$(alice combo "$users" 1 | cut -d'|' -f2)
alice drop "$users" 1 && alice menu-key DOWN && alice menu-key ESC || fail "Esc on the dropped status list"
until_shows "^closed\|$before\$" alice combo "$users" 1 || fail "Esc on the dropped list: $(alice combo "$users" 1)"
alice drop "$users" 1 && alice menu-key DOWN && alice menu-key RETURN || fail "Enter on the dropped status list"
until_shows "^closed\|$((before + 1))\$" alice combo "$users" 1 || fail "Enter on the dropped list: $(alice combo "$users" 1)"
alice wait "$users" 1000 || fail "the dialog closed"
[ "$(alice record 'Y:\' BOB | cut -d'|' -f2)" = "At lunch" ] || fail "Enter on the dropped list ran Update"
echo "ok: a dropped list takes Enter and Esc for itself"

# A name another user has (case and blanks aside) is refused with the store's words; the dialog is in
# front again with the keyboard, and the board behind takes no input.
alice click-entry "$users" BOB && alice click-edit "$users" 1 && alice key "$users" END && alice key "$users" BACK*30 \
  && alice type "$users" ' alice ' && alice click-button "$users" '&Update' || fail "renaming BOB to alice"
text=$(alice answer Information OK) || fail "no refusal of the name"
[ "$text" = 'The following error occurred within yOZ - User "alice" already exists' ] || fail "refusal: $text"
alice held "$users" 20000 || fail "the users dialog does not hold the keyboard after the box"
[ "$(alice enabled "$all")" = 0 ] || fail "the board takes input under the users dialog"
[ "$(alice record 'Y:\' BOB | cut -d'|' -f1)" = BOB ] || fail "BOB was renamed: $(alice record 'Y:\' BOB)"
shot users-after-refusal
echo "ok: a name another user has is refused and the dialog stays in front"

# The only administrator cannot delete herself.
alice click-entry "$users" ALICE || fail "clicking ALICE"
alice click-button "$users" '&Delete' || fail "Delete"
text=$(alice answer Error OK) || fail "no refusal box"
[ "$text" = "This user is the only Administrator within yOZ.||Please make another user and Administrator before deleting this user" ] \
  || fail "refusal text: $text"
alice record 'Y:\' ALICE >/dev/null || fail "ALICE was deleted"
echo "ok: the only administrator is refused"

# BOB becomes an administrator; CAROL goes after the question.
alice click-entry "$users" BOB && alice click-button "$users" Administrator && alice click-button "$users" '&Update' \
  || fail "making BOB an administrator"
until_shows '\|1$' alice record 'Y:\' BOB || fail "BOB is no administrator"
alice click-entry "$users" CAROL && alice click-button "$users" '&Delete' || fail "deleting CAROL"
text=$(alice answer Information Yes) || fail "no question"
[ "$text" = 'Are you sure you want to delete "CAROL "' ] || fail "question: $text"
until_gone . alice record 'Y:\' CAROL || fail "CAROL is still there"
until_shows '^ALICE BOB $' joined alice list "$users" || fail "the list after deleting"
alice click-button "$users" '&Close' && alice gone "$users" 20000 || fail "closing the users dialog"
until_shows '^BOB\|' bob board "$all" && until_gone '^CAROL\|' bob board "$all" || fail "CAROL stays on board 2"
echo "ok: after another administrator is made, a plain user is deleted"

# --- departments and statuses; BOB's pickers follow ----------------------------------------------
bob_lists() {  # bob_lists <command: ctrl+C | filter> <picker caption>: BOB's picker's entries, then Close
  if [ "$1" = filter ]; then bob click-tool "$all" $tool_filter 36; else bob key "$all" "$1"; fi
  bob wait "$2" 20000 >/dev/null || return 1
  bob list "$2" | tr '\n' ' '
  bob click-button "$2" '&Close' >/dev/null && bob gone "$2" 20000 >/dev/null
}
alice click-tool "$all" $tool_departments 36 && alice wait "$deps" 20000 || fail "no departments dialog"
alice click-edit "$deps" 1 && alice type "$deps" Finance && alice click-button "$deps" '&Add' || fail "adding Finance"
until_shows '^Finance Sales Support $' joined alice list "$deps" || fail "departments"
[ "$(bob_lists filter 'Please select Department')" = "Finance Sales Support " ] || fail "BOB's picker lacks Finance"
alice click-entry "$deps" Finance && alice click-edit "$deps" 1 && alice key "$deps" END && alice key "$deps" BACK*30 \
  && alice type "$deps" 'Finance UK' && alice click-button "$deps" '&Update' || fail "renaming Finance"
until_shows '^Finance UK Sales Support $' joined alice list "$deps" || fail "departments after renaming"
[ "$(bob_lists filter 'Please select Department')" = "Finance UK Sales Support " ] || fail "BOB's picker lacks Finance UK"
alice click-entry "$deps" 'Finance UK' && alice click-button "$deps" '&Delete' || fail "deleting Finance UK"
text=$(alice answer Information Yes) || fail "no question"
[ "$text" = 'Are you sure you want to delete the Department "Finance UK"' ] || fail "question: $text"
until_shows '^Sales Support $' joined alice list "$deps" || fail "departments after deleting"
[ "$(bob_lists filter 'Please select Department')" = "Sales Support " ] || fail "BOB's picker keeps Finance UK"
alice click-button "$deps" '&Close' && alice gone "$deps" 20000 || fail "closing the departments dialog"
echo "ok: departments added, renamed and deleted on machine 1 reach machine 2's picker"

alice click-tool "$all" $tool_statuses 36 && alice wait "$stats" 20000 || fail "no statuses dialog"
alice list "$stats" | grep -qx Offline && fail "Offline is listed"
# Return on a name that exists: the box, then the dialog is in front again with the keyboard, and
# the board behind it takes no input.
alice click-edit "$stats" 1 && alice type "$stats" Available && alice key "$stats" RETURN || fail "Return on Available"
text=$(alice answer Information OK) || fail "no 'already exists' box"
[ "$text" = 'The following error occurred within yOZ - Status "Available" already exists' ] || fail "box: $text"
alice held "$stats" 20000 || fail "the statuses dialog does not hold the keyboard after the box"
[ "$(alice enabled "$all")" = 0 ] || fail "the board takes input under the statuses dialog"
shot statuses-after-box
alice key "$stats" END && alice key "$stats" BACK*30 || fail "clearing the entry"
echo "ok: after a box the statuses dialog is in front again and the board stays disabled"
alice click-edit "$stats" 1 && alice type "$stats" Training && alice click-button "$stats" '&Add' || fail "adding Training"
until_shows '^Training$' alice list "$stats" || fail "Training is not listed"
# BOB chooses it with one click; ALICE's board shows it.
bob key "$all" ctrl+C && bob wait 'Please select status' 20000 || fail "no status picker"
bob list 'Please select status' | grep -qx Training || fail "BOB's picker lacks Training"
bob click-entry 'Please select status' Training || fail "clicking Training"
bob gone 'Please select status' 20000 || fail "one click did not choose"
until_shows '^BOB\|Training\|' alice board "$all" || fail "board 1 does not show BOB in Training"
alice click-entry "$stats" Training && alice click-edit "$stats" 1 && alice key "$stats" END && alice key "$stats" BACK*30 \
  && alice type "$stats" Course && alice click-button "$stats" '&Update' || fail "renaming Training"
until_shows '^Course$' alice list "$stats" || fail "Course is not listed"
bob_lists ctrl+C 'Please select status' | grep -q ' Course ' || fail "BOB's picker lacks Course"
alice click-entry "$stats" Course && alice click-button "$stats" '&Delete' || fail "deleting Course"
text=$(alice answer Information Yes) || fail "no question"
[ "$text" = 'Are you sure you want to delete the Status "Course"' ] || fail "question: $text"
until_gone '^Course$' alice list "$stats" || fail "Course stays listed"
bob_lists ctrl+C 'Please select status' | grep -q 'Course' && fail "BOB's picker keeps Course"
[ "$(alice record 'Y:\' BOB | cut -d'|' -f2)" = Training ] || fail "closing the picker changed BOB's status"
alice click-button "$stats" '&Close' && alice gone "$stats" 20000 || fail "closing the statuses dialog"
echo "ok: statuses added, renamed and deleted on machine 1 reach machine 2's picker; one click chooses"

# --- the department picker filters BOB's board; its Close with no row removes the filter -----------
bob click-tool "$all" $tool_filter 36 && bob wait 'Please select Department' 20000 || fail "no department picker"
bob click-entry 'Please select Department' Sales || fail "clicking Sales"
bob wait 'yOZ - Filtered on Sales' 20000 || fail "no filtered caption"
logins() { bob board "$1" | cut -d'|' -f1 | sort | tr '\n' ' '; }
until_shows '^ALICE BOB $' logins 'yOZ - Filtered on Sales' || fail "Sales shows other rows"
bob click-tool 'yOZ - Filtered on Sales' $tool_filter 36 && bob wait 'Please select Department' 20000 || fail "no picker"
bob click-button 'Please select Department' '&Close' || fail "Close"
bob wait "$all" 20000 || fail "the filter stayed"
echo "ok: the department picker filters the board, its Close removes the filter"
# --- BOB's comment reaches ALICE's board; the about box --------------------------------------------
bob key "$all" ctrl+T && bob wait Comments 20000 || fail "no comment dialog"
bob type Comments 'back at three' || fail "typing the comment"
shot comment-dialog
bob click-button Comments '&Ok' && bob gone Comments 20000 || fail "Ok"
until_shows '^BOB\|.*\|back at three$' alice board "$all" || fail "board 1 does not show BOB's comment"
[ "$(alice record 'Y:\' BOB | cut -d'|' -f5)" = "back at three" ] || fail "BOB's stored comment"
echo "ok: a comment set on machine 2 shows on machine 1's board"

alice key "$all" alt+H && alice key "$all" ENTER || fail "opening Help > About"
alice wait About 20000 || fail "no about box"
shot about-box
alice click-button About '&Ok' && alice gone About 20000 || fail "closing the about box"
echo "ok: the about box opens from the Help menu and closes with Ok"
# --- ALICE deletes BOB while his board runs: his next status key tells him so plainly, once ------
alice click-tool "$all" $tool_users 36 && alice wait "$users" 20000 || fail "no users dialog"
alice click-entry "$users" BOB && alice click-button "$users" '&Delete' || fail "deleting BOB"
text=$(alice answer Information Yes) || fail "no question"
until_gone . alice record 'Y:\' BOB || fail "BOB is still there"
alice click-button "$users" '&Close' && alice gone "$users" 20000 || fail "closing the users dialog"
# His board's next refresh says so in its status bar, in words.
until_shows 'Your login BOB has been removed from the yOZ board' bob status "$all" \
  || fail "BOB's status bar says: $(bob status "$all")"
removed='Information|OK|OK|Your login BOB has been removed from the yOZ board by an administrator.\r\rStart yOZ again to register it.'
bob key "$all" ctrl+L || fail "Ctrl+L on BOB's board"
until_true grep -qxF "$removed" "$out/dialogs-2.log" || fail "BOB was not told his login was removed"
bob key "$all" ctrl+X || fail "Ctrl+X on BOB's board"
until_ended "$p2" || fail "BOB's board still runs after Exit"
grep -q 'lookup\|error occurred' "$out/dialogs-2.log" && fail "BOB got technical text: $(cat "$out/dialogs-2.log")"
[ "$(grep -c 'removed from the yOZ board' "$out/dialogs-2.log")" = 1 ] || fail "BOB was told more than once"
echo "ok: a removed login's board says so plainly at the next status key, and nothing more at Exit"
echo "administration dialogs: all steps passed"
