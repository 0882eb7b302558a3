#!/usr/bin/env bash
# The keyboard's lighting panel in the real program (--automation), over the emulator's bus:
# a mode chosen on the panel puts that mode's device code in the keyboard's parameter record
# (byte 1), "300" in the green edit reaches it as 255 (byte 7) and is shown as "255", and
# speed 4 on the slider reaches it as 0 (byte 3, 4 - speed).
set -uo pipefail
skelmora="$1"
send_ui="$2"
emu="$3"
work="$(mktemp -d)"
source "$(dirname "$0")/../lib/emulator_console.sh"
e2e_home
program_log
trap e2e_cleanup EXIT

# Byte $1 of the active device profile's parameter record, as two hex digits, into $byte.
record_byte() {
  ask "dump keyboard params"
  local all="${answer#* }"
  local active=$((16#${all:0:2}))
  byte="${all:$((2 * (active * 25 + $1))):2}"
}
# Repeats the ui request until record byte $1 is $2 (the keyboard may still be connecting,
# and its connect read-back replaces the page's light with the keyboard's).
until_record() {
  local at="$1" want="$2"; shift 2
  for _ in $(seq 1 100); do
    "$send_ui" "$@" >/dev/null 2>&1
    record_byte "$at"
    [ "$byte" = "$want" ] && return 0
    sleep 0.1
  done
  fail "record byte $at is $byte, not $want, after '$*'"
}

start_automation_keyboard "$emu" "$send_ui"

# Mode 6 of the shipped list is code 6; mode 28 code 28.
until_record 1 06 ui item light_combo_modeSelect 6
until_record 1 1c ui item light_combo_modeSelect 28
until_record 1 06 ui item light_combo_modeSelect 6
until_record 7 ff ui text deng_edit_G 300
[ "$("$send_ui" ui get deng_edit_G)" = "255" ] || fail "the green edit shows '$("$send_ui" ui get deng_edit_G)'"
until_record 3 00 ui value deng_speed_slider 4
until_record 3 04 ui value deng_speed_slider 0
record_byte 1; [ "$byte" = "06" ] || fail "the mode's code changed to $byte"

quit_program
grep -q '"SelectItem" : 6' "$work/data/TELMA QX-418GRY Device/keyboard/"*.Json 2>/dev/null \
  || grep -rq '"SelectItem" : 6' "$work/data" || fail "the profile does not hold mode 6"
echo "light panel over vhid: ok"
