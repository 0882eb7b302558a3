# Sourced by the end-to-end scripts that drive skelmora-emu through its console.
#   start_emulator EMU SOCKET   starts the bus server on SOCKET (1 ms per report) and waits for
#                               "ready"; its pid is $emu_pid
#   ask LINE                    one console line; the answer goes to $answer (the coprocess's
#                               descriptors do not reach subshells)
#   send LINE                   the same, failing the script unless the answer is "ok"
#   run ARGS...                 runs $skelmora with ARGS into $work/out and $work/err and prints
#                               its exit code
#   line_of NAME                the rest of the first output line that starts with NAME
# The script defines fail() and sets $skelmora and $work before it calls these.

start_emulator() {
  coproc EMU { "$1" --socket "$2" --latency-us 1000; }
  emu_pid=$EMU_PID
  local line=""
  read -r -t 10 line <&"${EMU[0]}"
  [ "$line" = "ready" ] || fail "emulator did not start: $line"
}

ask() {
  answer=""
  echo "$1" >&"${EMU[1]}"
  read -r -t 10 answer <&"${EMU[0]}"
}

send() { ask "$1"; [ "$answer" = "ok" ] || fail "emulator refused '$1': $answer"; }

run() {
  "$skelmora" "$@" >"$work/out" 2>"$work/err"
  echo $?
}

line_of() { grep "^$1 " "$work/out" | head -1 | cut -d' ' -f2-; }
