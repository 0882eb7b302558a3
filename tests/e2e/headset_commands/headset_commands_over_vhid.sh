#!/usr/bin/env bash
# --read-device headset and --apply-profile headset against the emulated headset over the
# virtual bus: the bytes printed are the emulator's memory; applying writes the profile's light
# block at bank 0 and one LED frame that both sides show; no request is refused; a refused
# write and a bank byte past the memory fail the command.
set -uo pipefail
skelmora="$1"
emu="$2"
defaults="$3"
work="$(mktemp -d)"
source "$(dirname "$0")/../lib/emulator_console.sh"
e2e_home
trap e2e_cleanup EXIT
start_bus "$emu"

[ "$(run --read-device headset)" = 2 ] || fail "no headset did not exit 2"
send "plug headset"

# Read back: the lines are the emulator's memory.
[ "$(run --read-device headset)" = 0 ] || fail "--read-device headset did not exit 0"
area headset info 0 34; [ "$(line_of info)" = "$hex" ] || fail "info differs"
area headset params 0 1; [ "$(line_of active-profile)" = "$((16#$hex))" ] || fail "bank differs"
area headset params 0 26; [ "$(line_of params)" = "$hex" ] || fail "params differ"
area headset status 0 6; [ "$(line_of status)" = "$hex" ] || fail "status differs"
[ "$(grep -n '' "$work/out" | grep ':audio card ' | cut -d: -f1)" = 5 ] || fail "no audio lines after status"

# The profile: the shipped one with a steady light (mode 3), blue-cyan 0, 128, 255, speed 2.
profile_dir="$work/data/TELMA QX-418GRY Device/HD"
mkdir -p "$profile_dir"
sed 's/"SelectItem" : 2/"SelectItem" : 3/' "$defaults/HD.Json" >"$profile_dir/HD.Json"
grep -q '"SelectItem" : 3' "$profile_dir/HD.Json" || fail "profile not prepared"
send "set headset params 0 0008"  # the headset shows bank 0 switched off (code 8)
[ "$(run --apply-profile headset)" = 0 ] || fail "--apply-profile headset did not exit 0"
expect_lines "step parameters 1" "step leds 1" "applied headset ok"
# bank 0, code 3, brightness 4, speed 2 sent as 4 - 2, byte 4 as the headset had it, colour.
area headset params 0 21
[ "$hex" = "0003040200000080ff000000000000000000000000" ] || fail "light block: $hex"
# Both sides: every LED (0 x 255) >> 8, (128 x 255) >> 8, 255 capped at 247.
ask "dump headset leds"
expected="leds $(printf '007ff7%.0s' $(seq 26))"
[ "$answer" = "$expected" ] || fail "LEDs: $answer"
stats_clean headset " led-reports 12 led-bad 0"

# A refused parameter write fails the command with its step.
send "fault headset 06 0 status-ff"
[ "$(run --apply-profile headset)" = 1 ] || fail "--apply-profile under a fault did not exit 1"
grep -qxF "step parameters -102" "$work/out" || fail "the parameters step did not fail"
grep -qxF "applied headset failed" "$work/out" || fail "no 'applied headset failed'"
send "clear-faults headset"

# A bank byte of 200: its record would be past the 256 bytes; the read fails, nothing else.
send "set headset params 0 c8"
[ "$(run --read-device headset)" = 1 ] || fail "bank 200 did not exit 1"
grep -qxF "failed ReadParameters -102" "$work/out" || fail "not the record read: $(cat "$work/out")"
echo "PASS"
