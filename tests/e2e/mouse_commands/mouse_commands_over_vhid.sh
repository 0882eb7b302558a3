#!/usr/bin/env bash
# --read-device mouse and --apply-profile mouse against the emulated mouse and its receiver
# over the virtual bus: the bytes printed are the emulator's memory, the parameter block of the
# profile list's active entry lands in slot 0, a refused key-table chunk fails the command, the
# receiver path is taken when the cable is out, and an unlinked receiver fails at its first
# guarded step.
set -uo pipefail
skelmora="$1"
emu="$2"
work="$(mktemp -d)"
source "$(dirname "$0")/../lib/emulator_console.sh"
e2e_home
export SKELMORA_TABLE_IDS="mouse=320f:5060,mouse-receiver=320f:5061"
trap e2e_cleanup EXIT
start_bus "$emu"

send "plug mouse"
send "plug mouse-receiver"

# Read back by cable.
[ "$(run --read-device mouse)" = 0 ] || fail "--read-device mouse did not exit 0"
[ "$(line_of path)" = "wired" ] || fail "not the wired path"
area mouse info 0 34; [ "$(line_of info)" = "$hex" ] || fail "info differs"
area mouse info 5 1; entries=$((16#$hex))
area mouse keytable 0 $((3 * entries)); [ "$(line_of keytable)" = "$hex" ] || fail "keytable differs"
area mouse params 0 1; active=$((16#$hex))
[ "$(line_of active-profile)" = "$active" ] || fail "active slot differs"
area mouse params $((active * 128)) 71
[ "$(line_of params)" = "${hex:0:0}$(printf '%02x' "$active")${hex:2}" ] || fail "params differ"

# The profile written back: parameters in slot 0 (byte 59 = 1, the five default stages).
[ "$(run --apply-profile mouse)" = 0 ] || fail "--apply-profile mouse did not exit 0"
expect_lines "step parameters 1" "step macros 1" "step buttons 1" "applied mouse ok"
area mouse params 14 45
[ "$hex" = "010006000600ff000001000e000e0000ff0001001e001e000000ff01003e003e00ffff0001007e007e00ff00ff" ] ||
  fail "stages in slot 0: $hex"
area mouse params 59 1; [ "$hex" = "01" ] || fail "byte 59: $hex"
stats_clean mouse

# The user switched the mouse to a second profile: its stages land in slot 0, not the first's.
# Byte 12 the active stage 2, then per stage active, XY, DPI X and Y (u16 little-endian), red,
# green, blue; the two stages past the profile's three are 0.
folder="$work/data/TELMA QX-418GRY Device/mouse"
write_desk_and_game "$folder" "$(dirname "$skelmora")/DefaultData/mouse.Json" '
s = lambda a, xy, x, y, r, g, b: {"StageActive": a, "StageXY": xy, "StageDPIX": x,
    "StageDPIY": y, "StageColorR": r, "StageColorG": g, "StageColorB": b}
e["DPIStages"] = {"StageActive": 2, "StageDPIs": [s(1, 0, 0x104, 0x104, 0x11, 0x22, 0x33),
    s(1, 1, 0x20, 0x28, 0, 0x80, 0xff), s(0, 0, 0x48, 0x48, 1, 2, 3)]}'
[ "$(run --apply-profile mouse)" = 0 ] || fail "--apply-profile mouse (game) did not exit 0"
grep -qxF "applied mouse ok" "$work/out" || fail "the second profile was not applied"
area mouse params 12 47
[ "$hex" = "0200$(printf '%s' 010004010401112233 0101200028000080ff 000048004800010203 \
  000000000000000000 000000000000000000)" ] || fail "second profile's stages in slot 0: $hex"
# Reading the mouse takes the slot's active stage into the active profile, not into another.
active_stage() {
  python3 -c 'import json, sys
print(json.load(open(sys.argv[1]))["Device"][0]["DPIStages"]["StageActive"])' "$folder/$1.Json"
}
send "set mouse params 12 03"
[ "$(run --read-device mouse)" = 0 ] || fail "--read-device mouse (game) did not exit 0"
[ "$(active_stage "$game")" = 3 ] || fail "the active profile did not take stage 3"
[ "$(active_stage "$desk")" = 1 ] || fail "the other profile changed"
# Back to the first profile: its five stages again.
choose_profile "$folder" 0
[ "$(run --apply-profile mouse)" = 0 ] || fail "--apply-profile mouse (desk) did not exit 0"
area mouse params 12 47
[ "$hex" = "0100$(printf '%s' 010006000600ff0000 01000e000e0000ff00 01001e001e000000ff \
  01003e003e00ffff00 01007e007e00ff00ff)" ] || fail "first profile's stages in slot 0: $hex"

# The third key-table chunk refused (by cable the table is one chunk: use the receiver's 24).
send "unplug mouse"
send "fault mouse-receiver 09 1 status-fe"
[ "$(run --apply-profile mouse)" = 1 ] || fail "--apply-profile under a fault did not exit 1"
[ "$(line_of path)" = "receiver" ] || fail "not the receiver path"
grep -qxF "applied mouse failed" "$work/out" || fail "no 'applied mouse failed'"
grep -q "^step buttons -" "$work/out" || fail "the buttons step did not fail"
send "clear-faults mouse-receiver"

# The receiver's mouse not linked: the first guarded step fails (1), not "no device" (2).
send "link mouse-receiver off"
[ "$(run --read-device mouse)" = 1 ] || fail "an unlinked receiver did not exit 1"
grep -qxF "failed QueryWirelessLink 0" "$work/out" || fail "not the link guard"
send "link mouse-receiver on"
send "unplug mouse-receiver"
[ "$(run --read-device mouse)" = 2 ] || fail "no mouse did not exit 2"

# A malformed table value stops the start.
SKELMORA_TABLE_IDS="mouse=320f" "$skelmora" --read-device mouse >/dev/null 2>&1
[ $? = 2 ] || fail "a malformed SKELMORA_TABLE_IDS did not exit 2"
echo "PASS"
