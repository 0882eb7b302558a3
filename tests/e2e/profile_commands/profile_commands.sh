#!/usr/bin/env bash
# --profiles, --import-profile, --export-profile and --active-program in a temporary home:
# listing creates nothing, refused imports change nothing, exports leave no partial file, an
# import while the program runs is refused with 3, and the exit codes hold.
set -uo pipefail
skelmora="$1"
work="$(mktemp -d)"
source "$(dirname "$0")/../lib/emulator_console.sh"
e2e_home
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
unset DISPLAY WAYLAND_DISPLAY
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
run() { "$skelmora" "$@" >"$work/out" 2>"$work/err"; code=$?; }
folder="$work/data/TELMA QX-418GRY Device/mouse"

run --profiles mouse
[ $code -eq 0 ] && [ ! -s "$work/out" ] || fail "--profiles on no list: $code"
[ ! -e "$folder" ] || fail "--profiles created the folder"
run --profiles toaster
[ $code -eq 2 ] || fail "unknown kind gave $code"
grep -q "^skelmora: --profiles: unknown kind 'toaster'" "$work/err" || fail "unknown kind said: $(cat "$work/err")"
run --help
[ $code -eq 0 ] && grep -q -- "--export-profile KIND INDEX FILE" "$work/out" || fail "--help lacks the profile commands"
run --export-profile mouse 1
[ $code -eq 2 ] && grep -q "needs KIND INDEX FILE" "$work/err" || fail "export without FILE gave $code"

printf '{"profilename":"Game\\tOne","profileUUID":"x","Device":[{}]}' >"$work/a.json"
run --import-profile mouse "$work/a.json"
[ $code -eq 0 ] && [ "$(cat "$work/out")" = 'Game\tOne' ] || fail "import: $code $(cat "$work/out")"
run --import-profile mouse "$work/a.json"
[ "$(cat "$work/out")" = 'Game\tOne(1)' ] || fail "second import: $(cat "$work/out")"

for bad in '[1,2]' '{"profilename":3,"profileUUID":"x"}' '{"profilename":"a","profileUUID":"x","Device":"s"}'; do
  printf '%s' "$bad" >"$work/bad.json"
  before="$(cat "$folder/ProfileList.ini")"
  run --import-profile mouse "$work/bad.json"
  [ $code -eq 1 ] || fail "bad import '$bad' gave $code"
  [ "$before" = "$(cat "$folder/ProfileList.ini")" ] || fail "bad import changed the list"
done

run --profiles mouse
[ $code -eq 0 ] || fail "--profiles: $code"
[ "$(wc -l <"$work/out")" -eq 3 ] || fail "three profiles expected: $(cat "$work/out")"
IFS=$'\t' read -r index name id state link < <(sed -n 1p "$work/out")
[ "$index" = 0 ] && [ "$name" = profile1 ] && [ "$state" = active ] || fail "first line: $(sed -n 1p "$work/out")"
IFS=$'\t' read -r index name id state link < <(sed -n 2p "$work/out")
[ "$name" = 'Game\tOne' ] && [ "$state" = - ] || fail "second line: $(sed -n 2p "$work/out")"

run --export-profile mouse 1 "$work/out.json"
[ $code -eq 0 ] && grep -q '"profilename" : "Game\\tOne"' "$work/out.json" || fail "export: $code"
run --export-profile mouse 7 "$work/none.json"
[ $code -eq 2 ] && [ ! -e "$work/none.json" ] || fail "export of index 7 gave $code"
run --export-profile mouse 1 "$work/no-such-folder/out.json"
[ $code -eq 1 ] && [ ! -e "$work/no-such-folder" ] || fail "export to a missing folder gave $code"

run --active-program
[ $code -eq 0 ] && [ "$(cat "$work/out")" = none ] || fail "--active-program: $code $(cat "$work/out")"

# While the program runs, listing and export still work and import is refused.
"$skelmora" --emulate mouse >/dev/null 2>&1 &
program_pid=$!
for _ in $(seq 1 100); do
  ls "$work/run" 2>/dev/null | grep -qi lock && break
  sleep 0.1
done
run --import-profile mouse "$work/a.json"
[ $code -eq 3 ] || fail "import while running gave $code"
grep -q "^skelmora: --import-profile: the running instance (process $program_pid) holds the profile lists; close it first$" "$work/err" ||
  fail "import while running said: $(cat "$work/err")"
run --profiles mouse
[ $code -eq 0 ] || fail "--profiles while running gave $code"
echo "profile commands ok"
