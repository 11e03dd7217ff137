#!/usr/bin/env bash
# Two machines writing to one share at once: two copies of the test prefix, each with its own
# wineserver, the folder mapped as Y: on both. On each machine two logins change their status, send
# messages to a login on the other machine and rewrite "yOZ.cfg" as fast as they can, first with the
# text log, then with the comma-separated log. Afterwards the share must be whole: every data set
# passes SQLite's integrity check, no login is registered twice, every message sent is stored
# exactly once, every log line is whole, each user's from/to chain runs unbroken through both logs,
# and "yOZ.cfg" is one record.
set -euo pipefail
build=$1
tag=concurrent
source "$(dirname "$0")/machines.sh"
seconds=${YOZ_CHURN_SECONDS:-12}
# Failures show the writers' own error output.
fail() {
  echo "FAILED: $*"
  for f in "$out"/*.err; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done
  exit 1
}
drive() {  # drive <machine> <login> <args...>, stopped after two minutes
  local m=$1 login=$2
  shift 2
  wine_driver "$m" "$login" 120 "$@"
}

# Everyone registered and the message file made before the rush.
for who in "$M1 alice" "$M1 carol" "$M2 bob" "$M2 dave"; do
  set -- $who
  drive "$1" "$2" churn 'Y:\' X 0 1 0 >/dev/null 2>>"$out/setup.err" || fail "registering $2"
done
drive "$M1" alice send 'Y:\' BOB ALICE seed 'the first message' || fail "the first message"

# phase <logtype>: four writers on two machines at once. Each writer keeps what it sent in a file of its
# own: output of several processes appended to one file interleaves at buffer boundaries.
phase() {
  local type=$1 who m login other mark=0
  pids=()
  for who in "$M1 alice BOB" "$M1 carol DAVE" "$M2 bob ALICE" "$M2 dave CAROL"; do
    set -- $who
    mark=$((mark + 1))
    drive "$1" "$2" churn 'Y:\' "$3" "$seconds" "$type" $((64 + mark)) >"$out/sent-$type-$2.txt" 2>>"$out/$2.err" &
    pids+=($!)
  done
  local p status=0
  for p in "${pids[@]}"; do wait "$p" || status=1; done
  pids=()
  return $status
}
phase 1 || fail "writers with the text log reported errors"
phase 2 || fail "writers with the comma-separated log reported errors"
cat "$out"/sent-[12]-*.txt >"$out/sent.txt"
cat "$out"/*.err
echo "ok: four writers on two machines, $seconds s with each log"

for f in "$share"/*.isd; do
  [ "$(sqlite3 "$f" 'PRAGMA integrity_check')" = ok ] || fail "$(basename "$f") fails the integrity check"
done
echo "ok: every data set passes the integrity check"

drive "$M1" alice dump 'Y:\' users | sort >"$out/users.txt" || fail "reading the user file"
[ "$(cat "$out/users.txt" | tr '\n' ' ')" = "ALICE BOB CAROL DAVE " ] || fail "users: $(cat "$out/users.txt" | tr '\n' ' ')"
echo "ok: each login registered once"

drive "$M1" alice dump 'Y:\' messages | sort >"$out/messages.txt" || fail "reading the message file"
sed -n 's/^sent //p' "$out/sent.txt" | sort >"$out/sent-subjects.txt"
[ -n "$(uniq -d "$out/messages.txt")" ] && fail "messages stored twice: $(uniq -d "$out/messages.txt" | head -3)"
[ "$(grep -vx seed "$out/messages.txt")" = "$(cat "$out/sent-subjects.txt")" ] \
  || fail "messages sent and stored differ: $(diff <(grep -vx seed "$out/messages.txt") "$out/sent-subjects.txt" | head -5)"
echo "ok: $(wc -l <"$out/sent-subjects.txt") messages sent, each stored exactly once"

txt=$share/yOZLog.txt
csv=$share/yOZLog.csv
[ "$(head -1 "$txt" | tr -d '\r')" = "$(printf '%.0s*' $(seq 60))" ] || fail "the text log does not begin with its banner"
[ "$(grep -c '^\*\{60\}' "$txt")" -eq 2 ] || fail "the text log's banner is there more than once"
for f in "$txt" "$csv"; do
  [ "$(grep -c $'\r$' "$f")" -eq "$(wc -l <"$f")" ] || fail "$(basename "$f") has lines without CR LF"
done
entry='^.+ \(([A-Z]+)\) status changed from "([^"]*)" to "([^"]*)"$'
bad=$(tail -n +7 "$txt" | tr -d '\r' | grep -Evc "$entry" || true)
[ "$bad" -eq 0 ] || fail "$bad broken lines in the text log: $(tail -n +7 "$txt" | tr -d '\r' | grep -Ev "$entry" | head -3)"
[ "$(head -1 "$csv" | tr -d '\r')" = '"Date/Time","Name","LogInName","From Status","To Status"' ] \
  || fail "the CSV log does not begin with its header"
[ "$(grep -c 'Date/Time' "$csv")" -eq 1 ] || fail "the CSV header is there more than once"
row='^"[^"]*","[A-Z]+","([A-Z]+)","([^"]*)","([^"]*)"$'
bad=$(tail -n +2 "$csv" | tr -d '\r' | grep -Evc "$row" || true)
[ "$bad" -eq 0 ] || fail "$bad broken rows in the CSV log: $(tail -n +2 "$csv" | tr -d '\r' | grep -Ev "$row" | head -3)"
echo "ok: $(($(wc -l <"$txt") - 6)) text lines and $(($(wc -l <"$csv") - 1)) CSV rows, all whole"

# login|from|to in the order written, the text log first.
{
  tail -n +7 "$txt" | tr -d '\r' | sed -E "s/$entry/\1|\2|\3/"
  tail -n +2 "$csv" | tr -d '\r' | sed -E "s/$row/\1|\2|\3/"
} >"$out/changes.txt"
broken=$(awk -F'|' '{ if (($1 in last) && last[$1] != $2) { print $1 ": " last[$1] " then from " $2; n++ } last[$1] = $3; c[$1]++ }
  END { for (u in c) if (c[u] < 2) print u ": only " c[u] " changes"; }' "$out/changes.txt")
[ -z "$broken" ] || fail "status chains broken: $broken"
echo "ok: each user's from/to chain runs unbroken"

[ "$(stat -c %s "$share/yOZ.cfg")" -eq 33 ] || fail "yOZ.cfg holds $(stat -c %s "$share/yOZ.cfg") bytes"
echo "ok: yOZ.cfg is one record"
echo "concurrent writers: all checks passed"
