# Sourced by the end-to-end scripts: a fresh user for the program, and skelmora-emu driven
# through its console.
#   e2e_home                    a fresh user under $work: the folders run (mode 700), data,
#                               config and home, XDG_RUNTIME_DIR, XDG_DATA_HOME, XDG_CONFIG_HOME
#                               and HOME pointed at them, and the offscreen platform
#   e2e_cleanup                 for the EXIT trap: kills $program_pid and the emulator where
#                               they were started, and removes $work
#   program_log [RULES]         for a script that starts the program itself: its log is $log
#                               ($work/program.log), LANG C.UTF-8 and QT_LOGGING_RULES RULES
#                               (skelmora.app.debug=true, which the waits below read)
#   fail MESSAGE                where the script defines none before sourcing this: says
#                               MESSAGE, then $work/out and $work/err when there are any, then
#                               the program's log when there is one
#   wait_for TEXT [N]           waits up to 10 s for N lines (1) with TEXT in $log, or fails
#   start_emulator EMU SOCKET   starts the bus server on SOCKET (1 ms per report) and waits for
#                               "ready"; its pid is $emu_pid
#   start_bus EMU               the same on $work/bus.sock (the path in $socket), with
#                               SKELMORA_HID pointed at it for every program run after
#   start_automation_keyboard EMU SEND_UI
#                               where no emulator runs yet, start_bus EMU with a keyboard
#                               plugged; then starts $skelmora --automation into $log (its
#                               pid in $program_pid; variables set before the call reach it),
#                               waits for it, shows the keyboard's page through SEND_UI and
#                               waits until the page's selector item has connected the keyboard
#   quit_program                ends it with --quit and fails unless it exited 0 with no
#                               sanitizer report in $log
#   ask LINE                    one console line; the answer goes to $answer (the coprocess's
#                               descriptors do not reach subshells)
#   send LINE                   the same, failing the script unless the answer is "ok"
#   area KIND AREA FROM COUNT   the hex of COUNT bytes from byte FROM of a device's memory area
#                               (the console's dump) into $hex
#   run ARGS...                 runs $skelmora with ARGS into $work/out and $work/err and prints
#                               its exit code
#   line_of NAME                the rest of the first output line that starts with NAME
#   expect_lines LINE...        fails unless every LINE is a whole line of the output
#   stats_clean KIND [MORE]     fails unless the emulator's counts for KIND show no bad and no
#                               unframed request (and end with MORE)
#   write_profile_list FOLDER ACTIVE NAME:ID...
#                               FOLDER/ProfileList.ini as the profile panel writes it: the
#                               entries in order, "profileselect" ACTIVE
#   write_profile FOLDER NAME ID DEFAULT [PYTHON]
#                               FOLDER/ID.Json: the default profile DEFAULT with its own
#                               "profilename" and "profileUUID", after the Python statements
#                               PYTHON changed its first device element e
#   write_desk_and_game FOLDER DEFAULT PYTHON
#                               two profiles of DEFAULT in FOLDER, "desk" as it is and "game"
#                               changed by PYTHON (as write_profile), their ids in $desk and
#                               $game, and the list with "game" active
#   choose_profile FOLDER INDEX the same list with entry INDEX (0 desk, 1 game) active
# The script sets $work (and $skelmora for run) before it calls these.

e2e_home() {
  mkdir -p "$work/run" "$work/data" "$work/config" "$work/home"
  chmod 700 "$work/run"
  export XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
  export HOME="$work/home" QT_QPA_PLATFORM=offscreen
}

