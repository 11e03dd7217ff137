# Sourced by the two-machine scripts: two copies of the test prefix sharing one folder, mapped as drive
# Y: on both, each machine with its own wineserver; and the helpers that start, drive and check them.
# Before sourcing set build (the build folder) and tag; sets bin, out (<build>/app-<tag>, for logs and
# screenshots), share, M1, M2 and pids (programs to end at exit).
bin=$build/bin
out=$build/app-$tag
share=$build/app-$tag-share
M1=$build/wineprefix-$tag-1
M2=$build/wineprefix-$tag-2
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
  for m in "$M1" "$M2"; do WINEPREFIX=$m wineserver -k 2>/dev/null || true; done
  rm -rf "$M1" "$M2" "$share"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  import -window root "$out/failure.png" 2>/dev/null || true
  for f in "$out"/*.log; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done
  exit 1
}
shot() { sleep 0.5; import -window root "$out/$1.png" 2>/dev/null || true; }
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
  local m=$1 login=$2 rc
  shift 2
  WINEPREFIX=$m USER=$login timeout -k 5 "$drive_limit" wine "$bin/yozdrive.exe" "$@" 2>>"$out/driver.log" | tr -d '\r'
  rc=${PIPESTATUS[0]}
  if [ "$rc" = 124 ] || [ "$rc" = 137 ]; then echo "watchdog: yozdrive $* did not end within $drive_limit s" >>"$out/driver.log"; fi
  return "$rc"
}
# Waits until the command's output matches the pattern (grep -E), 15 seconds at most: what one machine
# did shows on the other, and a click's effect, only once the program there has got round to it.
until_shows() {
  local pattern=$1 i text
  shift
  for i in $(seq 75); do
    text=$("$@" 2>/dev/null) && grep -Eq "$pattern" <<<"$text" && return 0
    sleep 0.2
  done
  echo "last output of $*:"
  "$@" || true
  return 1
}
# Waits until the command's output no longer matches the pattern (or the command fails, as a look-up
# of a deleted record does), 15 seconds at most.
until_gone() {
  local pattern=$1 i text
  shift
  for i in $(seq 75); do
    text=$("$@" 2>/dev/null) && grep -Eq "$pattern" <<<"$text" || return 0
    sleep 0.2
  done
  echo "last output of $*:"
  "$@" || true
  return 1
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
