#!/usr/bin/env bash
# The folder-browse dialog on the real board, where users meet it: in the database wizard (Create New
# Database) and behind the settings dialog's Browse... button. Real clicks and keys; what the tree
# shows is read from its window and its pictures probed on the screen. One machine (a copy of the test
# prefix) with the share mapped as Y:. Every check runs and the failures are listed at the end.
# Screenshots land in <build>/app-folderdialog/.
set -euo pipefail
build=$1
tag=folderdialog
source "$(dirname "$0")/machines.sh"
M=$M1
profile "$M" alice
board_pid=
start() {  # start <tag>: the board in the background
  YOZ_DIALOG_LOG="$out/dialogs-$1.log" WINEPREFIX=$M USER=alice wine "$bin/yOZ.exe" >"$out/board-$1.log" 2>&1 &
  board_pid=$!
  pids+=($board_pid)
}
problems=()
check() {  # check <what> <command...>: a failed check is noted and the run goes on
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "NOT OK: $what"; problems+=("$what"); shot "not-ok-${#problems[@]}"; fi
}
# node <caption> <level> <text>: the tree's line for that node (level|text|image|selected image|
# button|state|left,top,right,bottom)
node() { alice tree "$1" | grep -F -- "$2|$3|" | head -1; }
not_red() { (($((16#${1:0:2})) < 160 || $((16#${1:2:2})) > 96 || $((16#${1:4:2})) > 96)); }
# apart <RRGGBB> <RRGGBB>: the two colours are told apart at a glance
apart() {
  local a=$1 b=$2 i sum=0 x
  for i in 0 2 4; do x=$((16#${a:i:2} - 16#${b:i:2})); sum=$((sum + (x < 0 ? -x : x))); done
  ((sum > 90))
}
field() { cut -d'|' -f"$2" <<<"$1"; }
rect() { field "$1" 7 | tr ',' ' '; }
folder_setting() {
  WINEPREFIX=$M wine reg query 'HKCU\Software\QDSoftware\yOZ' /v yOZDBasePath 2>/dev/null | tr -d '\r' \
    | awk '$1 == "yOZDBasePath" { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
wiz='Database Wizard'
dlg='Create yOZ Database'
browse='Browse for Folder'
settings "$M" 560 460 nofolder '"FirstTimeRun"=dword:00000001'
deep=(deep with some folders inside one another down to the bottom of the share)
mkdir -p "$share/board" "$share/$(IFS=/; echo "${deep[*]}")"

start wizard
alice wait "$wiz" 30000 || fail "no wizard"
alice click-button "$wiz" 'Create New Database' && alice click-button "$wiz" '&Next' || fail "choosing Create"
alice click-button "$wiz" '&Next' && alice wait "$dlg" 10000 || fail "no folder dialog from the wizard"

# --- pictures and buttons: each folder its own icon, "+" only before folders that hold some -------
alice click-tree "$dlg" Desktop 'My Computer' '(Y:)' && alice key "$dlg" RIGHT || fail "opening Y:"
until_shows '^3\|board\|' alice tree "$dlg" || fail "Y: shows no board"
shot pictures
root=$(alice tree "$dlg" | tail -1)
b=$(node "$dlg" 3 board)
d=$(node "$dlg" 3 deep)
m=$(node "$dlg" 1 'My Computer')
check "board, which holds no folder, shows no button" [ "$(field "$b" 5)" = 0 ]
check "deep, which holds one, shows its button" [ "$(field "$d" 5)" = 1 ]
read -r l t _ _ <<<"$(rect "$b")"
diff=$(alice icon "$dlg" "$l" "$t" 'Y:\board')
check "board shows the folder's own icon ($diff pixels differ)" [ "$diff" -le 64 ]
read -r l t _ _ <<<"$(rect "$m")"
diff=$(alice icon "$dlg" "$l" "$t" ::drives)
check "My Computer shows its own icon ($diff pixels differ)" [ "$diff" -le 64 ]

# --- Delete never with My Computer: after a folder was selected, My Computer closed with its button -
alice click-tree "$dlg" Desktop 'My Computer' '(Y:)' board || fail "clicking board"
read -r l t _ b2 <<<"$(rect "$m")"
alice click-at "$dlg" $((l - 27)) $(((t + b2) / 2))
until_shows '\|My Computer\|.*\|selected\|' alice tree "$dlg" || fail "closing My Computer did not select it"
alice painted "$dlg" || fail "the folder dialog is not painted"
# Enabled, as it was with board selected, the button keeps its red cross: looked at until it changes.
cross_grey() { red=$(alice pixel "$dlg" -28 14); not_red "$red"; }
until_true cross_grey || true
shot mycomputer
check "Delete is not enabled with My Computer selected (its cross is $red)" not_red "$red"

# --- a new folder named at once is the one selected, and the one OK hands back -----------------------
alice click-tree "$dlg" Desktop 'My Computer' '(Y:)' board || fail "clicking board"
alice click-at "$dlg" -58 14 || fail "the create-folder button"
until_shows '^4\|New Folder\|' alice tree "$dlg" || fail "no new folder in board"
alice painted "$dlg" || fail "the folder dialog is not painted"
shot naming
b=$(node "$dlg" 3 board)
read -r l t r b2 <<<"$(rect "$b")"
marks=$(alice marks "$dlg" "$l" "$t" $((r - l)) $((b2 - t)))
check "board's label is drawn while the new folder is named ($marks marks)" [ "$marks" -gt 10 ]
alice type "$dlg" 'Fresh & New\n' || fail "typing the new folder's name"
until_shows '^4\|Fresh & New\|' alice tree "$dlg" || fail "the new folder was not renamed"
shot named
check "the new folder is the one selected" grep -q '^4|Fresh & New|.*|selected|' <<<"$(alice tree "$dlg")"
alice key "$dlg" RETURN && alice gone "$dlg" 20000 || fail "OK in the folder dialog"
text=$(alice answer Information No 15000) || fail "no first run's question"
alice wait "$all" 20000 || fail "no board after the wizard"
check "the database is made in the folder shown selected" [ -f "$share/board/Fresh & New/yOZDB31.isd" ]
echo "folder stored: $(folder_setting)"

# --- Settings: Browse... opens on the database's folder; a deep folder does not scroll it aside ----
alice click-row "$all" ALICE && alice key "$all" ctrl+S && alice wait Settings 20000 || fail "no settings dialog"
alice click-tab Settings Options || fail "Options tab"
alice click-button Settings '&Browse...' && alice wait "$browse" 10000 || fail "no folder dialog from Settings"
check "Browse... opens on the database's folder" grep -q '^4|Fresh & New|.*|selected|' <<<"$(alice tree "$browse")"
# The selection stays shown while another control has the focus: its label's back is not the tree's.
alice painted "$browse" || fail "the folder dialog from Settings is not painted"
s=$(alice tree "$browse" | grep '|selected|')
read -r l t r b2 <<<"$(rect "$s")"
focused=$(alice pixel "$browse" $((l + 1)) $(((t + b2) / 2)))
alice key "$browse" TAB
# The label is drawn anew once the tree has lost the focus.
label_redrawn() { colour=$(alice pixel "$browse" $((l + 1)) $(((t + b2) / 2))); [ "$colour" != "$focused" ]; }
until_true label_redrawn || true
plain=$(alice pixel "$browse" $((r + 12)) $(((t + b2) / 2)))
shot unfocused
check "the selected folder stays marked without the focus (its label's back $colour, the tree's $plain)" \
  apart "$colour" "$plain"
alice click-tree "$browse" Desktop 'My Computer' '(Y:)' "${deep[@]}" || fail "clicking the deep folder"
alice key "$browse" RETURN && alice gone "$browse" 20000 || fail "OK on the deep folder"
alice answer Confirm Yes 10000 >/dev/null || fail "no question after Browse"
alice click-button Settings '&Browse...' && alice wait "$browse" 10000 || fail "no folder dialog the second time"
shot deep-again
tree=$(alice tree "$browse")
check "the deep folder is selected again" grep -q "|share|.*|selected|" <<<"$tree"
check "the tree opens at its left edge ($(tail -1 <<<"$tree"), at first $root)" [ "$(tail -1 <<<"$tree")" = "$root" ]
alice key "$browse" HOME && alice key "$browse" DOWN || fail "Home, Down"
tree=$(alice tree "$browse")
check "Home and Down select the first folder below the Desktop, in view" grep -q '^1|/|.*|selected|' <<<"$tree"
check "... with the tree at its left edge ($(tail -1 <<<"$tree"), at first $root)" [ "$(tail -1 <<<"$tree")" = "$root" ]
alice key "$browse" ESCAPE && alice gone "$browse" 20000 || fail "Esc in the folder dialog"
alice key Settings ESCAPE && alice gone Settings 20000 || fail "Esc in Settings"

# --- Settings shows a long Name from its start ---------------------------------------------------------
alice click-row "$all" ALICE && alice key "$all" ctrl+S && alice wait Settings 20000 || fail "no settings dialog"
long='Alexandra Bartholomew-Carrington of the Accounts Department'
alice click-edit Settings 1 && alice key Settings ctrl+A && alice type Settings "$long" || fail "typing a long Name"
alice click-button Settings '&Ok' && alice gone Settings 20000 || fail "OK in Settings"
alice click-row "$all" ALICE && alice key "$all" ctrl+S && alice wait Settings 20000 || fail "no settings dialog again"
# Looked at as the user sees it: once the dialog is active with the focus given, which selects the Name
# (a selection scrolls its end into view). Once given, the focus changes the view no more by itself.
alice held Settings 20000 || fail "the settings dialog does not get the keyboard"
check "Settings shows the long Name from its start" until_shows '^0$' alice edit-start Settings 1
shot settings-again
alice key Settings ESCAPE && alice gone Settings 20000 || fail "Esc in Settings"

alice click-row "$all" ALICE && alice key "$all" ctrl+X || fail "Ctrl+X"
[ ${#problems[@]} -eq 0 ] || fail "${#problems[@]} checks failed: $(printf '%s; ' "${problems[@]}")"
echo "folder dialog: all steps passed"
