#!/usr/bin/env bash
# A keyboard profile linked to a program, with the program running and the emulated keyboard
# in the program: without a display the /proc rule applies, so the linked profile becomes the
# active one ("profileselect") when the test program starts, and the earlier one comes back
# when it ends.
set -uo pipefail
skelmora="$1"
work="$(mktemp -d)"
source "$(dirname "$0")/../lib/emulator_console.sh"
e2e_home
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
unset DISPLAY WAYLAND_DISPLAY
program_pid=""
linked_pid=""
cleanup() {
  [ -n "$linked_pid" ] && kill "$linked_pid" 2>/dev/null
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$work/log" ] && tail -20 "$work/log"; exit 1; }

folder="$work/data/TELMA QX-418GRY Device/keyboard"
mkdir -p "$folder"
cat >"$folder/ProfileList.ini" <<'LIST'
{"profileselect":0,"profilelist":[
 {"profilename":"desk","profileUUID":"desk","profileislink":false,"profilelinkmame":""},
 {"profilename":"game","profileUUID":"game","profileislink":true,
  "profilelinkmame":"skelmora-linked-test"}]}
LIST
# The test program: a copy of sleep under the linked name.
cp "$(command -v sleep)" "$work/skelmora-linked-test"

# The line of the active profile in --profiles keyboard.
active() { "$skelmora" --profiles keyboard | awk -F'\t' '$4 == "active" { print $2 }'; }
# Waits up to 30 s for the active profile to be $1.
wait_active() {
  for _ in $(seq 1 300); do
    [ "$(active)" = "$1" ] && return 0
    sleep 0.1
  done
  fail "the active profile stayed '$(active)', not '$1' ($2)"
}

"$skelmora" --emulate keyboard >"$work/log" 2>&1 &
program_pid=$!
for _ in $(seq 1 100); do
  ls "$work/run" 2>/dev/null | grep -qi lock && break
  sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null || fail "the program did not start"
[ "$(active)" = desk ] || fail "desk is not active at the start"

"$work/skelmora-linked-test" 300 &
linked_pid=$!
wait_active game "the linked program started"
kill "$linked_pid"
wait "$linked_pid" 2>/dev/null
linked_pid=""
wait_active desk "the linked program ended"
kill -0 "$program_pid" 2>/dev/null || fail "the program ended"
echo "profile links ok"
