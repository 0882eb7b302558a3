#!/usr/bin/env bash
# The macro command lines on a temporary user data folder: a recording from an evemu file in
# the three delay modes, import of a good and a refused file, export (and a failed export that
# leaves no file), usage errors (exit 2) and a running instance (exit 3).
set -uo pipefail
skelmora="$1"
work="$(mktemp -d)"
source "$(dirname "$0")/../lib/emulator_console.sh"
e2e_home
program_log
trap e2e_cleanup EXIT
folder="$work/data/TELMA QX-418GRY Device/keyboard"

cat >"$work/a.evemu" <<'EVEMU'
# EVEMU 1.3
N: Some Keyboard
E: 100.000000 0001 001e 1
E: 100.000000 0000 0000 0
garbage line
E: 100.120000 0001 001e 0
E: 100.120000 0000 0000 0
EVEMU

while IFS='|' read -r mode name delays; do
  out="$("$skelmora" --record-macro keyboard --from-evemu "$work/a.evemu" --delay-mode "$mode" \
         --name "$name")" || fail "--record-macro $mode exited $?"
  set -- $out
  [ "$1 $2 $4" = "macro $name 2" ] || fail "--record-macro $mode printed '$out'"
  got="$(grep -o '"Delay" : "[0-9]*"' "$folder/$3.mac" | grep -o '[0-9]*' | tr '\n' ' ')"
  [ "$got" = "$delays" ] || fail "$mode delays '$got', not '$delays'"
done <<'CASES'
record|rec|120 0 
constant:50|const|50 50 
ignore|ign|0 0 
CASES

out="$("$skelmora" --record-macro keyboard --from-evemu "$work/a.evemu")" || fail "no name: $?"
[ "$(echo "$out" | cut -d' ' -f2)" = "macro_1" ] || fail "unnamed recording printed '$out'"

"$skelmora" --record-macro keyboard --from-evemu "$work/missing.evemu" 2>/dev/null
[ $? -eq 1 ] || fail "a missing evemu file did not exit 1"

printf '{"Events":[{"Action":"down","Button":4,"Type":10,"Delay":"35"}]}' >"$work/good.mac"
out="$("$skelmora" --import-macro keyboard "$work/good.mac")" || fail "import exited $?"
guid="$(echo "$out" | cut -d' ' -f3)"
cmp -s "$work/good.mac" "$folder/$guid.mac" || fail "imported file is not a byte copy"
printf '{"Events":[{"Action":"down","Button":300,"Type":10,"Delay":"35"}]}' >"$work/bad.mac"
count="$(ls "$folder" | wc -l)"
"$skelmora" --import-macro keyboard "$work/bad.mac" 2>/dev/null
[ $? -eq 1 ] || fail "a refused import did not exit 1"
[ "$(ls "$folder" | wc -l)" = "$count" ] || fail "a refused import added a file"

"$skelmora" --export-macro keyboard 4 "$work/out.mac" || fail "export exited $?"
cmp -s "$work/good.mac" "$work/out.mac" || fail "exported file differs"
"$skelmora" --export-macro keyboard 4 "$work/none/out.mac" 2>/dev/null
[ $? -eq 1 ] || fail "a failed export did not exit 1"
[ ! -e "$work/none" ] || fail "a failed export left something"
"$skelmora" --export-macro keyboard 99 "$work/x.mac" 2>/dev/null
[ $? -eq 1 ] || fail "export of a missing macro did not exit 1"

while IFS='|' read -r args; do
  eval "set -- $args"
  "$skelmora" "$@" >/dev/null 2>&1; status=$?
  [ "$status" -eq 2 ] || fail "'$args' exited $status, not 2"
done <<'CASES'
--record-macro keyboard
--record-macro toaster --from-evemu x
--record-macro keyboard --from-evemu x --delay-mode constant:70000
--record-macro keyboard --from-evemu x --delay-mode sometimes
--import-macro keyboard
--import-macro keyboard a b
--export-macro keyboard x y
--export-macro keyboard -1 y
--import-macro keyboard a --name n
CASES

"$skelmora" --emulate keyboard >"$log" 2>&1 &
program_pid=$!
wait_for "软件标示 49152"
"$skelmora" --import-macro keyboard "$work/good.mac" >/dev/null 2>&1; status=$?
[ "$status" -eq 3 ] || fail "with the program running, --import-macro exited $status, not 3"
echo "ok"
