#!/usr/bin/env bash
# The music modes in the real program (--automation), over the emulator's bus. The user picks
# "Music Rhythm" and its bars on the keyboard's lighting panel, with a red foreground over a
# blue background and no colour wheel.
# - SKELMORA_AUDIO=file:sweep.wav, a sine sweeping from 35 Hz to 14 kHz after two seconds of
#   silence: the keyboard's frames light the bars of the six bands over the key columns, and
#   the tallest bar moves from the bass columns on the left to the treble columns on the right.
# - SKELMORA_AUDIO=none, started again with what the profile kept: the program runs, says once
#   why the lights stay still and keeps streaming the idle picture, every key in the
#   background colour.
set -uo pipefail
skelmora="$1"
send_ui="$2"
emu="$3"
work="$(mktemp -d)"
source "$(dirname "$0")/../lib/emulator_console.sh"
e2e_home
program_log
trap e2e_cleanup EXIT

# 48 kHz mono 16-bit PCM: 2 s of silence, an 8 s sine at half scale whose frequency rises
# exponentially from 35 Hz to 14 kHz (more than a second in each of the six bands), 1 s of
# silence. The sine fades in and out over 50 ms: a sine cut off at its loudest is a click
# that sounds in every band.
python3 - "$work/sweep.wav" <<'PY' || fail "could not write the sweep"
import math, struct, sys
rate, lead, sweep, tail, fade = 48000, 2.0, 8.0, 1.0, 0.05
f0, f1 = 35.0, 14000.0
k = math.log(f1 / f0) / sweep
samples = [0] * int(lead * rate)
for n in range(int(sweep * rate)):
    t = n / rate
    phase = 2 * math.pi * f0 * (math.exp(k * t) - 1) / k
    edge = min(t, sweep - t, fade) / fade
    gain = 0.5 - 0.5 * math.cos(math.pi * edge)
    samples.append(int(16383 * gain * math.sin(phase)))
samples += [0] * int(tail * rate)
data = struct.pack("<%dh" % len(samples), *samples)
with open(sys.argv[1], "wb") as f:
    f.write(b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE")
    f.write(b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16))
    f.write(b"data" + struct.pack("<I", len(data)) + data)
PY

# The keyboard on the bus before the program starts: its key positions are looked up while the
# sweep's clock does not run yet.
start_bus "$emu"
send "plug keyboard"

