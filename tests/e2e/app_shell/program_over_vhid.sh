#!/usr/bin/env bash
# The real program, offscreen, against the emulator's bus: discovery finds, attaches, hides
# and reconnects devices as they are plugged; a second start only wakes the first; a
# terminate signal tears everything down.
set -uo pipefail
skelmora="$1"
emu="$2"
work="$(mktemp -d)"
source "$(dirname "$0")/../lib/emulator_console.sh"
e2e_home
program_log "skelmora.discovery.debug=true;skelmora.app.debug=true;skelmora.device.debug=true"
trap e2e_cleanup EXIT

start_bus "$emu"
count() { grep -c -F -- "$1" "$log" || true; }

"$skelmora" >"$log" 2>&1 &
program_pid=$!

# No device: the product-string message after the first pass, once, and the no-device link.
wait_for "软件标示 49152"
wait_for "No_device_Link shown"
sleep 0.3
[ "$(count "软件标示 49152")" -eq 1 ] || fail "product-string message not posted exactly once"

# The keyboard: both interfaces found, command channel in mode 1, event channel, item shown.
send "plug keyboard"
wait_for "添加一个键盘设备" 2
wait_for "command interface of row 0 open: mode 1"
wait_for "event interface of row 1 open"
wait_for "selector item 1 shown"
wait_for "No_device_Link hidden"
[ "$(count "created keyboard")" -eq 1 ] || fail "the keyboard object was not the one made at start"

# Unplugged: two losses, the item hidden, the object kept.
send "unplug keyboard"
wait_for "删除一个键盘设备" 2
wait_for "selector item 1 hidden"
wait_for "No_device_Link shown" 2

# Back: the same object reconnects.
send "plug keyboard"
wait_for "command interface of row 0 open: mode 1" 2
wait_for "selector item 1 shown" 2
[ "$(count "created keyboard")" -eq 1 ] || fail "a second keyboard object was made"

# The headset is made at its first arrival and gets no channel mode.
send "plug headset"
wait_for "created HD for row 10"
wait_for "command interface of row 10 open: no mode"

# A second start makes no window and wakes the first.
XDG_RUNTIME_DIR="$work/run" timeout 20 "$skelmora" >"$work/second.log" 2>&1
second=$?
[ "$second" -eq 0 ] || { cat "$work/second.log"; fail "second start exited $second"; }
wait_for "软件标示 49152，01"
grep -q "created keyboard" "$work/second.log" && fail "the second start built devices"

# A terminate signal closes the window and stops every thread.
kill -TERM "$program_pid"
for _ in $(seq 1 100); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not end on SIGTERM"
wait "$program_pid"
status=$?
program_pid=""
[ "$status" -eq 0 ] || fail "the program exited $status"
wait_for "抓取设备线程设定退出"
grep -q "ERROR: AddressSanitizer\|runtime error:\|LeakSanitizer" "$log" && fail "sanitizer report"
send "quit"
exit 0
