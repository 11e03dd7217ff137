#!/usr/bin/env bash
# Every status change one machine makes shows on the other machine's board, and each new message is
# announced once on each machine it is for. Two copies of the test
# prefix, each with its own wineserver, share a board of a thousand users (Y: on both) with a board
# period of one second; each runs the real board (ALICE's on machine 1, BOB's on machine 2). A driver on
# one machine changes its login's status at random moments of the period, now and then two or three
# times in a row, and the driver on the other machine waits for each change on its own board before
# asking for the next; then the machines swap. Every change must show; nothing else writes meanwhile, so
# a change a board missed would never show. YOZ_CHANGES sets the number of changes each way, YOZ_PERIOD
# the board period in seconds.
set -euo pipefail
build=$1
tag=changesseen
source "$(dirname "$0")/machines.sh"
changes=${YOZ_CHANGES:-100}
period=${YOZ_PERIOD:-1}  # the board period in seconds
seed=${YOZ_SEED:-$(date +%s)}
echo "seed $seed (YOZ_SEED repeats a run)"

# The notes the two drivers pass each other, on a drive of its own on both machines.
notes=$out/notes
mkdir -p "$notes"
for m in "$M1" "$M2"; do ln -sfn "$notes" "$m/dosdevices/x:"; done

period_line=$(printf '"UpdateDisplayTime"=dword:%08x' "$period")
settings "$M1" 560 460 "$period_line"
settings "$M2" 860 300 "$period_line"
users=('ALICE:1::' 'BOB:0::')
for i in $(seq -w 1 998); do users+=("U$i:0:Department $((10#$i % 12)):"); done
drive "$M1" alice seed 'Y:\' "${users[@]}" || fail "seeding a board of a thousand users"

start_board 1 1 OK
start_board 2 2 OK
boards_up
until_shows '^ALICE\|Available\|' bob board "$all" || fail "board 2 does not show ALICE"

# New messages: each one announced once, at the board's first look after it came, on both machines
# alike, whatever the user did after answering the box. U001 (no board) writes to both.
announced() { grep -c '^Information|OK|OK|You have a new yOZ message$' "$out/dialogs-$1.log" 2>/dev/null || true; }
announced_on_both() { [ "$(announced 1)" = "$1" ] && [ "$(announced 2)" = "$1" ]; }
to_both() {
  drive "$M1" alice send 'Y:\' ALICE U001 "$1" "$2" && drive "$M1" alice send 'Y:\' BOB U001 "$1" "$2" \
    || fail "sending \"$1\""
}
to_both 'First' 'one'
until_true announced_on_both 1 || fail "the first message announced $(announced 1) and $(announced 2) times"
# Bob opens Send Message and closes it unsent; Alice does nothing. The second message comes to both.
bob dblclick-row "$all" U001 || fail "double-clicking a row"
bob wait 'Send Message...' 20000 || fail "no Send Message... dialog"
bob close-box 'Send Message...' || fail "closing the send dialog"
bob gone 'Send Message...' 20000 || fail "the send dialog stayed open"
to_both 'Second' 'two'
until_true announced_on_both 2 || fail "the second message announced $(announced 1) and $(announced 2) times"
# A message between two others, then F5 on both boards (which looks at the message file at once):
# nothing new for Alice or Bob, nothing announced.
drive "$M1" alice send 'Y:\' U002 U001 'Not yours' 'three' || fail "sending to U002"
alice key "$all" F5 || fail "F5 on board 1"
bob key "$all" F5 || fail "F5 on board 2"
announced_on_both 2 || fail "announced again: $(announced 1) and $(announced 2) boxes"
to_both 'Third' 'four'
until_true announced_on_both 3 || fail "the third message announced $(announced 1) and $(announced 2) times"
echo "ok: each new message announced once on both machines"

# follow <watching machine> <its login> <writing machine> <its login> <seed>: the writing machine's
# driver changes its login's status, the watching machine's board must show every change.
follow() {
  rm -f "$notes"/*
  logged_driver "$3" "$4" 900 changer 'Y:\' 'X:\' "$all" &
  local changer=$! result=0
  pids+=("$changer")
  logged_driver "$1" "$2" 900 follow "$all" "${4^^}" 'X:\' "$changes" $((period * 1000)) "$5" || result=1
  wait "$changer" || result=1
  return $result
}
follow "$M1" alice "$M2" bob "$seed" || fail "board 1 missed changes made on machine 2"
echo "ok: board 1 showed each of $changes changes made on machine 2"
follow "$M2" bob "$M1" alice "$((seed + 1))" || fail "board 2 missed changes made on machine 1"
echo "ok: board 2 showed each of $changes changes made on machine 1"
echo "changes seen: all checks passed"
