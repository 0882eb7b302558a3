#pragma once
// The constant tables of the key assignment panel: the rows of its mouse button, DPI, media
// and system combos in combo order, and which function item shows which code kind. The
// shortcut combo reads tables::kShortcutTable.
#include <array>
#include <cstdint>

#include "tables/key_code.h"

namespace key_assign {

using tables::DeviceKeyCode;

// Function kinds: the user data of the items of "keyset_function_combo" and the page index
// of "function_switch_tablayout".
enum FunctionKind : int {
    kFunctionDefault = 0,
    kFunctionMouseButton = 1,
    kFunctionMouseSwing = 2,
    kFunctionMouseWheel = 3,
    kFunctionDpi = 4,
    kFunctionMouseFire = 5,
    kFunctionKeyboardKey = 6,
    kFunctionMedia = 7,
    kFunctionSystem = 8,
    kFunctionMacro = 9,
    kFunctionGunKey = 10,
    kFunctionShortcut = 11,
};
inline constexpr int kFunctionKindCount = 12;

inline constexpr std::uint8_t kKindMouseButton = 0x10;
inline constexpr std::uint8_t kKindMouseSwing = 0x11;
inline constexpr std::uint8_t kKindMouseWheel = 0x12;
inline constexpr std::uint8_t kKindDpi = 0x13;
inline constexpr std::uint8_t kKindMouseFire = 0x14;
inline constexpr std::uint8_t kKindGunKey = 0x72;

// Left, middle, right, forward, back.
inline constexpr std::array<DeviceKeyCode, 5> kMouseButtonTable{{
    {0x10, 0x01, 0},
    {0x10, 0x04, 0},
    {0x10, 0x02, 0},
    {0x10, 0x10, 0},
    {0x10, 0x08, 0},
}};

inline constexpr std::array<DeviceKeyCode, 3> kDpiTable{{
    {0x13, 0x01, 0},
    {0x13, 0x02, 0},
    {0x13, 0x03, 0},
}};

// Media select, play/pause, stop, previous, next, volume down, volume up, mute, browser home,
// refresh, browser stop, back, forward, favourites, search, my computer, calculator, mail.
inline constexpr std::array<DeviceKeyCode, 18> kMediaTable{{
    tables::ConsumerKey(0x0183),
    tables::ConsumerKey(0x00CD),
    tables::ConsumerKey(0x00B7),
    tables::ConsumerKey(0x00B6),
    tables::ConsumerKey(0x00B5),
    tables::ConsumerKey(0x00EA),
    tables::ConsumerKey(0x00E9),
    tables::ConsumerKey(0x00E2),
    tables::ConsumerKey(0x0223),
    tables::ConsumerKey(0x0227),
    tables::ConsumerKey(0x0226),
    tables::ConsumerKey(0x0224),
    tables::ConsumerKey(0x0225),
    tables::ConsumerKey(0x022A),
    tables::ConsumerKey(0x0221),
    tables::ConsumerKey(0x0194),
    tables::ConsumerKey(0x0192),
    tables::ConsumerKey(0x018A),
}};

// Power, sleep, wake.
inline constexpr std::array<DeviceKeyCode, 3> kSystemTable{{
    {0x40, 0x01, 0},
    {0x40, 0x02, 0},
    {0x40, 0x04, 0},
}};

// The ranges of the panel's edits: what the byte field of the code can hold.
struct EditRange {
    int minimum;
    int maximum;
};
inline constexpr EditRange kDelayRange{0, 15};   // swing and wheel delay
inline constexpr EditRange kSpeedRange{0, 15};   // swing and wheel speed
inline constexpr EditRange kCountRange{0, 127};  // swing and wheel count
inline constexpr EditRange kByteRange{0, 255};   // fire interval and count, repeat count

}  // namespace key_assign
