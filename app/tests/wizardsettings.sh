#!/usr/bin/env bash
# A first start on two machines with nothing set, then the settings dialog at work, on the real board:
# machine 1 (ALICE) makes the database through the wizard and so becomes its administrator; machine 2
# (BOB) first tries an empty folder, then joins. Then BOB and ALICE change their settings through the
# dialog, BOB makes the start-up shortcut and moves to another database folder. The drivers click and
# type as the people there would; message boxes really show and are pressed. Screenshots land in
# <build>/app-wizardsettings/.
set -euo pipefail
build=$1
tag=wizardsettings
source "$(dirname "$0")/machines.sh"
wiz='Database Wizard'
reg_value() {  # reg_value <machine> <name>: the stored setting
  WINEPREFIX=$1 wine reg query 'HKCU\Software\QDSoftware\yOZ' /v "$2" 2>/dev/null | tr -d '\r' \
    | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
profile "$M1" alice
profile "$M2" bob
# keys <alice|bob> <keys>: a click on one's own row brings the board forward (a dialog just closed
# may still hold the focus), then the keys.
keys() { "$1" click-row "$all" "${1^^}" && "$1" key "$all" "$2"; }
settings "$M1" 560 460 nofolder
settings "$M2" 860 300 nofolder
mkdir -p "$share/board" "$share/empty" "$share/other"

# --- ALICE: Create New Database ------------------------------------------------------------------
start_board 1 1
alice wait "$wiz" 30000 || fail "no wizard on machine 1"
shot wizard-intro
alice click-button "$wiz" 'Create New Database' || fail "choosing Create"
alice click-button "$wiz" '&Next' || fail "Next on the first page"
shot wizard-create
alice click-button "$wiz" '&Next' || fail "Next on the create page"
alice wait 'Create yOZ Database' 10000 || fail "no browse dialog"
shot browse-create
# She opens My Computer, then drive Y: with a click, the folder "board" by its first letter, and OK.
alice click-tree 'Create yOZ Database' Desktop 'My Computer' '(Y:)' || fail "clicking drive Y:"
alice key 'Create yOZ Database' RIGHT && alice type 'Create yOZ Database' b || fail "choosing board"
shot browse-board
alice key 'Create yOZ Database' RETURN && alice gone 'Create yOZ Database' 20000 || fail "OK in the browse dialog"
alice wait "$all" 30000 || fail "board 1 did not come up"
[ "$(reg_value "$M1" yOZDBasePath)" = 'Y:\board\' ] || fail "ALICE's folder: $(reg_value "$M1" yOZDBasePath)"
[ -f "$share/board/yOZDB31.isd" ] || fail "no database made in board"
[ "$(alice user 'Y:\board\' ALICE | cut -d'|' -f3)" = 1 ] || fail "ALICE is no administrator"
shot board-1
echo "ok: a first start makes a database through the wizard; its first user is administrator"

# --- BOB: Join Existing Database, first an empty folder ---------------------------------------------
start_board 2 2
p2=$board_pid
bob wait "$wiz" 30000 || fail "no wizard on machine 2"
bob click-button "$wiz" 'Join Existing Database' && bob click-button "$wiz" '&Next' || fail "choosing Join"
shot wizard-join
bob click-button "$wiz" '&Next' && bob wait 'Join yOZ Database' 10000 || fail "no browse dialog on machine 2"
bob click-tree 'Join yOZ Database' Desktop 'My Computer' '(Y:)' || fail "clicking drive Y: on machine 2"
bob key 'Join yOZ Database' RIGHT && bob type 'Join yOZ Database' e && bob key 'Join yOZ Database' RETURN \
  || fail "choosing empty"
text=$(bob answer Information OK) || fail "no box for the empty folder"
[ "$text" = "yOZ was unable to find an yOZDBase" ] || fail "box for the empty folder: $text"
# Still on the join page: Next browses again, opening on the folder chosen last; up one and to board.
bob click-button "$wiz" '&Next' && bob wait 'Join yOZ Database' 10000 || fail "the wizard left the join page"
bob key 'Join yOZ Database' LEFT && bob type 'Join yOZ Database' b && bob key 'Join yOZ Database' RETURN \
  || fail "choosing board on machine 2"
bob wait "$all" 30000 || fail "board 2 did not come up"
until_shows '^BOB\|Available\|' alice board "$all" || fail "board 1 does not show BOB"
until_shows '^ALICE\|Available\|' bob board "$all" || fail "board 2 does not show ALICE"
[ "$(alice user 'Y:\board\' BOB | cut -d'|' -f3)" = 0 ] || fail "BOB became administrator"
echo "ok: a second machine joins through the wizard after an empty folder is refused"

# --- settings: BOB, no administrator, changes his details and his look -----------------------------
alice click-tool "$all" 413 36 && alice wait 'Administer Departments' 20000 || fail "no departments dialog"
alice click-edit 'Administer Departments' 1 && alice type 'Administer Departments' Sales \
  && alice click-button 'Administer Departments' '&Add' || fail "adding Sales"
alice click-button 'Administer Departments' '&Close' && alice gone 'Administer Departments' 20000 || fail "closing"
cfg=$(md5sum <"$share/board/yOZ.cfg")
look=$(bob look "$all")
keys bob ctrl+S && bob wait Settings 20000 || fail "no settings dialog on machine 2"
shot settings-display
bob click-edit Settings 1 && bob key Settings END && bob key Settings BACK*20 && bob type Settings 'Bob Baker' \
  || fail "typing the name"
bob click-edit Settings 2 && bob key Settings END && bob key Settings BACK*20 && bob type Settings 4711 \
  || fail "typing the extension"
bob pick Settings 2 Sales || fail "picking Sales"
bob pick Settings 1 Red || fail "picking Red"
bob pick Settings 3 14 || fail "picking 14"
# The interval goes up in tens with the arrow key (the spin edit takes no typing): 1 -> 21.
bob click-edit Settings 1 TRzSpinEdit && bob key Settings UP*2 || fail "raising the interval"
bob click-button Settings 'Show departments' || fail "clicking Show departments"
shot settings-display-changed
bob click-button Settings '&Ok' && bob gone Settings 20000 || fail "OK on machine 2"
until_shows '^Bob Baker\|Available\|4711\|Sales\|\|0$' alice record 'Y:\board\' BOB || fail "BOB's record"
until_shows '^Bob Baker\|Available\|[^|]*\|4711\|Sales\|' alice board "$all" || fail "board 1 lacks BOB's new details"
# The settings are stored once the dialog has closed.
until_shows '^0x15$' reg_value "$M2" UpdateDisplayTime || fail "interval"
until_shows '^0xe$' reg_value "$M2" MainFontSize || fail "font size"
until_shows '^0000FF\|' bob look "$all" || fail "board 2's text colour"
new=$(bob look "$all")
[ "${new#*|}" -gt "${look#*|}" ] || fail "board 2's rows did not grow: $look -> $new"
until_shows '^0$' bob width "$all" TTreeView || fail "board 2 still shows the department tree"
[ "$(md5sum <"$share/board/yOZ.cfg")" = "$cfg" ] || fail "BOB's OK changed yOZ.cfg"
shot boards-after-settings
echo "ok: name, extension, department, font, interval and departments pane through the dialog; yOZ.cfg untouched"

# --- ALICE, the administrator, switches the log to CSV ---------------------------------------------
keys alice ctrl+S && alice wait Settings 20000 || fail "no settings dialog on machine 1"
alice click-tab Settings Options || fail "Options tab"
shot settings-options
alice pick Settings 3 CSV || fail "picking CSV"
alice click-tab Settings Messages || fail "Messages tab"
shot settings-messages
alice click-button Settings '&Ok' && alice gone Settings 20000 || fail "OK on machine 1"
keys alice ctrl+L || fail "Ctrl+L on machine 1"
until_shows 'ALICE.*Available.*At lunch' cat "$share/board/yOZLog.csv" || fail "no CSV line for ALICE"
# BOB's copy reads yOZ.cfg when his settings dialog opens (it shows the log type, not his to change).
keys bob ctrl+S && bob wait Settings 20000 && bob click-tab Settings Options || fail "settings on machine 2"
shot settings-options-user
bob click-button Settings 'Cancel' && bob gone Settings 20000 || fail "Cancel on machine 2"
keys bob ctrl+L || fail "Ctrl+L on machine 2"
until_shows 'BOB.*Available.*At lunch' cat "$share/board/yOZLog.csv" || fail "no CSV line for BOB"
echo "ok: an administrator switches the log to CSV and status changes land in yOZLog.csv"

# --- BOB: the start-up shortcut, then another database folder --------------------------------------
keys bob ctrl+S && bob wait Settings 20000 && bob click-tab Settings Options || fail "settings again"
bob click-in Settings TTabSheet 166 42 || fail "clicking Launch"
text=$(bob answer Information OK) || fail "no box after Launch"
[ "$text" = "yOZ will now start automatically on startup" ] || fail "Launch said: $text"
target=$(bob shortcut) || fail "no start-up shortcut"
[ "${target,,}" = "$(WINEPREFIX=$M2 winepath -w "$bin/yOZ.exe" | tr -d '\r' | tr 'A-Z' 'a-z')" ] \
  || fail "the shortcut points at $target"
bob click-button Settings '&Browse...' && bob wait 'Browse for Folder' 10000 || fail "no browse dialog from Settings"
bob click-tree 'Browse for Folder' Desktop 'My Computer' '(Y:)' || fail "clicking drive Y: from Settings"
bob key 'Browse for Folder' RIGHT && bob type 'Browse for Folder' o && bob key 'Browse for Folder' RETURN \
  || fail "choosing other"
text=$(bob answer Confirm Yes) || fail "no question after Browse"
[ "$text" = "Are you sure.  Change the location of the yOZ Database?" ] || fail "question: $text"
shot settings-moved
bob click-button Settings '&Ok' || fail "OK after moving"
text=$(bob answer Information OK) || fail "no box about the move"
[ "$text" = "The location of the yOZ database has been changed.||yOZ must be re-started to use the new database location, and will now shut down." ] \
  || fail "move text: $text"
until_ended "$p2" || fail "board 2 still runs after the move"
[ "$(reg_value "$M2" yOZDBasePath)" = 'Y:\other\' ] || fail "BOB's folder: $(reg_value "$M2" yOZDBasePath)"
start_board 2 3
bob wait "$all" 30000 || fail "board 2 did not come up on the new folder"
until_shows '^BOB\|Available\|' bob board "$all" || fail "board 2 does not show BOB"
[ "$(bob board "$all" | wc -l)" -eq 1 ] || fail "board 2 still shows the old folder's users"
[ -f "$share/other/yOZDB31.isd" ] || fail "no database in other"
echo "ok: Launch makes the start-up shortcut; another folder ends the program and the next start uses it"
echo "wizard and settings: all steps passed"
