#!/usr/bin/env bash
# The real program: a lock left behind unreadable is taken over; a start changes no file of the
# user; a second start that cannot wake the first says so and fails; --screenshot while an
# instance runs exits 3 with one line; empty option values are usage errors naming the option.
set -uo pipefail
skelmora="$1"
work="$(mktemp -d)"
source "$(dirname "$0")/../lib/emulator_console.sh"
e2e_home
program_log
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && { kill -CONT "$program_pid"; kill -9 "$program_pid"; } 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Usage errors: exit 2 and the option named.
while IFS='|' read -r args expected; do
  eval "set -- $args"
  err="$("$skelmora" --emulate keyboard "$@" 2>&1 >/dev/null)"; status=$?
  [ "$status" -eq 2 ] || fail "'$args' exited $status, not 2"
  echo "$err" | grep -q -F -- "$expected" || fail "'$args' said '$err', not '$expected'"
done <<'CASES'
--exchange ""|--exchange needs a value
--screenshot ""|--screenshot needs a value
--after-ms " 5"|--after-ms
--exchange|--exchange needs a value
CASES

# An empty lock file (a crash while it was written) and a settings file with a bad line.
: >"$work/run/TELMA_QX-418GRY_Device.lock"
printf '[General]\nLANGUAGE=1033\nnot a setting\n' >"$work/config/TELMA QX-418GRY Device.conf"
cp "$work/config/TELMA QX-418GRY Device.conf" "$work/settings.before"

"$skelmora" --emulate keyboard >"$log" 2>&1 &
program_pid=$!
wait_for "软件标示 49152"
cmp -s "$work/settings.before" "$work/config/TELMA QX-418GRY Device.conf" || fail "the start rewrote the settings file"
[ ! -e "$work/config/TELMA QX-418GRY Device.conf.bad" ] || fail "the start copied the settings file"

# --screenshot while the instance runs: exit 3, one line.
err="$("$skelmora" --emulate keyboard --screenshot "$work/shot.png" 2>&1 >/dev/null)"; status=$?
[ "$status" -eq 3 ] || fail "--screenshot with an instance running exited $status"
[ "$(echo "$err" | wc -l)" -eq 1 ] && echo "$err" | grep -q -- "--screenshot" || fail "--screenshot said '$err'"
[ ! -e "$work/shot.png" ] || fail "a screenshot was written"

# A second start wakes the first and ends well.
"$skelmora" --emulate keyboard >/dev/null 2>&1 || fail "a second start that woke the first failed"

# The first cannot answer: the second says so and fails.
kill -STOP "$program_pid"
err="$("$skelmora" --emulate keyboard 2>&1 >/dev/null)"; status=$?
kill -CONT "$program_pid"
[ "$status" -ne 0 ] || fail "a second start that could not wake the first exited 0"
echo "$err" | grep -q "cannot be woken" || fail "no word on stderr: '$err'"

kill -TERM "$program_pid"
wait "$program_pid"
program_pid=""
cmp -s "$work/settings.before" "$work/config/TELMA QX-418GRY Device.conf" || fail "the run rewrote the settings file"
echo "PASS"
