# Sourced by the two-machine scripts: two copies of the test prefix sharing one folder, mapped as drive
# Y: on both, each machine with its own wineserver; and the helpers that start, drive and check them.
# Before sourcing set build (the build folder) and tag; sets bin, out (<build>/app-<tag>, for logs and
# screenshots), share, M1, M2 and pids (programs to end at exit). Machine 1 is ALICE's, machine 2 BOB's.
bin=$build/bin
out=$build/app-$tag
share=$build/app-$tag-share
M1=$build/wineprefix-$tag-1
M2=$build/wineprefix-$tag-2
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
end_wineserver "$M1"
end_wineserver "$M2"
rm -rf "$out" "$share" "$M1" "$M2"
mkdir -p "$out" "$share"
for m in "$M1" "$M2"; do
  cp -a "$WINEPREFIX" "$m"
  ln -sfn "$share" "$m/dosdevices/y:"
  # Windows straight on the shared screen: a virtual desktop per machine would cover the other's.
  sed -i '/^\[Software\\\\Wine\\\\Explorer\]/,/^$/{/^"Desktop"=/d}' "$m/user.reg"
  WINEPREFIX=$m wineserver -p
done
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for m in "$M1" "$M2"; do end_wineserver "$m"; done
  rm -rf "$M1" "$M2" "$share"
}
trap cleanup EXIT

on() {  # on <machine> <login> <program> [args...]
  local m=$1 login=$2
  shift 2
  WINEPREFIX=$m USER=$login wine "$@"
}
# drive <machine> <login> <args...>: one driver command. Each gets at most drive_limit seconds, so a
# window that stops answering fails the step with a message instead of stalling the run until ctest
# ends it.
drive_limit=90
drive() {
  local m=$1 login=$2
  shift 2
  logged_driver "$m" "$login" "$drive_limit" "$@"
}
alice() { drive "$M1" alice "$@"; }
bob() { drive "$M2" bob "$@"; }
# start_board <machine 1|2> <tag> [answers]: that machine's board (ALICE's on 1, BOB's on 2) in the
# background, its output in board-<tag>.log, its message boxes logged to dialogs-<tag>.log and
# answered with the buttons listed (else really shown). Sets board_pid.
start_board() {
  local m=$M1 login=alice
  if [ "$1" = 2 ]; then m=$M2; login=bob; fi
  local -x YOZ_DIALOG_LOG="$out/dialogs-$2.log"
  if [ $# -gt 2 ]; then local -x YOZ_DIALOG_ANSWERS=$3; fi
  on "$m" "$login" "$bin/yOZ.exe" >"$out/board-$2.log" 2>&1 &
  board_pid=$!
  pids+=("$board_pid")
}
# Both boards are up and ALICE's shows BOB.
boards_up() {
  alice wait "$all" 30000 || fail "board 1 did not come up"
  bob wait "$all" 30000 || fail "board 2 did not come up"
  until_shows '^BOB\|Available\|' alice board "$all" || fail "board 1 does not show BOB"
}
# The command's output lines joined by spaces, to compare a short list in one pattern.
joined() { "$@" | tr '\n' ' '; }
# settings <machine> <width> <height> [lines...]: a quiet board on Y:\ (fast timers, no first-run
# question, no screen saver) of that size (the window is centred: two sizes keep both in sight), and
# further registry lines; a line "nofolder" leaves the database folder unset.
settings() {
  local m=$1 w=$2 h=$3 folder='"yOZDBasePath"="Y:\\"' line
  shift 3
  {
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\QDSoftware\\yOZ]\n'
    printf '"FirstTimeRun"=dword:00000000\n"UpdateDisplayTime"=dword:00000001\n"CheckForNewMsgEvery"=dword:00000001\n'
    printf '"DetectScreenSaver"=dword:00000000\n"MainWidth"=dword:%08x\n"MainHeight"=dword:%08x\n' "$w" "$h"
    for line in "$@"; do
      if [ "$line" = nofolder ]; then folder=; else printf '%s\n' "$line"; fi
    done
    if [ -n "$folder" ]; then printf '%s\n' "$folder"; fi
  } >"$out/settings.reg"
  WINEPREFIX=$m wine regedit /S "$(WINEPREFIX=$m winepath -w "$out/settings.reg")" >/dev/null 2>&1
}
# profile <machine> <login>: the login's Windows profile (desktop, start menu), as the prefix's own
# user has it; the shell's folders of a login without one cannot be opened.
profile() {
  local own
  own=$(ls "$1/drive_c/users" | grep -vx Public | head -1)
  [ -d "$1/drive_c/users/$2" ] || cp -a "$1/drive_c/users/$own" "$1/drive_c/users/$2"
}
all='yOZ - All Departments'
