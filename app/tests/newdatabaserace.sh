#!/usr/bin/env bash
# Four machines meeting a new database at the same moment, round after round: on an empty share all
# four register at once (the user file is made by one of them), then all four send the database's
# first message at once (the message file likewise). Every copy must go on with what another made
# meanwhile: no failure, each login registered once, one administrator, every message stored. Four
# copies of the test prefix, each with its own wineserver, the share mapped as Y: on all; a file on
# the share starts each step on all four at once (YOZDRIVE_GO), made once each of them has said it is
# waiting for it (YOZDRIVE_READY, a file of its own in the log folder, drive T: being the build folder).
set -euo pipefail
build=$1
bin=$build/bin
out=$build/app-newdatabaserace
source "$(dirname "$0")/checks.sh"
share=$build/app-newdatabaserace-share
rounds=${YOZ_RACE_ROUNDS:-12}
logins=(alice bob carol dave)
machines=()
rm -rf "$out" "$share"
mkdir -p "$out" "$share"
for i in 1 2 3 4; do
  m=$build/wineprefix-race-$i
  end_wineserver "$m"
  rm -rf "$m"
  cp -a "$WINEPREFIX" "$m"
  ln -sfn "$share" "$m/dosdevices/y:"
  WINEPREFIX=$m wineserver -p
  machines+=("$m")
done
cleanup() {
  local m
  for m in "${machines[@]}"; do end_wineserver "$m"; done
  rm -rf "${machines[@]}" "$share"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  for f in "$out"/*.err; do [ -s "$f" ] && { echo "--- $f"; cat "$f"; }; done
  exit 1
}
drive() {  # drive <n> <args...>: on machine n as its login
  wine_driver "${machines[$1]}" "${logins[$1]}" 120 "${@:2}"
}
# at_once <round> <step> <args>: the command on all four machines, released together, with @ standing
# for the next machine's login and % for the machine's own; fails when any of them failed.
at_once() {
  local round=$1 step=$2 i pids=() status=0
  shift 2
  rm -f "$share/go" "$out"/ready-*
  for i in 0 1 2 3; do
    local to=${logins[$(((i + 1) % 4))]^^} me=${logins[$i]^^} args=() a
    for a in "$@"; do
      a=${a//@/$to}
      args+=("${a//%/$me}")
    done
    YOZDRIVE_GO='Y:\go' YOZDRIVE_READY="T:\\app-newdatabaserace\\ready-$i" drive "$i" "${args[@]}" >/dev/null \
      2>"$out/$round-$step-${logins[$i]}.err" &
    pids+=($!)
  done
  # Released once every driver is up and waiting (each gives up waiting after 30 s).
  local end=$((SECONDS + 30))
  while [ "$(ls "$out" | grep -c '^ready-')" -lt 4 ] && [ "$SECONDS" -lt "$end" ]; do sleep 0.05; done
  [ "$(ls "$out" | grep -c '^ready-')" -eq 4 ] || echo "round $round, $step: not every driver said it was waiting" >&2
  : >"$share/go"
  for i in "${!pids[@]}"; do wait "${pids[$i]}" || status=1; done
  return $status
}

for round in $(seq "$rounds"); do
  find "$share" -mindepth 1 -delete
  at_once "$round" register churn 'Y:\' X 0 1 0 || fail "round $round: a registration failed"
  [ "$(drive 0 dump 'Y:\' users | sort | tr '\n' ' ')" = "ALICE BOB CAROL DAVE " ] \
    || fail "round $round: users $(drive 0 dump 'Y:\' users | tr '\n' ' ')"
  admins=0
  for l in ALICE BOB CAROL DAVE; do admins=$((admins + $(drive 0 user 'Y:\' "$l" | cut -d'|' -f3))); done
  [ "$admins" -eq 1 ] || fail "round $round: $admins administrators"
  at_once "$round" send send 'Y:\' @ % first 'the first message' || true
  failed=$(cat "$out/$round-send-"*.err)
  [ -z "$failed" ] || fail "round $round: sends failed: $failed"
  [ "$(drive 0 dump 'Y:\' messages | grep -c '^first$')" -eq 4 ] \
    || fail "round $round: $(drive 0 dump 'Y:\' messages | grep -c '^first$') of 4 first messages stored"
done
echo "new database race: $rounds rounds, four machines registering and sending the first message at once"
