#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer on)
# in their own build folder, build-fuzz/ (or $FUZZ_BUILD_DIR), and runs each for a bounded time,
# FUZZ_SECONDS (default 60). A crash, a sanitizer report or a failed check ends the script with
# a non-zero status; the input that caused it is left in the build folder. The HID target runs
# with a limit on each allocation and on the whole memory, so an input that makes an open or
# the bus allocate without bound counts as a failure too.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" \
  -DSKELMORA_FUZZ=ON -DSKELMORA_SANITIZE=ON \
  -DSKELMORA_BUILD_TESTS=OFF -DSKELMORA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target fuzz_profile_documents fuzz_hid_input

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# run_target NAME LIMITS CORPUS...: LIMITS are libFuzzer's memory options for the target.
run_target() {
  local name="$1" limits="$2"
  local corpus="$build/corpus/$name" log="$build/fuzz-$name.log"
  local dict=()
  [ -f "$root/fuzz/$name.dict" ] && dict=(-dict="$root/fuzz/$name.dict")
  mkdir -p "$corpus"
  echo "fuzz: $name for ${seconds}s (log: $log)"
  # New inputs go to the build folder's corpus; the seed folders are only read.
  if ! "$build/bin/fuzz_$name" \
      -max_total_time="$seconds" -max_len=16384 -timeout=10 $limits \
      -print_final_stats=1 -artifact_prefix="$build/crash-$name-" \
      "${dict[@]}" \
      "$corpus" "${@:3}" >"$log" 2>&1; then
    tail -n 80 "$log"
    echo "fuzz: $name FAILED; the input that failed is $build/crash-$name-*"
    return 1
  fi
  grep -E '^(Done|stat::number_of_executed_units)' "$log" || true
}

run_target profile_documents "-rss_limit_mb=2048" \
  "$root/fuzz/corpus/profile_documents" "$root/DefaultData"
# An open of the largest descriptor a device may give needs well under a megabyte.
run_target hid_input "-rss_limit_mb=1024 -malloc_limit_mb=64" "$root/fuzz/corpus/hid_input"
echo "fuzz: no crash"
