#!/usr/bin/env bash
# Help on a machine without a WinHelp viewer, as on Windows 10 and 11: the real board's F1, a dialog's
# Help button and F1, Help > yOZ Help and the database wizard's Help each open their topic's web page
# with the machine's default program for web pages, at once, and the board goes on answering. First
# the viewer is the stub later Windows carry (helpstub.exe: the stub's version text), then it is gone.
# The default program for .html is helpnote.exe, which notes each page it is asked to open. One
# machine (a copy of the test prefix); screenshots land in <build>/app-helppages/.
set -euo pipefail
build=$1
tag=helppages
source "$(dirname "$0")/onemachine.sh"
viewer=$M/drive_c/windows/system32/winhlp32.exe
browser=$M/drive_c/browser
mkdir -p "$browser"
cp "$bin/helpnote.exe" "$browser/open.exe"
cp "$bin/helpstub.exe" "$viewer"
# The program for .html; and the viewer's file is the one run and read (Wine would use its own viewer
# for that name, where Windows has only the file).
printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CLASSES_ROOT\.html]' '@="yOZTestPage"' '' \
  '[HKEY_CLASSES_ROOT\yOZTestPage\shell\open\command]' '@="\"C:\\browser\\open.exe\" \"%1\""' '' \
  '[HKEY_CURRENT_USER\Software\Wine\DllOverrides]' '"winhlp32.exe"="native"' >"$out/browser.reg"
WINEPREFIX=$M wine regedit /S "$(WINEPREFIX=$M winepath -w "$out/browser.reg")" >/dev/null 2>&1
quiet_share
status_is() { until_shows "^$1\|" alice user 'Y:\' ALICE; }
opened=0
# page <page> <what>: the next page the browser was asked to open is that page of the pages beside
# the program, and it is there.
page() {
  opened=$((opened + 1))
  local note=$browser/note-$opened.txt
  until_true test -f "$note" || fail "$2 opened no page"
  grep -Eq "yOZ-help\\\\$1\"?\$" "$note" || fail "$2 opened $(cat "$note"), not $1"
  [ -f "$bin/yOZ-help/$1" ] || fail "$2: no page $1 beside the program"
  echo "$2: $(cat "$note")"
}
no_more_pages() { [ ! -e "$browser/note-$((opened + 1)).txt" ] || fail "$1: a page too many: $(cat "$browser/note-$((opened + 1)).txt")"; }
exit_board() {
  alice key "$all" ctrl+X || fail "Ctrl+X"
  until_ended "$board_pid" || fail "the board did not end"
  board_pid=
}

# --- the stub ------------------------------------------------------------------------------------
start_board
alice wait "$all" 30000 || fail "no board"
# F1 on the board, then at once a status key: the board answers it while the page opens.
alice key "$all" F1 && alice key "$all" ctrl+L || fail "F1, Ctrl+L"
page Contents.html "F1 on the board"
status_is 'At lunch' || fail "the key after F1"
shot board-f1
# The settings dialog: its Help button, then F1 on it.
alice key "$all" ctrl+S && alice wait Settings 20000 || fail "no settings dialog"
alice click-button Settings '&Help' || fail "Settings' Help"
page Displaying_your_settings.html "Settings' Help button"
alice click-tab Settings Messages && alice key Settings F1 || fail "F1 on the settings' Messages sheet"
page Displaying_your_settings.html "F1 in the settings dialog"
alice click-button Settings 'C&ancel' && alice gone Settings 20000 || fail "Settings' Cancel after Help"
# F1 in the comment dialog opens its topic.
alice key "$all" ctrl+T && alice wait Comments 20000 || fail "no comment dialog"
alice key Comments F1 || fail "F1 in the comment dialog"
page Changing_your_status.html "F1 in the comment dialog"
alice key Comments ESC && alice gone Comments 20000 || fail "Esc in the comment dialog"
alice key "$all" ctrl+A || fail "Ctrl+A"
status_is Available || fail "the board after the dialogs' help"
no_more_pages "the stub"
[ -z "$(ls "${viewer%/*}" | grep "^note-")" ] || fail "the stub viewer was started"
exit_board
echo "ok: with the stub viewer F1 and the Help buttons open their pages at once; the board answers"

# --- no viewer at all ------------------------------------------------------------------------------
rm -f "$viewer"
start_board
alice wait "$all" 30000 || fail "no board without a viewer"
# Help > yOZ Help (the second row of the Help menu).
alice menu-key alt+H && alice menu-key DOWN && alice menu-key RETURN || fail "Help > yOZ Help"
page Contents.html "Help > yOZ Help"
alice key "$all" ctrl+W || fail "Ctrl+W"
status_is 'Away from desk' || fail "the key after Help > yOZ Help"
no_more_pages "no viewer"
exit_board
echo "ok: with no viewer Help > yOZ Help opens the contents page"

# The wizard of a first start: its Help opens the installation page; the wizard goes on answering.
WINEPREFIX=$M wine reg delete 'HKCU\Software\QDSoftware\yOZ' /v yOZDBasePath /f >/dev/null 2>&1
wiz='Database Wizard'
start_board
alice wait "$wiz" 30000 || fail "no wizard"
alice click-button "$wiz" '&Help' || fail "the wizard's Help"
page Installation.html "the wizard's Help"
alice click-button "$wiz" 'Join Existing Database' && alice click-button "$wiz" '&Next' && alice click-button "$wiz" '&Next' \
  || fail "Next after Help"
alice wait 'Join yOZ Database' 20000 || fail "the wizard after Help"
shot wizard
no_more_pages "the wizard"
echo "ok: the wizard's Help opens the installation page"
