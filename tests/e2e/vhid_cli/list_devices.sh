#!/usr/bin/env bash
# The program lists the emulated keyboard's collections over the virtual HID bus, and a
# second listing shows plugging and unplugging.
set -euo pipefail
skelmora="$1"
emu="$2"
work="$(mktemp -d)"
socket="$work/bus.sock"
listing=""
fail() { echo "FAIL: $*"; echo "--- listing:"; echo "$listing"; exit 1; }
source "$(dirname "$0")/../lib/emulator_console.sh"
trap e2e_cleanup EXIT
start_emulator "$emu" "$socket"
list() { SKELMORA_HID="vhid:$socket" "$skelmora" --list-devices; }

listing="$(list)"
[ -z "$listing" ] || fail "devices listed before any was plugged"

send "plug keyboard"
listing="$(list)"
echo "$listing" | grep -q '#vid_320f&pid_5055&mi_01&col04 vid=320f pid=5055 mi=1 col=4 page=ff1c usage=92$' \
  || fail "keyboard command collection missing"
echo "$listing" | grep -q '#vid_320f&pid_5055&mi_01&col03 vid=320f pid=5055 mi=1 col=3 page=c usage=1$' \
  || fail "keyboard consumer collection missing"

send "plug headset"
listing="$(list)"
echo "$listing" | grep -q '#vid_0c76&pid_1630&mi_03 vid=c76 pid=1630 mi=3 col=0 page=c usage=1$' \
  || fail "headset missing"

send "unplug keyboard"
listing="$(list)"
! echo "$listing" | grep -q 'pid=5055' || fail "keyboard still listed after unplug"
echo "$listing" | grep -q 'pid=1630' || fail "headset lost"

# One command exchanged with the device: the device information block.
send "plug keyboard"
path="$(list | grep 'col=4' | cut -d' ' -f1)"
out="$(SKELMORA_HID="vhid:$socket" "$skelmora" --exchange "$path" 03 22)"
echo "$out" | grep -q '^result: 1 (ok)$' || { echo "$out"; fail "exchange failed"; }

# A fault injected through the emulator's console reaches the program as a result code.
send "fault keyboard 03 -1 status-fe 1"
out="$(SKELMORA_HID="vhid:$socket" "$skelmora" --exchange "$path" 03 22 || true)"
echo "$out" | grep -q '^result: -103 (status 0xFE)$' || { echo "$out"; fail "status 0xFE not reported"; }
echo "$out" | grep -q '^04 .. .. 03   22 00 00 fe' || { echo "$out"; fail "status 0xFE not in the reply"; }

# Bad input is a clear error, not a crash.
if SKELMORA_HID="vhid:$work/none.sock" "$skelmora" --list-devices 2>"$work/err"; then
  fail "listing on a missing bus succeeded"
fi
grep -q "cannot connect" "$work/err" || fail "no clear error for a missing bus"
echo "unknown" >&"${EMU[1]}"
read -r -t 10 answer <&"${EMU[0]}"
case "$answer" in error:*) ;; *) fail "unknown command answered '$answer'";; esac

send "quit"
wait "$emu_pid"
