#!/usr/bin/env bash
# A macro recorded on a real X11 display: Xvfb, the program on the xcb platform with an
# emulated keyboard and the in-window input source, real X key and pointer events from
# xdotool. The record button is clicked with the pointer, A is pressed, held 120 ms and
# released, Space is tapped, then the stop button is clicked. The saved ".mac" holds A down,
# A up, Space down, Space up (key usages 4 and 44: an X key code is the evdev code + 8) with
# the held time as the first delay, and not the clicks. Space also shows that a key reaches
# the recording before the focused control can use it (a button clicks on Space).
# Exits 77 (skipped) without Xvfb, xdotool or Qt's xcb platform. Every wait is bounded.
set -uo pipefail
skelmora="$1"
send="$2"
for tool in Xvfb xdotool python3; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work="$(mktemp -d)"
log="$work/program.log"
mkdir -p "$work/run" "$work/data" "$work/config" "$work/home"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export HOME="$work/home" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb SKELMORA_INPUT=window
export QT_LOGGING_RULES="skelmora.app.debug=true;skelmora.platform.debug=true"
unset WAYLAND_DISPLAY
program_pid=""
xvfb_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill -9 "$program_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- program log:"; cat "$log" 2>/dev/null; exit 1; }
# retry SECONDS command...: runs the command every 0.1 s until it succeeds.
retry() {
  local tries=$(($1 * 10)); shift
  for _ in $(seq 1 "$tries"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}
x() { timeout 10 xdotool "$@"; }

# A display of our own: Xvfb picks a free number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
retry 10 grep -q '[0-9]' "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"

"$skelmora" --emulate keyboard --automation >"$log" 2>&1 &
program_pid=$!
retry 30 grep -q -F "软件标示 49152" "$log" || {
  grep -q 'platform plugin "xcb"' "$log" && { echo "SKIP: Qt has no xcb platform here"; exit 77; }
  fail "the program did not start"
}
retry 20 "$send" ui show keyboard:macros || fail "the keyboard's macro tab is not shown"
retry 10 "$send" ui where macro_btn_name_add || fail "the macro editor is not shown"
# The editor takes changes once the keyboard has connected.
retry 10 "$send" ui click macro_btn_name_add || fail "add refused"
folder="$work/data/TELMA QX-418GRY Device/keyboard"
retry 10 grep -q '"Guid"' "$folder/macro.config" || fail "no macro after add: $(find "$work/data")"

# The window has the keyboard's focus (no window manager: focus set directly).
window="$(x search --onlyvisible --pid "$program_pid" | head -n1)"
[ -n "$window" ] || fail "no window of the program on $DISPLAY"
x windowfocus --sync "$window" || fail "the window did not take the focus"

# click NAME: a pointer click in the middle of a shown control.
click() {
  local cx cy cw ch
  read -r cx cy cw ch <<<"$("$send" ui where "$1")" || fail "$1 is not shown"
  x mousemove --sync $((cx + cw / 2)) $((cy + ch / 2)) click 1 || fail "the click on $1 not sent"
}
click macro_btn_starredio
retry 10 "$send" ui where macro_btn_stopredio || fail "the recording did not start on the click"
grep -q "input hook: the program's own window" "$log" || fail "recording is not in-window"

x keydown a || fail "A down not sent"
sleep 0.12
x keyup a || fail "A up not sent"
x key space || fail "Space not sent"
sleep 0.3
click macro_btn_stopredio
retry 10 "$send" ui where macro_btn_starredio || fail "the recording did not stop on the click"

mac="$(ls "$folder"/*.mac 2>/dev/null | head -n1)"
[ -n "$mac" ] || fail "no macro file after the stop: $(find "$work/data")"
python3 - "$mac" <<'PY' || fail "the saved macro: $(cat "$mac")"
import json, sys
events = json.load(open(sys.argv[1], encoding="utf-8"))["Events"]
got = [(e["Type"], e["Button"], e["Action"]) for e in events]
want = [(10, 4, "down"), (10, 4, "up"), (10, 44, "down"), (10, 44, "up")]
if got != want:
    sys.exit(f"events {got}, not {want}")
held, last = int(events[0]["Delay"]), int(events[-1]["Delay"])
# The X server's time stamps: A was held at least 120 ms; the last event has no delay.
if not 120 <= held <= 5000 or last != 0:
    sys.exit(f"delays {held}, {last}")
print(f"recorded A down, {held} ms, A up, Space down and up")
PY
"$skelmora" --quit >/dev/null 2>&1
echo "x11 recording: ok"