# Where the keys of one column per band group sit in the keyboard's frame. A key's light goes
# to the key table position that holds its factory code, three bytes (red, green, blue) at
# 3 × position. Columns (bottom row first): Esc's (Ctrl Shift Caps Tab ` Esc), F4's (space V G
# T 5 F4), F7's (right Alt , L O 9 F7), F9's (Menu / ' [ - F9), the number pad's 7 column
# (0 1 4 7 NumLock and the key above it) and its 9 column (. 3 6 9 *; the key above it has no
# code).
columns=(
  "200100 200200 200039 20002b 200035 200029"
  "20002c 200019 20000a 200017 200022 20003d"
  "204000 200036 20000f 200012 200026 200040"
  "200065 200038 200034 20002f 20002d 200042"
  "200062 200059 20005c 20005f 200053 a01b00"
  "200063 20005b 20005e 200061 200055"
)
ask "dump keyboard factory"
factory="${answer#factory }"
offsets=()  # per group: byte offsets in the frame hex text, bottom row first
for g in 0 1 2 3 4 5; do
  list=""
  for code in ${columns[$g]}; do
    at=-1
    for ((p = 0; p < ${#factory} / 6; ++p)); do
      [ "${factory:$((p * 6)):6}" = "$code" ] && { at=$p; break; }
    done
    [ "$at" -ge 0 ] || fail "the keyboard's key table has no key $code"
    list+="$((at * 6)) "
  done
  offsets[$g]="$list"
done

# $heights: for the last frame, per group the keys lit red from the bottom of its column;
# $blue_keys: keys of all six columns showing only blue (the background). False while only
# the frame's first chunks have come, not yet all the keys looked at.
read_bars() {
  ask "dump keyboard frame"
  local frame="${answer#frame}" g at rgb lit
  frame="${frame# }"
  heights=""
  blue_keys=0
  for g in 0 1 2 3 4 5; do
    lit=0
    local counting=1
    for at in ${offsets[$g]}; do
      rgb="${frame:$at:6}"
      [ ${#rgb} -eq 6 ] || { heights=""; return 1; }
      if [ "${rgb:0:2}" != 00 ] && [ "${rgb:4:2}" = 00 ]; then
        [ $counting -eq 1 ] && lit=$((lit + 1))
      else
        counting=0
        [ "${rgb:0:4}" = 0000 ] && [ "${rgb:4:2}" != 00 ] && blue_keys=$((blue_keys + 1))
      fi
    done
    heights+="$lit "
  done
  return 0
}

# read_bars until it reads a whole frame.
read_whole_frame() {
  for _ in $(seq 1 50); do read_bars && return 0; done
  return 1
}

# $streamed: the light frames the keyboard has received.
frames_streamed() {
  ask "frames keyboard"
  # shellcheck disable=SC2086
  set -- $answer
  streamed="$2"
}

# Picks the music mode and its colours on the lighting panel; the profile keeps them.
choose_music_mode() {
  local ok=0
  for _ in $(seq 1 50); do
    "$send_ui" ui item light_combo_modeSelect 29 >/dev/null 2>&1 && { ok=1; break; }
    sleep 0.1
  done
  [ $ok -eq 1 ] || fail "mode 29 could not be chosen"
  for step in "ui item light_combo_audiomodeSelect 1" "ui unselect deng_7audiocolor_check" \
              "ui select audio_BkColor_check" "ui text deng_audioedit_R 0" \
              "ui text deng_audioedit_G 0" "ui text deng_audioedit_B 255"; do
    # shellcheck disable=SC2086
    "$send_ui" $step >/dev/null 2>"$work/ui.err" || fail "'$step' refused: $(cat "$work/ui.err")"
  done
}

# ---- The sweep ----
SKELMORA_AUDIO="file:$work/sweep.wav" start_automation_keyboard "$emu" "$send_ui"
choose_music_mode
trace=()  # tallest group per frame read, while any bar stands
treble=0  # the treble columns have led
for _ in $(seq 1 400); do
  read_bars || { sleep 0.05; continue; }
  best=-1 top=0 g=0
  for h in $heights; do
    [ "$h" -gt "$top" ] && { top=$h; best=$g; }
    g=$((g + 1))
  done
  [ "$best" -ge 0 ] && trace+=("$best")
  [ "$best" -eq 5 ] && treble=1
  # One pass is enough once the treble columns have led and the bars have fallen again.
  [ "$best" -lt 0 ] && [ $treble -eq 1 ] && break
  sleep 0.02
done
echo "tallest bar by frame read: ${trace[*]}"
[ ${#trace[@]} -ge 20 ] || fail "too few frames with a bar: ${trace[*]}"
# The sweep rises, so the tallest bar never moves left by more than the frame being read
# while a new step is written (one group), it starts in the bass half and ends on the right.
prev=${trace[0]} seen=" "
for b in "${trace[@]}"; do
  [ "$b" -ge $((prev - 1)) ] || fail "the tallest bar went back from $prev to $b: ${trace[*]}"
  [ "$b" -gt "$prev" ] && prev=$b
  seen+="$b "
done
[ "${trace[0]}" -le 1 ] || fail "the first bar was in group ${trace[0]}"
for g in 0 1 2 3 4 5; do
  [[ "$seen" == *" $g "* ]] || fail "group $g never led: ${trace[*]}"
done
quit_program

# ---- No sound source (the profile still holds the music mode) ----
SKELMORA_AUDIO=none start_automation_keyboard "$emu" "$send_ui"
sleep 1.5
frames_streamed
first=$streamed
sleep 1
read_whole_frame || fail "no whole frame streamed without a sound source"
frames_streamed
[ "$streamed" -gt $((first + 20)) ] || fail "frames stopped: $first, then $streamed a second later"
[ "$heights" = "0 0 0 0 0 0 " ] || fail "bars without sound: $heights"
[ "$blue_keys" -eq 35 ] || fail "$blue_keys of 35 keys show the background"
[ "$(grep -c "no sound to follow" "$log")" -eq 1 ] || fail "the outage was not logged once"
kill -0 "$program_pid" 2>/dev/null || fail "the program ended"
quit_program
echo "music modes over vhid: ok"
