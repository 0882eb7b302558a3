#!/usr/bin/env bash
# --check-updates against the local test server: the emulated keyboard's row and the program's
# row are asked and printed with the server's versions; with nothing configured or nothing
# listening, every row reads "could not check" (status 9), the summary is 2 and the run still
# exits 0; a running instance gives exit 3.
set -uo pipefail
skelmora="$1"
server_dir="$2"
work="$(mktemp -d)"
source "$(dirname "$0")/../lib/emulator_console.sh"
e2e_home
export no_proxy=127.0.0.1,localhost
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY SKELMORA_UPDATE_URL
server_pid=""
instance_pid=""
cleanup() {
  [ -n "$instance_pid" ] && kill -9 "$instance_pid" 2>/dev/null
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

coproc SERVER { python3 "$server_dir/update_server.py" "$work/requests.log" \
                  --fixture "$server_dir/fixture.json"; }
server_pid=$SERVER_PID
read -r -t 10 line <&"${SERVER[0]}"
port="${line#port }"
[[ "$port" =~ ^[0-9]+$ ]] || fail "test server did not start: $line"

# Online: the keyboard (V0100) is behind the fixture's 0105, the program behind 9.0.0.
SKELMORA_UPDATE_URL="http://127.0.0.1:$port/good/api" \
  "$skelmora" --emulate keyboard --check-updates >"$work/out" 2>"$work/err"
[ $? -eq 0 ] || fail "online check exited non-zero"
grep -qx "row ZELVO_1_PX80D53C_KB_1 status 1 current V0100 latest V0105" "$work/out" ||
  fail "keyboard row"
grep -q "^row ZELVO_0_ALL_KB_1 status 1 current V" "$work/out" || fail "program row"
grep -qx "summary 1" "$work/out" || fail "online summary"
grep -q "app_key" <(python3 -c "import sys,json,binascii
for l in open(sys.argv[1]): print(binascii.unhexlify(json.loads(l)['body']).decode())" \
  "$work/requests.log") || fail "no request reached the server"

# Nothing listening: a port that was open and is closed now.
closed="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()')"
SKELMORA_UPDATE_URL="http://127.0.0.1:$closed/good/api" \
  "$skelmora" --emulate keyboard --check-updates >"$work/out" 2>"$work/err"
[ $? -eq 0 ] || fail "offline check exited non-zero"
grep -qx "row ZELVO_1_PX80D53C_KB_1 status 9 current V0100 latest -" "$work/out" ||
  fail "offline keyboard row"
grep -qx "summary 2" "$work/out" || fail "offline summary"

# No address configured: nothing is sent, summary 2.
"$skelmora" --emulate keyboard --check-updates >"$work/out" 2>"$work/err"
[ $? -eq 0 ] || fail "unconfigured check exited non-zero"
grep -qx "summary 2" "$work/out" || fail "unconfigured summary"

# A running instance owns the devices.
"$skelmora" --emulate keyboard >/dev/null 2>&1 &
instance_pid=$!
for _ in $(seq 100); do
  ls "$work/run"/*.lock >/dev/null 2>&1 || ls "$work/run"/*/*.lock >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
"$skelmora" --emulate keyboard --check-updates >"$work/out" 2>"$work/err"
code=$?
[ $code -eq 3 ] || fail "with an instance running: exit $code, not 3"
echo "check-updates: all cases passed"
