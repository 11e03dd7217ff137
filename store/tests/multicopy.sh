#!/usr/bin/env bash
# Two machines on one share: the test prefix is machine A (login ALICE), a copy of it with its own
# wineserver is machine B (login BOB); both use the folder T:\multicopy-share\ (T: is the build
# folder in both). Each step is one run of the step program as that login on that machine.
set -euo pipefail
exe=$1
build=$2
A=$WINEPREFIX
B=$build/wineprefix-machine-b
host_share=$build/multicopy-share
export YOZ_SHARE='T:\multicopy-share\'
rm -rf "$host_share" "$B"
mkdir -p "$host_share"
# Machine B: a copy of A without the user profiles (the other test programs keep writing temporary
# files there while this runs); a file that vanishes during the copy does not matter.
mkdir -p "$B/drive_c/users"
for item in "$A"/* "$A"/.??*; do
  [ "$(basename "$item")" = drive_c ] || cp -a "$item" "$B/" 2>/dev/null || true
done
for item in "$A"/drive_c/*; do
  [ "$(basename "$item")" = users ] || cp -a "$item" "$B/drive_c/" 2>/dev/null || true
done
[ -f "$B/system.reg" ] && [ -d "$B/drive_c/windows/system32" ] || { echo "could not copy the prefix"; exit 1; }
WINEPREFIX=$B wineserver -p
# Each step's output in a file of its own: two steps run at once at the end.
logs=$(mktemp -d)
trap 'WINEPREFIX=$B wineserver -k 2>/dev/null || true; rm -rf "$B" "$host_share" "$logs"' EXIT

step() {  # step <machine prefix> <login> <step> [VAR=value...]
  local prefix=$1 login=$2 name=$3 log=$logs/$2-$3.log
  shift 3
  if ! env "$@" WINEPREFIX="$prefix" USER="$login" wine "$exe" --gtest_color=no --gtest_also_run_disabled_tests \
      --gtest_filter="Step.DISABLED_$name" >"$log" 2>&1 </dev/null || ! grep -q "PASSED  \] 1 test" "$log"; then
    cat "$log"
    echo "step $name as $login failed"
    exit 1
  fi
  echo "ok: $login $name"
}

step "$A" alice RegisterFirst
step "$B" bob FirstRunSettings
step "$B" bob RegisterSecond
step "$B" bob ChangeOwnStatus YOZ_STATUS="At lunch"
step "$A" alice SeeBoard YOZ_OTHER=BOB YOZ_STATUS="At lunch"
step "$A" alice AdminChangesOther YOZ_OTHER=BOB YOZ_STATUS="Gone home"
step "$B" bob SeeOwnStatus YOZ_STATUS="Gone home"
step "$A" alice CheckTextLog YOZ_OTHER=BOB
step "$A" alice SendMessage YOZ_OTHER=BOB
step "$B" bob ReadMessage YOZ_OTHER=ALICE
step "$A" alice UseCsvLog
step "$A" alice ChangeOwnStatus YOZ_STATUS="DND"
step "$B" bob ChangeOwnStatus YOZ_STATUS="Available"
step "$A" alice CheckCsvLog YOZ_OTHER=BOB
# Both machines at once on the configuration file: each writes its own record and reads whatever is
# there; then A holds the file in the middle of a write while B reads.
at_once() {  # at_once <step on A> <step on B> [VAR=value...]
  local first=$1 second=$2
  shift 2
  step "$A" alice "$first" YOZ_MARK=a "$@" &
  local a=$!
  step "$B" bob "$second" YOZ_MARK=b "$@" &
  local b=$!
  wait $a
  wait $b
}
at_once ConfigTraffic ConfigTraffic
at_once ConfigHeldMidWrite ConfigReadWhileHeld
echo "two machines: all steps passed"
