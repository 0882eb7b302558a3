#!/usr/bin/env bash
# Sets up the machine, builds the program and starts it. Arguments go to the program,
# e.g. scripts/run.sh --emulate keyboard,headset
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" -DSKELMORA_BUILD_TESTS=OFF -DSKELMORA_BUILD_BENCH=OFF
exec "$root/build/bin/skelmora" "$@"
