# Sourced by the end-to-end scripts: a fresh user for the program, and skelmora-emu driven
# through its console.
#   e2e_home                    a fresh user under $work: the folders run (mode 700), data,
#                               config and home, XDG_RUNTIME_DIR, XDG_DATA_HOME, XDG_CONFIG_HOME
#                               and HOME pointed at them, and the offscreen platform
#   e2e_cleanup                 for the EXIT trap: kills $program_pid and the emulator where
#                               they were started, and removes $work
#   fail MESSAGE                where the script defines none before sourcing this: says
#                               MESSAGE, then $work/out and $work/err when there are any
#   start_emulator EMU SOCKET   starts the bus server on SOCKET (1 ms per report) and waits for
#                               "ready"; its pid is $emu_pid
#   start_bus EMU               the same on $work/bus.sock (the path in $socket), with
#                               SKELMORA_HID pointed at it for every program run after
#   ask LINE                    one console line; the answer goes to $answer (the coprocess's
#                               descriptors do not reach subshells)
#   send LINE                   the same, failing the script unless the answer is "ok"
#   area KIND AREA FROM COUNT   the hex of COUNT bytes from byte FROM of a device's memory area
#                               (the console's dump) into $hex
#   run ARGS...                 runs $skelmora with ARGS into $work/out and $work/err and prints
#                               its exit code
#   line_of NAME                the rest of the first output line that starts with NAME
#   write_profile_list FOLDER ACTIVE NAME:ID...
#                               FOLDER/ProfileList.ini as the profile panel writes it: the
#                               entries in order, "profileselect" ACTIVE
#   write_profile FOLDER NAME ID DEFAULT [PYTHON]
#                               FOLDER/ID.Json: the default profile DEFAULT with its own
#                               "profilename" and "profileUUID", after the Python statements
#                               PYTHON changed its first device element e
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

if ! declare -F fail >/dev/null; then
  fail() {
    echo "FAIL: $*"
    [ -f "$work/out" ] && { echo "--- output:"; cat "$work/out" "$work/err" 2>/dev/null; }
    exit 1
  }
fi

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
