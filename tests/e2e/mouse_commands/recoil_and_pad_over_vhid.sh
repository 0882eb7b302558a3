#!/usr/bin/env bash
# The recoil image and the mouse pad over the virtual bus: --apply-profile mouse puts the four
# factory patterns into the mouse's shoot area as one 2,920-byte image in 53 chunks of 56 bytes
# (by cable and through the receiver), a refused last chunk fails the step; --read-device
# mousepad prints the block read at slot x 25, --apply-profile mousepad puts the light of the
# profile list's active entry as 21 bytes at offset 0, the pad's reads go in 24-byte chunks;
# --import-shoot refuses a bad file and changes nothing.
set -uo pipefail
skelmora="$1"
emu="$2"
work="$(mktemp -d)"
source "$(dirname "$0")/../lib/emulator_console.sh"
e2e_home
export SKELMORA_TABLE_IDS="mouse=320f:5060,mouse-receiver=320f:5061,mousepad=320f:5062"
trap e2e_cleanup EXIT
start_bus "$emu"
# The image of the four factory patterns (180 events each): header, offsets 24, 748, 1472,
# 2196, each gun's count 180 and the first bullet's press (delay 10, left button down).
check_image() {
  area mouse shoot 0 24
  [ "$hex" = "aa55680b040000000000000000000000$(printf '1800ec02c0059408')" ] || fail "$1: header $hex"
  for at in 24 748 1472 2196; do
    area mouse shoot "$at" 8
    [ "$hex" = "b40000000a008101" ] || fail "$1: gun at $at: $hex"
  done
  area mouse shoot 2920 1
  [ "$hex" = "ff" ] || fail "$1: memory past the image was written"
}

send "plug mouse"
[ "$(run --apply-profile mouse)" = 0 ] || fail "--apply-profile mouse did not exit 0"
grep -qxF "step shoot 1" "$work/out" || fail "no 'step shoot 1'"
check_image "by cable"
stats_clean mouse
for g in 0 1 2 3; do
  [ -s "$work/data/TELMA QX-418GRY Device/mouse/ShootData_$g.Shoot" ] || fail "gun $g has no file"
done

# Chunk 52 (the 53rd and last, 8 bytes at 2912) refused: the step fails; chunk 53 never comes.
send "fault mouse 17 52 status-fe"
[ "$(run --apply-profile mouse)" = 1 ] || fail "a refused last chunk did not exit 1"
grep -qxF "step shoot -103" "$work/out" || fail "the shoot step did not fail with -103"
send "clear-faults mouse"
send "fault mouse 17 53 status-fe"
[ "$(run --apply-profile mouse)" = 0 ] || fail "a 54th chunk was sent"
send "clear-faults mouse"

# Through the receiver (erased first): the same image, in 56-byte chunks too.
send "set mouse shoot 0 $(printf 'ff%.0s' $(seq 1 32))"
for at in 748 1472 2196; do send "set mouse shoot $at ffffffffffffffff"; done
send "unplug mouse"
send "plug mouse-receiver"
send "fault mouse-receiver 17 53 status-fe"
[ "$(run --apply-profile mouse)" = 0 ] || fail "--apply-profile mouse through the receiver failed"
[ "$(line_of path)" = "receiver" ] || fail "not the receiver path"
check_image "through the receiver"
send "clear-faults mouse-receiver"
send "unplug mouse-receiver"

# --import-shoot: a bad file changes nothing (exit 1), a good one replaces the gun (exit 0).
gun2="$work/data/TELMA QX-418GRY Device/mouse/ShootData_2.Shoot"
before="$(cat "$gun2")"
echo '{"Events":[{"Action":"up","Button":-3,"Delay":0,"Type":4}]}' >"$work/bad.Shoot"
[ "$(run --import-shoot 2 "$work/bad.Shoot")" = 1 ] || fail "a bad shoot file was not refused"
[ "$(cat "$gun2")" = "$before" ] || fail "a refused import changed gun 2"
[ "$(run --import-shoot 2 "$(dirname "$skelmora")/DefaultData/ShootData_3.Shoot")" = 0 ] ||
  fail "--import-shoot of a factory file failed"
cmp -s "$gun2" "$(dirname "$skelmora")/DefaultData/ShootData_3.Shoot" || fail "gun 2 not replaced"

# The mouse pad: slot 2's block read at 50, written back at 0.
send "plug mousepad"
[ "$(run --read-device mousepad)" = 0 ] || fail "--read-device mousepad did not exit 0"
area mousepad info 0 34; [ "$(line_of info)" = "$hex" ] || fail "pad info differs"
[ "$(line_of active-profile)" = 2 ] || fail "active slot not 2"
area mousepad params 50 26; [ "$(line_of params)" = "$hex" ] || fail "params: $(line_of params) not $hex"
area mousepad params 21 299; rest="$hex"
[ "$(run --apply-profile mousepad)" = 0 ] || fail "--apply-profile mousepad did not exit 0"
grep -qxF "step parameters 1" "$work/out" || fail "no 'step parameters 1'"
# MousePad.Json: mode 0, brightness 4, speed 2 (sent 2), multicolour, red; bytes 9..20 zero.
area mousepad params 0 21
[ "$hex" = "000004020001ff0000000000000000000000000000" ] || fail "pad block at 0: $hex"
area mousepad params 21 299; [ "$hex" = "$rest" ] || fail "bytes past the block changed"
# The user switched the pad to a second profile: its light is written, not the first's. Mode 3,
# brightness 2, speed 1 (sent 3), direction as last read (0), one colour 12 34 56.
folder="$work/data/TELMA QX-418GRY Device/MousePad"
write_desk_and_game "$folder" "$(dirname "$skelmora")/DefaultData/MousePad.Json" '
e["LightInfo"].update({"SelectItem": 3, "Light": 2, "Speed": 1, "Fx": 1, "MultiColor": 0,
    "Red": 0x12, "Green": 0x34, "Blue": 0x56})'
[ "$(run --apply-profile mousepad)" = 0 ] || fail "--apply-profile mousepad (game) failed"
area mousepad params 0 21
[ "$hex" = "000302030000123456000000000000000000000000" ] || fail "second profile's block: $hex"
choose_profile "$folder" 0
[ "$(run --apply-profile mousepad)" = 0 ] || fail "--apply-profile mousepad (desk) failed"
area mousepad params 0 21
[ "$hex" = "000004020001ff0000000000000000000000000000" ] || fail "first profile's block: $hex"
stats_clean mousepad
# The 26 bytes read in 24-byte chunks: a lost third read (the block's second chunk) fails.
send "fault mousepad 05 2 no-reply"
[ "$(run --read-device mousepad)" = 1 ] || fail "a lost second chunk did not fail the read"
send "clear-faults mousepad"
echo "PASS"
