#!/usr/bin/env bash
# --read-device and --apply-profile against the emulated keyboard over the virtual bus: the
# bytes printed are the emulator's memory, a full run leaves no bad and no unframed request,
# an injected key-table failure makes --apply-profile fail, and the exit codes hold.
set -uo pipefail
skelmora="$1"
emu="$2"
work="$(mktemp -d)"
source "$(dirname "$0")/../lib/emulator_console.sh"
e2e_home
program_pid=""
trap e2e_cleanup EXIT
start_bus "$emu"

send "plug keyboard"

# Read back: what the emulator holds.
[ "$(run --read-device keyboard)" = 0 ] || fail "--read-device did not exit 0"
area keyboard info 5 1; positions=$((16#$hex))
[ "$positions" -eq 126 ] || fail "the emulated keyboard has $positions positions"
area keyboard info 0 34; [ "$(line_of info)" = "$hex" ] || fail "info differs"
area keyboard factory 0 $((3 * positions)); [ "$(line_of keytable)" = "$hex" ] || fail "keytable differs"
area keyboard second 0 "$positions"; [ "$(line_of second)" = "$hex" ] || fail "second table differs"
area keyboard params 0 1; active=$((16#$hex))
[ "$(line_of active-profile)" = "$active" ] || fail "active profile differs"
area keyboard params $((active * 25)) 26; [ "$(line_of params)" = "$hex" ] || fail "params differ"
area keyboard status 0 6; [ "$(line_of status)" = "${hex:0:6}00${hex:8:4}" ] || fail "status differs"

# The profile as the program keeps it, written back: a profile switch's steps.
[ "$(run --apply-profile keyboard)" = 0 ] || fail "--apply-profile did not exit 0"
expect_lines "step parameters 1" "step macros 1" "step keytable 1" "applied keyboard ok"
stats_clean keyboard

# The third key-table chunk refused: the write fails and so does the command.
send "fault keyboard 09 2 status-fe"
[ "$(run --apply-profile keyboard)" = 1 ] || fail "--apply-profile under a fault did not exit 1"
grep -qxF "step keytable -103" "$work/out" || fail "the key table step did not fail with -103"
grep -qxF "applied keyboard failed" "$work/out" || fail "no 'applied keyboard failed'"
send "clear-faults keyboard"

# Wrong kind, no device: 2.
[ "$(run --read-device toaster)" = 2 ] || fail "an unknown kind did not exit 2"
send "unplug keyboard"
[ "$(run --read-device keyboard)" = 2 ] || fail "no keyboard did not exit 2"
send "plug keyboard"

# A running program owns the devices: 3.
"$skelmora" >"$work/program.log" 2>&1 &
program_pid=$!
for _ in $(seq 1 100); do
  ls "$work/run"/*.lock >/dev/null 2>&1 && break
  find "$work/run" -name '*lock*' | grep -q . && break
  sleep 0.05
done
sleep 0.5
[ "$(run --read-device keyboard)" = 3 ] || fail "a running program did not give 3"
kill "$program_pid"; wait "$program_pid" 2>/dev/null; program_pid=""
echo "PASS"
