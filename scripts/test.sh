#!/usr/bin/env bash
# Sets up the machine, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test. Used as it stands by CI.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="${BUILD_DIR:-$root/build-test}"
BUILD_DIR="$build" "$root/scripts/build.sh" -DSKELMORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
ctest --output-on-failure --timeout 120 -j "$(nproc)" | tee "$build/ctest.log"
if [ -x "$root/scripts/fuzz.sh" ]; then
  # A short bounded run per target; scripts/fuzz.sh alone searches longer.
  FUZZ_SECONDS="${FUZZ_SECONDS:-30}" "$root/scripts/fuzz.sh"
fi
# The tests' count once more, last, after the fuzzers' output.
summary="$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$build/ctest.log" | tail -n 1)"
total="$(echo "$summary" | sed -E 's/.* out of ([0-9]+).*/\1/')"
failed="$(echo "$summary" | sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/')"
echo "tests: $((total - failed)) passed, $failed failed"
