#!/usr/bin/env bash
# `cmake --install` into a temporary prefix: the files land where the install layout says and
# nowhere outside the prefix; the program starts from the tree, also after the tree is moved;
# a tree without its data stops the start naming the folders it tried.
set -uo pipefail
build="$1"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/tree_checks.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
private_home "$work"

# Through DESTDIR: a rule with an absolute destination would show up outside the prefix.
prefix="$work/prefix"
DESTDIR="$work/dest" cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "cmake --install failed"; }
outside="$(cd "$work/dest" && find . -type f | grep -v "^\.$prefix/")"
[ -z "$outside" ] || fail "installed outside the prefix: $outside"
mv "$work/dest$prefix" "$work/moved"
tree="$work/moved"
check_tree "$tree"

# The moved tree finds its data from the program's own place; XDG_DATA_DIRS holds nothing.
screenshot_from "$tree/bin/skelmora" "$work/shot.png" XDG_DATA_DIRS=/nonexistent
"$tree/bin/skelmora" --version | grep -qx "skelmora [0-9]*\.[0-9]*\.[0-9]*" || fail "--version"
"$tree/bin/skelmora-send" --version | grep -qx "skelmora-send [0-9.]*" || fail "skelmora-send --version"

# A screenshot into a folder that does not exist: exit 2 naming it, nothing written.
output="$("$tree/bin/skelmora" --emulate keyboard --screenshot "$work/none/shot.png" 2>&1)"
[ $? -eq 2 ] || fail "--screenshot into a missing folder: $output"
echo "$output" | grep -qF "'$work/none' does not exist" || fail "the folder is not named: $output"

# Without data: the start stops (exit 1) and names every folder tried, with the reason.
no_data_start() {
  local expected="$1"
  shift
  local output status
  output="$(env "$@" "$tree/bin/skelmora" --emulate keyboard --screenshot "$work/bad.png" 2>&1)"
  status=$?
  [ "$status" -eq 1 ] || fail "a start without data exited $status: $output"
  echo "$output" | grep -qF -- "$expected" || fail "expected '$expected' in: $output"
  [ ! -e "$work/bad.png" ] || fail "a start without data wrote a screenshot"
}
mv "$tree/share/skelmora/skin/res.xml" "$work/res.xml"
no_data_start "$tree/share/skelmora (no skin/res.xml)" XDG_DATA_DIRS=/nonexistent
mv "$tree/share/skelmora" "$work/data-folder"
no_data_start "$tree/share/skelmora (no such folder)" XDG_DATA_DIRS=/nonexistent
no_data_start "/usr/share/skelmora (no such folder)" XDG_DATA_DIRS=
mv "$work/res.xml" "$work/data-folder/skin/res.xml"

# The data found through XDG_DATA_DIRS; a relative entry is ignored even where it would fit.
mkdir -p "$work/xdg" && mv "$work/data-folder" "$work/xdg/skelmora"
(cd "$work" && no_data_start "$tree/share/skelmora (no such folder)" XDG_DATA_DIRS=xdg)
screenshot_from "$tree/bin/skelmora" "$work/shot-xdg.png" XDG_DATA_DIRS="relative:$work/xdg"
echo "installed tree ok"
