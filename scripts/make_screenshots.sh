#!/usr/bin/env bash
# Regenerates the screenshots of docs/screenshots/ that are taken from the program itself:
#
#   bash scripts/make_screenshots.sh BUILD_FOLDER [NAME...]
#
# BUILD_FOLDER holds bin/skelmora and bin/skelmora-send (any build type). With NAMEs (file
# names without ".png") only those are taken. Each picture comes from a fresh start of the
# program on its emulated devices (--emulate), offscreen, with a throw-away home, data, config
# and runtime folder, so no profile of the user is read; "skelmora-send ui" requests (the
# program's --automation) choose the page, the tab and the controls before --screenshot renders
# the 1000 x 640 main window. The fonts are those scripts/install-deps.sh installs
# (fonts-dejavu-core, fonts-noto-cjk).
#
# The windows of their own (music styles, link to a program, colour palette, settings) are
# written by the UI tests when SKELMORA_SCREENSHOT_DIR is set; with the test programs built
# (BUILD_FOLDER/bin/test_*), this script runs those tests too and takes their pictures.
set -euo pipefail

if [ $# -lt 1 ] || [ ! -x "$1/bin/skelmora" ] || [ ! -x "$1/bin/skelmora-send" ]; then
  echo "usage: $0 BUILD_FOLDER [NAME...]  (BUILD_FOLDER/bin/skelmora and skelmora-send built)" >&2
  exit 2
fi
build="$(cd "$1" && pwd)"
shift
wanted=("$@")
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/docs/screenshots"
skelmora="$build/bin/skelmora"
send_ui="$build/bin/skelmora-send"
work="$(mktemp -d)"
program_pid=""
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

for font in "DejaVu Sans" "Noto Sans CJK SC"; do
  fc-list : family | grep -q "$font" || echo "warning: font '$font' is missing" >&2
done

fail() {
  echo "make_screenshots: $*" >&2
  [ -f "$work/log" ] && tail -20 "$work/log" >&2
  exit 1
}

want() {
  [ ${#wanted[@]} -eq 0 ] && return 0
  local name
  for name in "${wanted[@]}"; do [ "$name" = "$1" ] && return 0; done
  return 1
}

# A fresh user: the program's folders and the environment it runs in.
fresh_user() {
  rm -rf "$work/user"
  mkdir -p "$work/user/run" "$work/user/data" "$work/user/config" "$work/user/home"
  chmod 700 "$work/user/run"
  export HOME="$work/user/home" XDG_RUNTIME_DIR="$work/user/run"
  export XDG_DATA_HOME="$work/user/data" XDG_CONFIG_HOME="$work/user/config"
  export QT_QPA_PLATFORM=offscreen LANGUAGE="" LC_ALL="" LC_MESSAGES="" LANG=C.UTF-8
  unset SKELMORA_HID SKELMORA_TABLE_IDS SKELMORA_AUDIO SKELMORA_AUDIO_BRIDGE DISPLAY WAYLAND_DISPLAY
  export SKELMORA_AUDIO=none ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
}

# Repeats one "skelmora-send ui" request until it is taken (the page may still be coming).
ui() {
  local _
  for _ in $(seq 1 100); do
    "$send_ui" ui "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  "$send_ui" ui "$@" || true
  fail "the request 'ui $*' was refused"
}

# shot NAME KINDS [REQUEST...]: starts the program on the emulated KINDS, sends each REQUEST
# (one "ui" request per argument, e.g. "show keyboard:keys"; "sleep S" waits) and writes the
# window to NAME.png. $LANG, $QT_QPA_PLATFORM and the like may be set around the call.
shot() {
  local name="$1" kinds="$2"
  shift 2
  want "$name" || return 0
  local file="$work/$name.png"
  rm -f "$file"
  # The picture is taken after_ms after the first discovery pass: time enough for the
  # requests (the page's device connects 500 ms after it is shown, and reads back its light).
  local after_ms=$((3000 + 1500 * $#))
  "$skelmora" --emulate "$kinds" --automation --screenshot "$file" --after-ms "$after_ms" \
    >"$work/log" 2>&1 &
  program_pid=$!
  local request
  if [ $# -gt 0 ]; then
    for request in "$@"; do
      case "$request" in
        "sleep "*) sleep "${request#sleep }" ;;
        *) read -r -a words <<<"$request"; ui "${words[@]}" ;;
      esac
    done
    sleep 0.5
    [ ! -e "$file" ] || fail "$name: the picture was taken before the requests were done"
  fi
  wait "$program_pid" || fail "$name: the program exited $?"
  program_pid=""
  [ -s "$file" ] || fail "$name: no picture was written"
  cp "$file" "$out/$name.png"
  echo "wrote docs/screenshots/$name.png"
}

fresh_user
# The README's first picture: the keyboard's page as the program opens it.
shot main-keyboard-headset-en keyboard,headset
LANG=zh_CN.UTF-8 shot main-keyboard-headset-zh keyboard,headset
# A screen above 1500 x 960 gets the 144-DPI layout.
cat >"$work/screen-144.json" <<'JSON'
{ "screens": [ { "name": "wide", "x": 0, "y": 0, "width": 2560, "height": 1440,
                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }
JSON
QT_QPA_PLATFORM="offscreen:configfile=$work/screen-144.json" \
  shot main-keyboard-headset-en-144dpi keyboard,headset

# The keyboard page: the picture and the system settings; a key's assignment; the macros.
shot keyboard-page-en keyboard "show keyboard:system"
LANG=zh_CN.UTF-8 shot keyboard-page-zh keyboard "show keyboard:system"
shot keyboard-keys-en keyboard "show keyboard:keys" "sleep 1.5" "click key_1" \
  "item keyset_function_combo 6" "item keyset_media_combo 6"
shot keyboard-macros-en keyboard "show keyboard:macros" "sleep 1.5" "click macro_btn_name_add" \
  "text mouse_x_left_edit 20" "click macro_inset_moveleftkey_btn"
# The lighting panel: the keyboard in its custom effect (row 21), the mouse breathing (row 2).
shot light-panel-keyboard-21 keyboard "show keyboard:light" "sleep 1.5" \
  "item light_combo_modeSelect 21"
# Not shown by the documents, kept for comparison: music rhythm (row 29) and zone effects (45).
shot light-panel-keyboard-29 keyboard "show keyboard:light" "sleep 1.5" \
  "item light_combo_modeSelect 29"
shot light-panel-keyboard-45 keyboard "show keyboard:light" "sleep 1.5" \
  "item light_combo_modeSelect 45"
shot light-panel-mouse mouse "show mouse" "sleep 1.5" \
  "click mouse_device_seting_option_5" "item light_combo_modeSelect 2"

# The mouse page's tabs.
# The mouse's own breathing light may be dark at the moment of the picture: the wave (row 0)
# shows its LEDs lit.
shot mouse-buttons-en mouse "show mouse" "sleep 1.5" "click mouse_device_seting_option_5" \
  "item light_combo_modeSelect 0" "click mouse_device_seting_option_0"
shot mouse-dpi-en mouse "show mouse" "sleep 1.5" "click mouse_device_seting_option_1"
# The page opens with no bullet chosen (blank edits); gun 1, bullet 1 shows its factory pattern.
shot mouse-recoil-en mouse "show mouse" "sleep 1.5" "click mouse_device_seting_option_4" \
  "click shoot_gun_op_0" "click bullet_op_0"

shot mousepad-page-en mousepad "show mousepad" "sleep 1.5"

# The headset page and its sound tabs.
shot headset-page-en headset "show headset" "sleep 1.5"
shot headset-voice headset "show headset:voice"
shot headset-voice-changer headset "show headset:magic"
shot headset-surround headset "show headset:surround"

# Windows of their own, written by the UI tests.
test_shots() {
  local program="$1" filter="$2"
  shift 2
  local name missing=1
  for name in "$@"; do want "$name" && missing=0; done
  [ "$missing" = 0 ] || return 0
  if [ ! -x "$build/bin/$program" ]; then
    echo "skipped $*: $program is not built" >&2
    return 0
  fi
  rm -rf "$work/tests" && mkdir -p "$work/tests"
  SKELMORA_SCREENSHOT_DIR="$work/tests" "$build/bin/$program" --gtest_filter="$filter" \
    >"$work/log" 2>&1 || fail "$program $filter failed"
  for name in "$@"; do
    want "$name" || continue
    [ -s "$work/tests/$name.png" ] || fail "$program did not write $name.png"
    cp "$work/tests/$name.png" "$out/$name.png"
    echo "wrote docs/screenshots/$name.png"
  done
}
fresh_user
test_shots test_music_window '*OkSavesTheStyles*' music_window_en
test_shots test_profile_panel '*ProfileLinkWndTest.Screenshot*' profile_link_dialog
test_shots test_color_palette '*PaletteDialog.Screenshot*' palette_dialog_en
test_shots test_settings_window '*' settings_offline_en settings_update_available_en \
  settings_autostart_en
