#!/usr/bin/env bash
# Database folders the board cannot use, chosen where a user chooses them, on the real board: at the
# first start in the database wizard (a read-only folder), then in the settings dialog (a read-only
# folder, a folder removed before OK, a file put in place of the folder before OK, paths longer than
# the stored setting keeps). Each is told in a box, the wizard or the dialog stays for another
# choice, the setting keeps the folder that works, and the next start comes up on it. One machine (a
# copy of the test prefix) with the share mapped as Y:; its wineserver and board run without root's
# permission override, so a read-only folder is read-only to them. Screenshots land in
# <build>/app-databasefolder/.
set -euo pipefail
build=$1
tag=databasefolder
source "$(dirname "$0")/machines.sh"
M=$M1
asuser=(setpriv --bounding-set -dac_override,-dac_read_search)
WINEPREFIX=$M wineserver -k
WINEPREFIX=$M wineserver -w
WINEPREFIX=$M "${asuser[@]}" wineserver -p
profile "$M" alice
board_pid=
start() {  # start <tag>: the board in the background, without the permission override
  YOZ_DIALOG_LOG="$out/dialogs-$1.log" WINEPREFIX=$M USER=alice "${asuser[@]}" wine "$bin/yOZ.exe" \
    >"$out/board-$1.log" 2>&1 &
  board_pid=$!
  pids+=($board_pid)
}
ended() {  # ended <tag>: the board's process is gone within 30 s
  until_ended "$board_pid" || fail "$1: the program still runs"
  wait "$board_pid" || true
}
# shown_whole <tag> <box caption> <path>: the box shows the path on one line, and no line of it is too
# wide for the box (the box would break it again, before a backslash).
shown_whole() {
  local lines
  lines=$(alice box-lines "$2" 15000) || fail "$1: no $2 box"
  grep -q '^!' <<<"$lines" && fail "$1: a line too wide for the box: $lines"
  grep -qF "\"$3\"" <<<"$lines" || fail "$1: the box breaks \"$3\": $lines"
}
answer() {  # answer <tag> <box caption> <button> <text part>: the box says it, pressed
  local text
  text=$(alice answer "$2" "$3" 15000) || fail "$1: no $2 box"
  [[ "$text" == *"$4"* ]] || fail "$1: the box says \"$text\""
}
folder_setting() {
  WINEPREFIX=$M wine reg query 'HKCU\Software\QDSoftware\yOZ' /v yOZDBasePath 2>/dev/null | tr -d '\r' \
    | awk '$1 == "yOZDBasePath" { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
# browse <dialog caption> <node>...: in the open folder dialog, a click on the folder at the end of the
# path from My Computer, then OK.
browse() {
  local caption=$1
  shift
  alice wait "$caption" 10000 || fail "no folder dialog \"$caption\""
  alice click-tree "$caption" Desktop 'My Computer' "$@" || fail "clicking $* in \"$caption\""
  alice key "$caption" RETURN && alice gone "$caption" 20000 || fail "OK in \"$caption\""
}
wiz='Database Wizard'
settings "$M" 560 460 nofolder '"FirstTimeRun"=dword:00000001'
mkdir -p "$share/board" "$share/readonly" "$share/gone"
chmod a-w "$share/readonly"
# Paths of 258 and 300 characters with the closing backslash: Y:\long\ and folders of 50 characters.
long=Y:\\long
mkdir -p "$share/long"
part=$(printf 'x%.0s' $(seq 50))
nodes=(long)
while [ $((${#long} + 51 + 1)) -le 258 ]; do long+="\\$part"; nodes+=("$part"); done
tail=$(printf 'y%.0s' $(seq $((258 - ${#long} - 2))))
long+="\\$tail"
nodes+=("$tail")
longer_nodes=("${nodes[@]}" "$(printf 'z%.0s' $(seq 41))")
longer="$long\\$(printf 'z%.0s' $(seq 41))\\"
mkdir -p "$share/$(IFS=/; echo "${longer_nodes[*]}")"
[ $((${#long} + 1)) -eq 258 ] || fail "the long path holds $((${#long} + 1)) characters"

# --- the first start: a read-only folder in the wizard ----------------------------------------------
start wizard
alice wait "$wiz" 30000 || fail "no wizard"
alice click-button "$wiz" 'Create New Database' && alice click-button "$wiz" '&Next' || fail "choosing Create"
alice click-button "$wiz" '&Next' || fail "Next on the create page"
browse 'Create yOZ Database' '(Y:)' readonly
shown_whole wizard Error 'Y:\readonly\'
answer wizard Error OK 'Y:\readonly\'
shot wizard-readonly
alice wait "$wiz" 20000 || fail "the wizard closed on a read-only folder"
[ -z "$(folder_setting)" ] || fail "the wizard stored $(folder_setting)"
# Another choice from the same page: a folder that works. The first run's question comes, and then
# the board with its caption.
alice click-button "$wiz" '&Next' || fail "Next after the read-only folder"
browse 'Create yOZ Database' '(Y:)' board
answer wizard Information No 'Would you like yOZ to start automatically on startup?'
alice wait "$all" 20000 || fail "no board captioned \"$all\" after the wizard and the first run's question"
[ "$(folder_setting)" = 'Y:\board\' ] || fail "the folder stored: $(folder_setting)"
[ -f "$share/board/yOZDB31.isd" ] || fail "no database made in board"
shot board-after-wizard
echo "ok: the wizard reports a read-only folder and stays; the folder that works is stored; the board has its caption"

# The folder becomes read-only while the board runs: a status change says so in words.
chmod a-w "$share/board"
alice key "$all" ctrl+L || fail "Ctrl+L in a read-only folder"
text=$(alice answer Information OK 30000) || { chmod u+w "$share/board"; fail "no box for the read-only folder"; }
chmod u+w "$share/board"
[[ "$text" == *'Unable to replace record - '*'The yOZ database location "Y:\board\" cannot be written, so the status was not changed.'* ]] \
  || fail "the read-only folder's box says: $text"
[ "$(alice user 'Y:\board\' ALICE | cut -d'|' -f1)" = Available ] || fail "the status changed in a read-only folder"
echo "ok: a status change in a folder that became read-only says so in words"

# --- the settings dialog: folders it cannot use -----------------------------------------------------
alice click-row "$all" ALICE && alice key "$all" ctrl+S && alice wait Settings 20000 || fail "no settings dialog"
alice click-tab Settings Options || fail "Options tab"
settings_browse() {  # settings_browse <node>...: Browse... and the folder at the end of the path
  alice click-button Settings '&Browse...' || fail "Browse..."
  browse 'Browse for Folder' '(Y:)' "$@"
}
# ok_refused <tag> <text part>: OK says what is wrong with the folder; the dialog stays, back on the
# folder in use.
ok_refused() {
  alice click-button Settings '&Ok' || fail "$1: OK"
  answer "$1" Error OK "$2"
  alice wait Settings 3000 || fail "$1: the dialog closed"
  shot "settings-$1"
}

settings_browse readonly
shown_whole readonly Error 'Y:\readonly\'
answer readonly Error OK 'Y:\readonly\'
shot settings-browse-readonly
settings_browse "${nodes[@]}"
answer long258 Error OK '255'
settings_browse "${longer_nodes[@]}"
lines=$(alice box-lines Error 15000) || fail "long300: no box"
grep -q '^!' <<<"$lines" && fail "long300: a line too wide for the box: $lines"
# The folder chosen, whole: not cut where the system cuts long paths.
answer long300 Error OK "\"$longer\" is longer than 255 characters"
settings_browse gone
answer gone Confirm Yes 'Are you sure.  Change the location of the yOZ Database?'
rmdir "$share/gone"
ok_refused removed 'Y:\gone\'
mkdir "$share/gone"
settings_browse gone
answer gone Confirm Yes 'Are you sure.  Change the location of the yOZ Database?'
rmdir "$share/gone"
: >"$share/gone"
ok_refused file 'Y:\gone\'
# OK now keeps the folder in use: no move, the board goes on.
alice click-button Settings '&Ok' && alice gone Settings 20000 || fail "OK on the folder in use"
# The board must not end: a pause in which it goes on (an ending would start with its box at once).
sleep 3
kill -0 "$board_pid" 2>/dev/null || fail "the board ended"
[ "$(folder_setting)" = 'Y:\board\' ] || fail "the folder stored: $(folder_setting)"
grep -q 'will now shut down' "$out/dialogs-wizard.log" && fail "a refused folder ended the program"
echo "ok: the settings dialog refuses a read-only, a removed and a file folder and paths over 255 characters"

# --- the next start: on the folder that works -------------------------------------------------------
alice click-row "$all" ALICE && alice key "$all" ctrl+X || fail "Ctrl+X"
ended first
start next
alice wait "$all" 20000 || fail "the next start did not come up"
alice board "$all" | grep -q '^ALICE|Available|' || fail "the next start's board lacks ALICE"
[ -s "$out/dialogs-next.log" ] && fail "the next start showed boxes: $(cat "$out/dialogs-next.log")"
echo "ok: the next start comes up on the folder that works"

# The folder becomes read-only, then Exit: the comment and status it writes on leaving cannot be
# written. One box says so in words, and the program still ends.
chmod a-w "$share/board"
alice click-row "$all" ALICE && alice key "$all" ctrl+X || { chmod u+w "$share/board"; fail "Ctrl+X"; }
text=$(alice answer Information OK 30000) || { chmod u+w "$share/board"; fail "no box at Exit in a read-only folder"; }
ended next
chmod u+w "$share/board"
[[ "$text" == *'The yOZ database location "Y:\board\" cannot be written, so the change was not saved.'* ]] \
  || fail "the box at Exit says: $text"
[ "$(wc -l <"$out/dialogs-next.log")" = 1 ] || fail "more than one box at Exit: $(cat "$out/dialogs-next.log")"
echo "ok: Exit in a folder that became read-only says so in words, once, and ends"
echo "database folder: all steps passed"
