# Sourced by the scripts that drive the real board: a failure with its screenshot and logs, screenshots,
# and waiting for what a command shows. Needs out (the folder for logs and screenshots).
fail() {
  echo "FAILED: $*"
  import -window root "$out/failure.png" 2>/dev/null || true
  for f in "$out"/*.log; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done
  exit 1
}
# drive_log: a file of its own for one driver command's complaints (driver commands may run at once,
# so none shares a file with another); the names sort in the order the commands started. The caller
# removes it again when it stayed empty.
drive_log() {
  printf '%s/driver-%s-%s.log\n' "$out" "$(date +%s%N)" "$BASHPID"
}
# wine_driver <prefix> <login> <limit s> <args...>: one driver command on that machine, its output
# on stdout and its complaints on stderr, its exit status returned. Under a loaded parallel run Wine
# now and then ends a program it was asked to start before the program's own code runs, with status
# 1 and no output. The driver marks a file of the prefix first thing; a run that ended without the
# mark never started (it did nothing) and is started again, at most twice, noted in a file
# wine-start-<time>-<pid>.log of the output folder. A run that started and failed is the command's
# failure, as is one that never ended.
wine_driver() {
  local m=$1 login=$2 limit=$3 mark rc try
  shift 3
  mark=yozdrive-started-$(date +%s%N)-$BASHPID
  for try in 1 2 3; do
    {
      WINEPREFIX=$m USER=$login YOZDRIVE_STARTED="C:\\$mark" timeout -k 5 "$limit" wine "$bin/yozdrive.exe" "$@" \
        | tr -d '\r'
      rc=${PIPESTATUS[0]}
    } || true
    if [ "$rc" = 0 ] || [ "$rc" = 124 ] || [ "$rc" = 137 ] || [ -e "$m/drive_c/$mark" ]; then break; fi
    echo "yozdrive $* ended with $rc before its own code ran (try $try)" >"$out/wine-start-$(date +%s%N)-$BASHPID.log"
  done
  rm -f "$m/drive_c/$mark"
  return "$rc"
}
# logged_driver <prefix> <login> <limit s> <args...>: wine_driver with the command's complaints in a
# log of its own (drive_log), kept only when not empty; a run stopped at the limit or failing without
# a word says so there.
logged_driver() {
  local m=$1 login=$2 limit=$3 log rc
  shift 3
  log=$(drive_log)
  wine_driver "$m" "$login" "$limit" "$@" 2>"$log"
  rc=$?
  if [ "$rc" = 124 ] || [ "$rc" = 137 ]; then echo "watchdog: yozdrive $* did not end within $limit s" >>"$log"; fi
  if [ "$rc" != 0 ] && [ ! -s "$log" ]; then echo "yozdrive $* ended with $rc and said nothing" >>"$log"; fi
  [ -s "$log" ] || rm -f "$log"
  return "$rc"
}
# end_wineserver <prefix>: ends the prefix's wineserver and waits until it has gone (wineserver -k
# only asks it to end), so that a prefix removed and made again at the same place never meets the
# old server still on its way out. Nothing to do for a prefix that is not there.
end_wineserver() {
  [ -d "$1" ] || return 0
  WINEPREFIX=$1 wineserver -k 2>/dev/null || true
  WINEPREFIX=$1 wineserver -w 2>/dev/null || true
}
# A screenshot is evidence only: the pause lets the screen catch up with the last step, and no check
# relies on it.
shot() { sleep 0.5; import -window root "$out/$1.png" 2>/dev/null || true; }
# Waits until the command's output matches the pattern (grep -E), 30 seconds at most: what one machine
# did shows on the other, and a click's effect, only once the program there has got round to it.
until_shows() {
  local pattern=$1 end=$((SECONDS + 30)) text
  shift
  while :; do
    text=$("$@" 2>/dev/null) && grep -Eq "$pattern" <<<"$text" && return 0
    [ "$SECONDS" -lt "$end" ] || break
    sleep 0.2
  done
  echo "last output of $*:"
  "$@" || true
  return 1
}
# Waits until the command's output no longer matches the pattern (or the command fails, as a look-up
# of a deleted record does), 30 seconds at most.
until_gone() {
  local pattern=$1 end=$((SECONDS + 30)) text
  shift
  while :; do
    text=$("$@" 2>/dev/null) && grep -Eq "$pattern" <<<"$text" || return 0
    [ "$SECONDS" -lt "$end" ] || break
    sleep 0.2
  done
  echo "last output of $*:"
  "$@" || true
  return 1
}
# Waits until the command succeeds, 30 seconds at most.
until_true() {
  local end=$((SECONDS + 30))
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.2
  done
}
# Waits until the process has ended, 30 seconds at most; fails while it still runs.
until_ended() {
  local end=$((SECONDS + 30))
  while kill -0 "$1" 2>/dev/null; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.2
  done
}
