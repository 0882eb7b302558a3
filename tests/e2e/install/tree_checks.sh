# Shared by the install tests (sourced): the installed tree's file list and a run from it.

# Every file an installed tree must hold, relative to its prefix.
expected_files=(
  bin/skelmora bin/skelmora-send bin/skelmora-emu
  share/skelmora/skin/res.xml share/skelmora/DefaultData/Language.config
  share/applications/org.skelmora.Skelmora.desktop
  share/metainfo/org.skelmora.Skelmora.metainfo.xml
  share/icons/hicolor/scalable/apps/org.skelmora.Skelmora.svg
  share/icons/hicolor/48x48/apps/org.skelmora.Skelmora.png
  share/icons/hicolor/128x128/apps/org.skelmora.Skelmora.png
  lib/udev/rules.d/70-skelmora.rules
  share/doc/skelmora/README.md share/doc/skelmora/copyright share/doc/skelmora/changelog.gz
  share/man/man1/skelmora.1.gz share/man/man1/skelmora-send.1.gz share/man/man1/skelmora-emu.1.gz
)
# The only folders an installed tree has files in.
allowed_folders='^(bin|share/skelmora/(skin|DefaultData)|share/applications|share/metainfo|share/icons/hicolor/(scalable|48x48|128x128)/apps|lib/udev/rules\.d|share/doc/skelmora|share/man/man1)/'

fail() { echo "FAIL: $*"; exit 1; }

# check_tree PREFIX: the expected files are there, nothing is anywhere else.
check_tree() {
  local prefix="$1" f
  for f in "${expected_files[@]}"; do
    [ -s "$prefix/$f" ] || fail "$f is missing from the installed tree"
  done
  for f in bin/skelmora bin/skelmora-send bin/skelmora-emu; do
    [ -x "$prefix/$f" ] || fail "$f is not executable"
  done
  local stray
  stray="$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | grep -Ev "$allowed_folders")"
  [ -z "$stray" ] || fail "files outside the install layout: $stray"
  [ ! -e "$prefix/share/skelmora/skin/src" ] || fail "the skin's image sources were installed"
  # The PNG icons are real pictures of their size.
  for size in 48 128; do
    local png="$prefix/share/icons/hicolor/${size}x${size}/apps/org.skelmora.Skelmora.png"
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "$png is no PNG"
    # Width and height: the IHDR's first two 32-bit fields.
    [ "$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ' | sed 's/^ //')" = "0 0 0 $size 0 0 0 $size" ] ||
      fail "$png is not ${size}x${size}"
  done
}

# private_home WORK: a fresh user (XDG folders under WORK).
private_home() {
  local work="$1"
  mkdir -p "$work/run" "$work/data" "$work/config" "$work/home" "$work/cache"
  chmod 700 "$work/run"
  export XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
  export XDG_CACHE_HOME="$work/cache" HOME="$work/home" QT_QPA_PLATFORM=offscreen
}

# screenshot_from PROGRAM PNG [ENV...]: a start that renders its window to PNG and exits 0.
screenshot_from() {
  local program="$1" png="$2"
  shift 2
  local output status
  output="$(env "$@" "$program" --emulate keyboard,headset --screenshot "$png" --after-ms 200 2>&1)"
  status=$?
  [ "$status" -eq 0 ] || fail "$program exited $status: $output"
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] ||
    fail "$program wrote no PNG to $png: $output"
}
