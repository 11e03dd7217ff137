# Sourced by the scripts that drive the real board: a failure with its screenshot and logs, screenshots,
# and waiting for what a command shows. Needs out (the folder for logs and screenshots).
fail() {
  echo "FAILED: $*"
  import -window root "$out/failure.png" 2>/dev/null || true
  for f in "$out"/*.log; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done
  exit 1
}
shot() { sleep 0.5; import -window root "$out/$1.png" 2>/dev/null || true; }
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
