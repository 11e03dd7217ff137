#!/usr/bin/env bash
# The scripts' driver runner: a driver command that fails in its own code fails once, as it is; a
# program that Wine ends before its own code runs is started again, at most twice, each start noted.
# One machine (a copy of the test prefix); no window is shown.
set -euo pipefail
build=$1
tag=driverrunner
source "$(dirname "$0")/onemachine.sh"

rc=0
drive alice box 'No such box' 100 || rc=$?
[ "$rc" = 1 ] || fail "a failing driver command ended with $rc"
compgen -G "$out/wine-start-*.log" >/dev/null && fail "a driver command that ran and failed was started again"
echo "ok: a driver command that fails is not started again"

# A driver Wine cannot find: it never starts, so its start is never marked.
bin=$out/no-such-folder
rc=0
wine_driver "$M" alice 60 box 'No such box' 100 2>/dev/null || rc=$?
[ "$rc" != 0 ] || fail "a program Wine could not start counted as a success"
[ "$(compgen -G "$out/wine-start-*.log" | wc -l)" = 3 ] || fail "starts noted: $(cat "$out"/wine-start-*.log)"
echo "ok: a program that never ran is started three times in all, each noted"
