#!/usr/bin/env bash
# The real program driven through skelmora-send: ui requests only with --automation, the tool
# report as one line of hexadecimal, a listener that sees the user's host-light switch, game
# events with bad parameters answered and ignored, and skelmora --quit (0 told, 1 none runs).
set -uo pipefail
skelmora="$1"
send="$2"
work="$(mktemp -d)"
source "$(dirname "$0")/../lib/emulator_console.sh"
e2e_home
program_log
trap e2e_cleanup EXIT
start() {
  "$skelmora" --emulate keyboard,headset "$@" >"$log" 2>&1 &
  program_pid=$!
  wait_for "软件标示 49152"
}
expect() {  # expect STATUS OUTPUT command...
  local status="$1" output="$2"; shift 2
  local got; got="$("$@" 2>/dev/null)"; local rc=$?
  [ "$rc" -eq "$status" ] || fail "'$*' exited $rc, not $status"
  [ "$output" = "-" ] || [ "$got" = "$output" ] || fail "'$*' printed '$got', not '$output'"
}

# Without --automation the ui requests are refused; the rest works.
start
expect 3 "" "$send" ui get control_light_status
report="$("$send" '{4695579F-999A-41d4-9FAF-EFFCE93EBF18}')" || fail "the tool report was not delivered"
[ "${#report}" -eq 2048 ] || fail "the tool report has ${#report} digits"
case "$report" in 0200000003000000000000000200000004000000*) ;; *) fail "tool report starts ${report:0:40}" ;; esac
expect 0 "" "$send" Game_Start 0 1099511627776   # taken, ignored: outside the mode list
expect 0 "" "$send" Game_Start 7 1               # another wParam changes nothing
expect 0 "" "$skelmora" --quit
wait "$program_pid"; program_pid=""
expect 1 "" "$skelmora" --quit

# With --automation: the real window, and a listener that sees the switch.
start --automation
expect 0 "Host lighting: on" "$send" ui get control_light_status
"$send" --listen 4 >"$work/listen.out" &
listener=$!
sleep 1  # the listener subscribes
sleep 0.5
expect 0 ok "$send" ui click control_light_status
expect 0 ok "$send" ui show headset
expect 3 "" "$send" ui show mousepad
expect 3 "" "$send" ui click no_such_control
expect 3 "" "$send" ui item device_profile_combo 999
expect 0 ok "$send" ui power suspend
expect 0 ok "$send" ui power resume
wait "$listener" || fail "the listener exited $?"
grep -q -x -F '{4695579F-999A-41d4-9FAF-EFFCE93EBF16} 1 0' "$work/listen.out" \
  || fail "the listener heard '$(cat "$work/listen.out")'"
expect 0 "Host lighting: off" "$send" ui get control_light_status
expect 0 "" "$skelmora" --quit
wait "$program_pid"; program_pid=""
expect 1 "" "$send" --listen 1
echo "automation and quit: ok"