e2e_cleanup() {
  if [ -n "${program_pid:-}" ]; then kill -9 "$program_pid" 2>/dev/null || true; fi
  if [ -n "${emu_pid:-}" ]; then kill "$emu_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}

program_log() {
  log="$work/program.log"
  export LANG=C.UTF-8 QT_LOGGING_RULES="${1:-skelmora.app.debug=true}"
}

if ! declare -F fail >/dev/null; then
  fail() {
    echo "FAIL: $*"
    [ -f "$work/out" ] && { echo "--- output:"; cat "$work/out" "$work/err" 2>/dev/null; }
    [ -n "${log:-}" ] && [ -f "$log" ] && { echo "--- program log:"; cat "$log"; }
    exit 1
  }
fi

wait_for() {
  local text="$1" n="${2:-1}"
  for _ in $(seq 1 200); do
    [ "$(grep -c -F -- "$text" "$log" 2>/dev/null)" -ge "$n" ] && return 0
    sleep 0.05
  done
  fail "waited for ${n}x '$text'"
}

start_emulator() {
  coproc EMU { "$1" --socket "$2" --latency-us 1000; }
  emu_pid=$EMU_PID
  local line=""
  read -r -t 10 line <&"${EMU[0]}"
  [ "$line" = "ready" ] || fail "emulator did not start: $line"
}

start_bus() {
  socket="$work/bus.sock"
  export SKELMORA_HID="vhid:$socket"
  start_emulator "$1" "$socket"
}

start_automation_keyboard() {
  local send_ui="$2"
  if [ -z "${emu_pid:-}" ]; then
    start_bus "$1"
    send "plug keyboard"
  fi
  "$skelmora" --automation >"$log" 2>&1 &
  program_pid=$!
  wait_for "软件标示 49152"
  local shown=0
  for _ in $(seq 1 100); do
    "$send_ui" ui show keyboard >/dev/null 2>&1 && { shown=1; break; }
    sleep 0.1
  done
  [ "$shown" = 1 ] || fail "the keyboard's page could not be shown"
  # The selector item connects its device (reads it back and loads its profile) 500 ms after it
  # is shown; a change made before that reaches the keyboard but not yet its profile file.
  sleep 1.5
}

quit_program() {
  "$skelmora" --quit >/dev/null 2>&1 || fail "--quit did not reach the program"
  wait "$program_pid"
  local status=$?
  program_pid=""
  [ "$status" -eq 0 ] || fail "the program exited $status"
  grep -q "ERROR: AddressSanitizer\|runtime error:\|LeakSanitizer" "$log" && fail "sanitizer report"
  return 0
}

ask() {
  answer=""
  echo "$1" >&"${EMU[1]}"
  read -r -t 10 answer <&"${EMU[0]}"
}

send() { ask "$1"; [ "$answer" = "ok" ] || fail "emulator refused '$1': $answer"; }

area() {
  ask "dump $1 $2"
  local all="${answer#* }"
  hex="${all:$((2 * $3)):$((2 * $4))}"
}

run() {
  "$skelmora" "$@" >"$work/out" 2>"$work/err"
  echo $?
}

line_of() { grep "^$1 " "$work/out" | head -1 | cut -d' ' -f2-; }

expect_lines() {
  local line
  for line in "$@"; do grep -qxF -- "$line" "$work/out" || fail "missing '$line'"; done
}

stats_clean() {
  ask "stats $1"
  case "$answer" in "reports "*" bad 0 unframed 0${2:-}") ;; *) fail "stats $1: $answer" ;; esac
}

write_profile_list() {
  local folder="$1" active="$2" entry first=1
  shift 2
  mkdir -p "$folder"
  {
    printf '{\n   "profilelist" : [\n'
    for entry in "$@"; do
      [ "$first" = 1 ] || printf ',\n'
      first=0
      printf '      {\n         "profileUUID" : "%s",\n' "${entry#*:}"
      printf '         "profileislink" : false,\n         "profilelinkmame" : "",\n'
      printf '         "profilename" : "%s"\n      }' "${entry%%:*}"
    done
    printf '\n   ],\n   "profileselect" : %d\n}\n' "$active"
  } >"$folder/ProfileList.ini"
}

write_profile() {
  mkdir -p "$1"
  python3 - "$1/$3.Json" "$2" "$3" "$4" "${5:-}" <<'PY' || fail "cannot write the profile $3"
import json, sys
out, name, identifier, default, edit = sys.argv[1:]
with open(default, encoding="utf-8") as f:
    d = json.load(f)
d["profilename"], d["profileUUID"] = name, identifier
e = d["Device"][0]
exec(edit)
with open(out, "w", encoding="utf-8") as f:
    json.dump(d, f, indent=3, separators=(",", " : "), sort_keys=True, ensure_ascii=False)
    f.write("\n")
PY
}

write_desk_and_game() {
  desk=2026_01_05_09_00_00_000
  game=2026_01_05_09_00_01_000
  write_profile "$1" desk "$desk" "$2"
  write_profile "$1" game "$game" "$2" "$3"
  choose_profile "$1" 1
}

choose_profile() { write_profile_list "$1" "$2" "desk:$desk" "game:$game"; }
