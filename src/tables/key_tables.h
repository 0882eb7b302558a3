#pragma once
// The keyboard's key tables: the virtual-key table (142 rows) that turns a key the user picks
// or presses into a device key code, the scan-code table parallel to it, the text identifiers
// of its rows (plus one extra), the Ctrl shortcut table, and the Linux input (evdev) key codes
// that find the same rows, so that key capture and macro recording on Linux pick the row the
// Windows keyboard hook found by virtual-key or scan code.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "tables/key_code.h"

namespace tables {

// Windows virtual-key codes, kept as numbers: stored key codes and the hook's reports use them.
namespace vk {
inline constexpr std::uint16_t kVkBack = 0x08, kVkTab = 0x09, kVkReturn = 0x0D, kVkPause = 0x13,
                               kVkCapital = 0x14, kVkEscape = 0x1B, kVkSpace = 0x20,
                               kVkPrior = 0x21, kVkNext = 0x22, kVkEnd = 0x23, kVkHome = 0x24,
                               kVkLeft = 0x25, kVkUp = 0x26, kVkRight = 0x27, kVkDown = 0x28,
                               kVkSnapshot = 0x2C, kVkInsert = 0x2D, kVkDelete = 0x2E,
                               kVkLWin = 0x5B, kVkRWin = 0x5C, kVkApps = 0x5D, kVkNumpad0 = 0x60,
                               kVkMultiply = 0x6A, kVkAdd = 0x6B, kVkSubtract = 0x6D,
                               kVkDecimal = 0x6E, kVkDivide = 0x6F, kVkF1 = 0x70,
                               kVkNumLock = 0x90, kVkScroll = 0x91, kVkLShift = 0xA0,
                               kVkRShift = 0xA1, kVkLControl = 0xA2, kVkRControl = 0xA3,
                               kVkLMenu = 0xA4, kVkRMenu = 0xA5, kVkBrowserBack = 0xA6,
                               kVkBrowserForward = 0xA7, kVkBrowserRefresh = 0xA8,
                               kVkBrowserStop = 0xA9, kVkBrowserSearch = 0xAA,
                               kVkBrowserFavorites = 0xAB, kVkBrowserHome = 0xAC,
                               kVkVolumeMute = 0xAD, kVkVolumeDown = 0xAE, kVkVolumeUp = 0xAF,
                               kVkMediaNextTrack = 0xB0, kVkMediaPrevTrack = 0xB1,
                               kVkMediaStop = 0xB2, kVkMediaPlayPause = 0xB3,
                               kVkLaunchMail = 0xB4, kVkLaunchMediaSelect = 0xB5,
                               kVkLaunchApp1 = 0xB6, kVkLaunchApp2 = 0xB7, kVkOem1 = 0xBA,
                               kVkOemPlus = 0xBB, kVkOemComma = 0xBC, kVkOemMinus = 0xBD,
                               kVkOemPeriod = 0xBE, kVkOem2 = 0xBF, kVkOem3 = 0xC0,
                               kVkOem4 = 0xDB, kVkOem5 = 0xDC, kVkOem6 = 0xDD, kVkOem7 = 0xDE,
                               kVkOem102 = 0xE2;
// Values of the system's own: keypad Enter and the three system keys.
inline constexpr std::uint16_t kVkKeypadEnter = 0x101, kVkPower = 0x103, kVkSleep = 0x104,
                               kVkWake = 0x105;
}  // namespace vk

struct VirtualKeyRow {
    std::uint16_t virtual_key = 0;  // 0 for the special keys that no key press produces
    DeviceKeyCode code;
};

struct ScanCodeRow {
    std::uint16_t virtual_key = 0;
    std::uint16_t scan_code = 0;  // set-1 make code; 0 for a row without a key
    bool extended = false;        // the E0-prefixed keys: the hook's extended-key flag
};

struct ShortcutRow {
    std::uint8_t index = 0;
    DeviceKeyCode code;
};

struct EvdevKeyRow {
    std::uint16_t evdev_code = 0;
    DeviceKeyCode code;
};

inline constexpr std::size_t kVirtualKeyRowCount = 142;
inline constexpr std::size_t kKeyTextIdentifierCount = 143;  // one per row plus "COLOR"
inline constexpr std::size_t kModifierRowCount = 8;          // rows 0 to 7

// clang-format off
inline constexpr std::array<VirtualKeyRow, kVirtualKeyRowCount> kVirtualKeyTable = [] {
    using namespace vk;
    return std::array<VirtualKeyRow, kVirtualKeyRowCount>{{
    VirtualKeyRow{kVkLControl, DeviceKeyCode{0x20, 0x01, 0x00}},  // 0
    VirtualKeyRow{kVkLShift, DeviceKeyCode{0x20, 0x02, 0x00}},  // 1
    VirtualKeyRow{kVkLMenu, DeviceKeyCode{0x20, 0x04, 0x00}},  // 2
    VirtualKeyRow{kVkLWin, DeviceKeyCode{0x20, 0x08, 0x00}},  // 3
    VirtualKeyRow{kVkRControl, DeviceKeyCode{0x20, 0x10, 0x00}},  // 4
    VirtualKeyRow{kVkRShift, DeviceKeyCode{0x20, 0x20, 0x00}},  // 5
    VirtualKeyRow{kVkRMenu, DeviceKeyCode{0x20, 0x40, 0x00}},  // 6
    VirtualKeyRow{kVkRWin, DeviceKeyCode{0x20, 0x80, 0x00}},  // 7
    VirtualKeyRow{'A', DeviceKeyCode{0x20, 0x00, 0x04}},  // 8
    VirtualKeyRow{'B', DeviceKeyCode{0x20, 0x00, 0x05}},  // 9
    VirtualKeyRow{'C', DeviceKeyCode{0x20, 0x00, 0x06}},  // 10
    VirtualKeyRow{'D', DeviceKeyCode{0x20, 0x00, 0x07}},  // 11
    VirtualKeyRow{'E', DeviceKeyCode{0x20, 0x00, 0x08}},  // 12
    VirtualKeyRow{'F', DeviceKeyCode{0x20, 0x00, 0x09}},  // 13
    VirtualKeyRow{'G', DeviceKeyCode{0x20, 0x00, 0x0A}},  // 14
    VirtualKeyRow{'H', DeviceKeyCode{0x20, 0x00, 0x0B}},  // 15
    VirtualKeyRow{'I', DeviceKeyCode{0x20, 0x00, 0x0C}},  // 16
    VirtualKeyRow{'J', DeviceKeyCode{0x20, 0x00, 0x0D}},  // 17
    VirtualKeyRow{'K', DeviceKeyCode{0x20, 0x00, 0x0E}},  // 18
    VirtualKeyRow{'L', DeviceKeyCode{0x20, 0x00, 0x0F}},  // 19
    VirtualKeyRow{'M', DeviceKeyCode{0x20, 0x00, 0x10}},  // 20
    VirtualKeyRow{'N', DeviceKeyCode{0x20, 0x00, 0x11}},  // 21
    VirtualKeyRow{'O', DeviceKeyCode{0x20, 0x00, 0x12}},  // 22
    VirtualKeyRow{'P', DeviceKeyCode{0x20, 0x00, 0x13}},  // 23
    VirtualKeyRow{'Q', DeviceKeyCode{0x20, 0x00, 0x14}},  // 24
    VirtualKeyRow{'R', DeviceKeyCode{0x20, 0x00, 0x15}},  // 25
    VirtualKeyRow{'S', DeviceKeyCode{0x20, 0x00, 0x16}},  // 26
    VirtualKeyRow{'T', DeviceKeyCode{0x20, 0x00, 0x17}},  // 27
    VirtualKeyRow{'U', DeviceKeyCode{0x20, 0x00, 0x18}},  // 28
    VirtualKeyRow{'V', DeviceKeyCode{0x20, 0x00, 0x19}},  // 29
    VirtualKeyRow{'W', DeviceKeyCode{0x20, 0x00, 0x1A}},  // 30
    VirtualKeyRow{'X', DeviceKeyCode{0x20, 0x00, 0x1B}},  // 31
    VirtualKeyRow{'Y', DeviceKeyCode{0x20, 0x00, 0x1C}},  // 32
    VirtualKeyRow{'Z', DeviceKeyCode{0x20, 0x00, 0x1D}},  // 33
    VirtualKeyRow{'1', DeviceKeyCode{0x20, 0x00, 0x1E}},  // 34
    VirtualKeyRow{'2', DeviceKeyCode{0x20, 0x00, 0x1F}},  // 35
    VirtualKeyRow{'3', DeviceKeyCode{0x20, 0x00, 0x20}},  // 36
    VirtualKeyRow{'4', DeviceKeyCode{0x20, 0x00, 0x21}},  // 37
    VirtualKeyRow{'5', DeviceKeyCode{0x20, 0x00, 0x22}},  // 38
    VirtualKeyRow{'6', DeviceKeyCode{0x20, 0x00, 0x23}},  // 39
    VirtualKeyRow{'7', DeviceKeyCode{0x20, 0x00, 0x24}},  // 40
    VirtualKeyRow{'8', DeviceKeyCode{0x20, 0x00, 0x25}},  // 41
    VirtualKeyRow{'9', DeviceKeyCode{0x20, 0x00, 0x26}},  // 42
    VirtualKeyRow{'0', DeviceKeyCode{0x20, 0x00, 0x27}},  // 43
    VirtualKeyRow{kVkReturn, DeviceKeyCode{0x20, 0x00, 0x28}},  // 44
    VirtualKeyRow{kVkEscape, DeviceKeyCode{0x20, 0x00, 0x29}},  // 45
    VirtualKeyRow{kVkBack, DeviceKeyCode{0x20, 0x00, 0x2A}},  // 46
    VirtualKeyRow{kVkTab, DeviceKeyCode{0x20, 0x00, 0x2B}},  // 47
    VirtualKeyRow{kVkSpace, DeviceKeyCode{0x20, 0x00, 0x2C}},  // 48
    VirtualKeyRow{kVkOemMinus, DeviceKeyCode{0x20, 0x00, 0x2D}},  // 49
    VirtualKeyRow{kVkOemPlus, DeviceKeyCode{0x20, 0x00, 0x2E}},  // 50
    VirtualKeyRow{kVkOem4, DeviceKeyCode{0x20, 0x00, 0x2F}},  // 51
    VirtualKeyRow{kVkOem6, DeviceKeyCode{0x20, 0x00, 0x30}},  // 52
    VirtualKeyRow{kVkOem5, DeviceKeyCode{0x20, 0x00, 0x31}},  // 53
    VirtualKeyRow{kVkOem1, DeviceKeyCode{0x20, 0x00, 0x33}},  // 54
    VirtualKeyRow{kVkOem7, DeviceKeyCode{0x20, 0x00, 0x34}},  // 55
    VirtualKeyRow{kVkOem3, DeviceKeyCode{0x20, 0x00, 0x35}},  // 56
    VirtualKeyRow{kVkOemComma, DeviceKeyCode{0x20, 0x00, 0x36}},  // 57
    VirtualKeyRow{kVkOemPeriod, DeviceKeyCode{0x20, 0x00, 0x37}},  // 58
    VirtualKeyRow{kVkOem2, DeviceKeyCode{0x20, 0x00, 0x38}},  // 59
    VirtualKeyRow{kVkCapital, DeviceKeyCode{0x20, 0x00, 0x39}},  // 60
    VirtualKeyRow{kVkF1, DeviceKeyCode{0x20, 0x00, 0x3A}},  // 61
    VirtualKeyRow{kVkF1 + 1, DeviceKeyCode{0x20, 0x00, 0x3B}},  // 62
    VirtualKeyRow{kVkF1 + 2, DeviceKeyCode{0x20, 0x00, 0x3C}},  // 63
    VirtualKeyRow{kVkF1 + 3, DeviceKeyCode{0x20, 0x00, 0x3D}},  // 64
    VirtualKeyRow{kVkF1 + 4, DeviceKeyCode{0x20, 0x00, 0x3E}},  // 65
    VirtualKeyRow{kVkF1 + 5, DeviceKeyCode{0x20, 0x00, 0x3F}},  // 66
    VirtualKeyRow{kVkF1 + 6, DeviceKeyCode{0x20, 0x00, 0x40}},  // 67
    VirtualKeyRow{kVkF1 + 7, DeviceKeyCode{0x20, 0x00, 0x41}},  // 68
    VirtualKeyRow{kVkF1 + 8, DeviceKeyCode{0x20, 0x00, 0x42}},  // 69
    VirtualKeyRow{kVkF1 + 9, DeviceKeyCode{0x20, 0x00, 0x43}},  // 70
    VirtualKeyRow{kVkF1 + 10, DeviceKeyCode{0x20, 0x00, 0x44}},  // 71
    VirtualKeyRow{kVkF1 + 11, DeviceKeyCode{0x20, 0x00, 0x45}},  // 72
    VirtualKeyRow{kVkSnapshot, DeviceKeyCode{0x20, 0x00, 0x46}},  // 73
    VirtualKeyRow{kVkScroll, DeviceKeyCode{0x20, 0x00, 0x47}},  // 74
    VirtualKeyRow{kVkPause, DeviceKeyCode{0x20, 0x00, 0x48}},  // 75
    VirtualKeyRow{kVkInsert, DeviceKeyCode{0x20, 0x00, 0x49}},  // 76
    VirtualKeyRow{kVkHome, DeviceKeyCode{0x20, 0x00, 0x4A}},  // 77
    VirtualKeyRow{kVkPrior, DeviceKeyCode{0x20, 0x00, 0x4B}},  // 78
    VirtualKeyRow{kVkDelete, DeviceKeyCode{0x20, 0x00, 0x4C}},  // 79
    VirtualKeyRow{kVkEnd, DeviceKeyCode{0x20, 0x00, 0x4D}},  // 80
    VirtualKeyRow{kVkNext, DeviceKeyCode{0x20, 0x00, 0x4E}},  // 81
    VirtualKeyRow{kVkRight, DeviceKeyCode{0x20, 0x00, 0x4F}},  // 82
    VirtualKeyRow{kVkLeft, DeviceKeyCode{0x20, 0x00, 0x50}},  // 83
    VirtualKeyRow{kVkDown, DeviceKeyCode{0x20, 0x00, 0x51}},  // 84
    VirtualKeyRow{kVkUp, DeviceKeyCode{0x20, 0x00, 0x52}},  // 85
    VirtualKeyRow{kVkNumLock, DeviceKeyCode{0x20, 0x00, 0x53}},  // 86
    VirtualKeyRow{kVkDivide, DeviceKeyCode{0x20, 0x00, 0x54}},  // 87
    VirtualKeyRow{kVkMultiply, DeviceKeyCode{0x20, 0x00, 0x55}},  // 88
    VirtualKeyRow{kVkSubtract, DeviceKeyCode{0x20, 0x00, 0x56}},  // 89
    VirtualKeyRow{kVkAdd, DeviceKeyCode{0x20, 0x00, 0x57}},  // 90
    VirtualKeyRow{kVkKeypadEnter, DeviceKeyCode{0x20, 0x00, 0x58}},  // 91
    VirtualKeyRow{kVkNumpad0 + 1, DeviceKeyCode{0x20, 0x00, 0x59}},  // 92
    VirtualKeyRow{kVkNumpad0 + 2, DeviceKeyCode{0x20, 0x00, 0x5A}},  // 93
    VirtualKeyRow{kVkNumpad0 + 3, DeviceKeyCode{0x20, 0x00, 0x5B}},  // 94
    VirtualKeyRow{kVkNumpad0 + 4, DeviceKeyCode{0x20, 0x00, 0x5C}},  // 95
    VirtualKeyRow{kVkNumpad0 + 5, DeviceKeyCode{0x20, 0x00, 0x5D}},  // 96
    VirtualKeyRow{kVkNumpad0 + 6, DeviceKeyCode{0x20, 0x00, 0x5E}},  // 97
    VirtualKeyRow{kVkNumpad0 + 7, DeviceKeyCode{0x20, 0x00, 0x5F}},  // 98
    VirtualKeyRow{kVkNumpad0 + 8, DeviceKeyCode{0x20, 0x00, 0x60}},  // 99
    VirtualKeyRow{kVkNumpad0 + 9, DeviceKeyCode{0x20, 0x00, 0x61}},  // 100
    VirtualKeyRow{kVkNumpad0, DeviceKeyCode{0x20, 0x00, 0x62}},  // 101
    VirtualKeyRow{kVkDecimal, DeviceKeyCode{0x20, 0x00, 0x63}},  // 102
    VirtualKeyRow{kVkApps, DeviceKeyCode{0x20, 0x00, 0x65}},  // 103
    VirtualKeyRow{kVkOem102, DeviceKeyCode{0x20, 0x00, 0x64}},  // 104
    VirtualKeyRow{0xC1, DeviceKeyCode{0x20, 0x00, 0x87}},  // 105
    VirtualKeyRow{0xC2, DeviceKeyCode{0x20, 0x00, 0x85}},  // 106
    VirtualKeyRow{0xEB, DeviceKeyCode{0x20, 0x00, 0x8B}},  // 107
    VirtualKeyRow{0xE9, DeviceKeyCode{0x20, 0x00, 0x91}},  // 108
    VirtualKeyRow{0xFF, DeviceKeyCode{0x20, 0x00, 0x89}},  // 109
    VirtualKeyRow{0xFF, DeviceKeyCode{0x20, 0x00, 0x8A}},  // 110
    VirtualKeyRow{0xFF, DeviceKeyCode{0x20, 0x00, 0x88}},  // 111
    VirtualKeyRow{0xFF, DeviceKeyCode{0x20, 0x00, 0x90}},  // 112
    VirtualKeyRow{kVkOem2, DeviceKeyCode{0x20, 0x00, 0x32}},  // 113
    VirtualKeyRow{kVkLaunchApp2, DeviceKeyCode{0x30, 0x92, 0x01}},  // 114
    VirtualKeyRow{kVkBrowserHome, DeviceKeyCode{0x30, 0x23, 0x02}},  // 115
    VirtualKeyRow{kVkMediaPlayPause, DeviceKeyCode{0x30, 0xCD, 0x00}},  // 116
    VirtualKeyRow{kVkBrowserSearch, DeviceKeyCode{0x30, 0x21, 0x02}},  // 117
    VirtualKeyRow{kVkLaunchMail, DeviceKeyCode{0x30, 0x8A, 0x01}},  // 118
    VirtualKeyRow{kVkVolumeUp, DeviceKeyCode{0x30, 0xE9, 0x00}},  // 119
    VirtualKeyRow{kVkVolumeMute, DeviceKeyCode{0x30, 0xE2, 0x00}},  // 120
    VirtualKeyRow{kVkMediaStop, DeviceKeyCode{0x30, 0xB7, 0x00}},  // 121
    VirtualKeyRow{kVkVolumeDown, DeviceKeyCode{0x30, 0xEA, 0x00}},  // 122
    VirtualKeyRow{kVkBrowserFavorites, DeviceKeyCode{0x30, 0x2A, 0x02}},  // 123
    VirtualKeyRow{kVkBrowserForward, DeviceKeyCode{0x30, 0x25, 0x02}},  // 124
    VirtualKeyRow{kVkBrowserBack, DeviceKeyCode{0x30, 0x24, 0x02}},  // 125
    VirtualKeyRow{kVkMediaPrevTrack, DeviceKeyCode{0x30, 0xB6, 0x00}},  // 126
    VirtualKeyRow{kVkMediaNextTrack, DeviceKeyCode{0x30, 0xB5, 0x00}},  // 127
    VirtualKeyRow{kVkLaunchApp1, DeviceKeyCode{0x30, 0x94, 0x01}},  // 128
    VirtualKeyRow{kVkBrowserRefresh, DeviceKeyCode{0x30, 0x27, 0x02}},  // 129
    VirtualKeyRow{kVkBrowserStop, DeviceKeyCode{0x30, 0x26, 0x02}},  // 130
    VirtualKeyRow{kVkLaunchMediaSelect, DeviceKeyCode{0x30, 0x83, 0x01}},  // 131
    VirtualKeyRow{0x103, DeviceKeyCode{0x40, 0x01, 0x00}},  // 132
    VirtualKeyRow{0x104, DeviceKeyCode{0x40, 0x02, 0x00}},  // 133
    VirtualKeyRow{0x105, DeviceKeyCode{0x40, 0x04, 0x00}},  // 134
    VirtualKeyRow{0, DeviceKeyCode{0xD0, 0xA2, 0x01}},  // 135
    VirtualKeyRow{0, DeviceKeyCode{0xD0, 0xA2, 0x02}},  // 136
    VirtualKeyRow{0, DeviceKeyCode{0xD0, 0xA2, 0x03}},  // 137
    VirtualKeyRow{0, DeviceKeyCode{0xD0, 0xA2, 0x04}},  // 138
    VirtualKeyRow{0, DeviceKeyCode{0xD0, 0xA2, 0x05}},  // 139
    VirtualKeyRow{0, DeviceKeyCode{0xA0, 0x01, 0x00}},  // 140
    VirtualKeyRow{0, DeviceKeyCode{0xA0, 0x1B, 0x00}},  // 141
    }};
}();

// Parallel to kVirtualKeyTable. The right-hand modifiers carry the extended flag (0x11D, 0x136,
// 0x138, 0x15C in the combined form).
inline constexpr std::array<ScanCodeRow, kVirtualKeyRowCount> kScanCodeTable = [] {
    using namespace vk;
    return std::array<ScanCodeRow, kVirtualKeyRowCount>{{
    ScanCodeRow{kVkLControl, 0x1D, false},  // 0
    ScanCodeRow{kVkLShift, 0x2A, false},  // 1
    ScanCodeRow{kVkLMenu, 0x38, false},  // 2
    ScanCodeRow{kVkLWin, 0x5B, true},  // 3
    ScanCodeRow{kVkRControl, 0x1D, true},  // 4
    ScanCodeRow{kVkRShift, 0x36, true},  // 5
    ScanCodeRow{kVkRMenu, 0x38, true},  // 6
    ScanCodeRow{kVkRWin, 0x5C, true},  // 7
    ScanCodeRow{'A', 0x1E, false},  // 8
    ScanCodeRow{'B', 0x30, false},  // 9
    ScanCodeRow{'C', 0x2E, false},  // 10
    ScanCodeRow{'D', 0x20, false},  // 11
    ScanCodeRow{'E', 0x12, false},  // 12
    ScanCodeRow{'F', 0x21, false},  // 13
    ScanCodeRow{'G', 0x22, false},  // 14
    ScanCodeRow{'H', 0x23, false},  // 15
    ScanCodeRow{'I', 0x17, false},  // 16
    ScanCodeRow{'J', 0x24, false},  // 17
    ScanCodeRow{'K', 0x25, false},  // 18
    ScanCodeRow{'L', 0x26, false},  // 19
    ScanCodeRow{'M', 0x32, false},  // 20
    ScanCodeRow{'N', 0x31, false},  // 21
    ScanCodeRow{'O', 0x18, false},  // 22
    ScanCodeRow{'P', 0x19, false},  // 23
    ScanCodeRow{'Q', 0x10, false},  // 24
    ScanCodeRow{'R', 0x13, false},  // 25
    ScanCodeRow{'S', 0x1F, false},  // 26
    ScanCodeRow{'T', 0x14, false},  // 27
    ScanCodeRow{'U', 0x16, false},  // 28
    ScanCodeRow{'V', 0x2F, false},  // 29
    ScanCodeRow{'W', 0x11, false},  // 30
    ScanCodeRow{'X', 0x2D, false},  // 31
    ScanCodeRow{'Y', 0x15, false},  // 32
    ScanCodeRow{'Z', 0x2C, false},  // 33
    ScanCodeRow{'1', 0x02, false},  // 34
    ScanCodeRow{'2', 0x03, false},  // 35
    ScanCodeRow{'3', 0x04, false},  // 36
    ScanCodeRow{'4', 0x05, false},  // 37
    ScanCodeRow{'5', 0x06, false},  // 38
    ScanCodeRow{'6', 0x07, false},  // 39
    ScanCodeRow{'7', 0x08, false},  // 40
    ScanCodeRow{'8', 0x09, false},  // 41
    ScanCodeRow{'9', 0x0A, false},  // 42
    ScanCodeRow{'0', 0x0B, false},  // 43
    ScanCodeRow{kVkReturn, 0x1C, false},  // 44
    ScanCodeRow{kVkEscape, 0x01, false},  // 45
    ScanCodeRow{kVkBack, 0x0E, false},  // 46
    ScanCodeRow{kVkTab, 0x0F, false},  // 47
    ScanCodeRow{kVkSpace, 0x39, false},  // 48
    ScanCodeRow{kVkOemMinus, 0x0C, false},  // 49
    ScanCodeRow{kVkOemPlus, 0x0D, false},  // 50
    ScanCodeRow{kVkOem4, 0x1A, false},  // 51
    ScanCodeRow{kVkOem6, 0x1B, false},  // 52
    ScanCodeRow{kVkOem5, 0x2B, false},  // 53
    ScanCodeRow{kVkOem1, 0x27, false},  // 54
    ScanCodeRow{kVkOem7, 0x28, false},  // 55
    ScanCodeRow{kVkOem3, 0x29, false},  // 56
    ScanCodeRow{kVkOemComma, 0x33, false},  // 57
    ScanCodeRow{kVkOemPeriod, 0x34, false},  // 58
    ScanCodeRow{kVkOem2, 0x35, false},  // 59
    ScanCodeRow{kVkCapital, 0x3A, false},  // 60
    ScanCodeRow{kVkF1, 0x3B, false},  // 61
    ScanCodeRow{kVkF1 + 1, 0x3C, false},  // 62
    ScanCodeRow{kVkF1 + 2, 0x3D, false},  // 63
    ScanCodeRow{kVkF1 + 3, 0x3E, false},  // 64
    ScanCodeRow{kVkF1 + 4, 0x3F, false},  // 65
    ScanCodeRow{kVkF1 + 5, 0x40, false},  // 66
    ScanCodeRow{kVkF1 + 6, 0x41, false},  // 67
    ScanCodeRow{kVkF1 + 7, 0x42, false},  // 68
    ScanCodeRow{kVkF1 + 8, 0x43, false},  // 69
    ScanCodeRow{kVkF1 + 9, 0x44, false},  // 70
    ScanCodeRow{kVkF1 + 10, 0x57, false},  // 71
    ScanCodeRow{kVkF1 + 11, 0x58, false},  // 72
    ScanCodeRow{kVkSnapshot, 0x37, true},  // 73
    ScanCodeRow{kVkScroll, 0x46, false},  // 74
    ScanCodeRow{kVkPause, 0x45, false},  // 75
    ScanCodeRow{kVkInsert, 0x52, true},  // 76
    ScanCodeRow{kVkHome, 0x47, true},  // 77
    ScanCodeRow{kVkPrior, 0x49, true},  // 78
    ScanCodeRow{kVkDelete, 0x53, true},  // 79
    ScanCodeRow{kVkEnd, 0x4F, true},  // 80
    ScanCodeRow{kVkNext, 0x51, true},  // 81
    ScanCodeRow{kVkRight, 0x4D, true},  // 82
    ScanCodeRow{kVkLeft, 0x4B, true},  // 83
    ScanCodeRow{kVkDown, 0x50, true},  // 84
    ScanCodeRow{kVkUp, 0x48, true},  // 85
    ScanCodeRow{kVkNumLock, 0x45, true},  // 86
    ScanCodeRow{kVkDivide, 0x35, true},  // 87
    ScanCodeRow{kVkMultiply, 0x37, false},  // 88
    ScanCodeRow{kVkSubtract, 0x4A, false},  // 89
    ScanCodeRow{kVkAdd, 0x4E, false},  // 90
    ScanCodeRow{kVkKeypadEnter, 0x1C, true},  // 91
    ScanCodeRow{kVkNumpad0 + 1, 0x4F, false},  // 92
    ScanCodeRow{kVkNumpad0 + 2, 0x50, false},  // 93
    ScanCodeRow{kVkNumpad0 + 3, 0x51, false},  // 94
    ScanCodeRow{kVkNumpad0 + 4, 0x4B, false},  // 95
    ScanCodeRow{kVkNumpad0 + 5, 0x4C, false},  // 96
    ScanCodeRow{kVkNumpad0 + 6, 0x4D, false},  // 97
    ScanCodeRow{kVkNumpad0 + 7, 0x47, false},  // 98
    ScanCodeRow{kVkNumpad0 + 8, 0x48, false},  // 99
    ScanCodeRow{kVkNumpad0 + 9, 0x49, false},  // 100
    ScanCodeRow{kVkNumpad0, 0x52, false},  // 101
    ScanCodeRow{kVkDecimal, 0x53, false},  // 102
    ScanCodeRow{kVkApps, 0x5D, true},  // 103
    ScanCodeRow{kVkOem102, 0x56, false},  // 104
    ScanCodeRow{0xC1, 0x73, false},  // 105
    ScanCodeRow{0xC2, 0x7E, false},  // 106
    ScanCodeRow{0xEB, 0x7B, false},  // 107
    ScanCodeRow{0xE9, 0xF1, false},  // 108
    ScanCodeRow{0xFF, 0x7D, false},  // 109
    ScanCodeRow{0xFF, 0x79, false},  // 110
    ScanCodeRow{0xFF, 0x70, false},  // 111
    ScanCodeRow{0xFF, 0xF2, false},  // 112
    ScanCodeRow{kVkOem2, 0x2B, false},  // 113
    ScanCodeRow{kVkLaunchApp2, 0x21, true},  // 114
    ScanCodeRow{kVkBrowserHome, 0x32, true},  // 115
    ScanCodeRow{kVkMediaPlayPause, 0x22, true},  // 116
    ScanCodeRow{kVkBrowserSearch, 0x65, true},  // 117
    ScanCodeRow{kVkLaunchMail, 0x6C, true},  // 118
    ScanCodeRow{kVkVolumeUp, 0x30, true},  // 119
    ScanCodeRow{kVkVolumeMute, 0x20, true},  // 120
    ScanCodeRow{kVkMediaStop, 0x24, true},  // 121
    ScanCodeRow{kVkVolumeDown, 0x2E, true},  // 122
    ScanCodeRow{kVkBrowserFavorites, 0x66, true},  // 123
    ScanCodeRow{kVkBrowserForward, 0x69, true},  // 124
    ScanCodeRow{kVkBrowserBack, 0x6A, true},  // 125
    ScanCodeRow{kVkMediaPrevTrack, 0x10, true},  // 126
    ScanCodeRow{kVkMediaNextTrack, 0x19, true},  // 127
    ScanCodeRow{kVkLaunchApp1, 0x6B, true},  // 128
    ScanCodeRow{kVkBrowserRefresh, 0x67, true},  // 129
    ScanCodeRow{kVkBrowserStop, 0x68, true},  // 130
    ScanCodeRow{kVkLaunchMediaSelect, 0x6D, true},  // 131
    ScanCodeRow{0x103, 0x5E, true},  // 132
    ScanCodeRow{0x104, 0x5F, true},  // 133
    ScanCodeRow{0x105, 0x63, true},  // 134
    ScanCodeRow{0, 0x00, false},  // 135
    ScanCodeRow{0, 0x00, false},  // 136
    ScanCodeRow{0, 0x00, false},  // 137
    ScanCodeRow{0, 0x00, false},  // 138
    ScanCodeRow{0, 0x00, false},  // 139
    ScanCodeRow{0, 0x00, false},  // 140
    ScanCodeRow{0, 0x00, false},  // 141
    }};
}();

// Parallel to kVirtualKeyTable, plus one extra entry after the 142 rows.
inline constexpr std::array<std::wstring_view, kKeyTextIdentifierCount> kKeyTextIdentifiers{{
    L"keyboard_key_LCtrl",  // 0
    L"keyboard_key_LShift",  // 1
    L"keyboard_key_LAlt",  // 2
    L"keyboard_key_LWin",  // 3
    L"keyboard_key_RCtrl",  // 4
    L"keyboard_key_RShift",  // 5
    L"keyboard_key_RAlt",  // 6
    L"keyboard_key_RWin",  // 7
    L"keyboard_key_A",  // 8
    L"keyboard_key_B",  // 9
    L"keyboard_key_C",  // 10
    L"keyboard_key_D",  // 11
    L"keyboard_key_E",  // 12
    L"keyboard_key_F",  // 13
    L"keyboard_key_G",  // 14
    L"keyboard_key_H",  // 15
    L"keyboard_key_I",  // 16
    L"keyboard_key_J",  // 17
    L"keyboard_key_K",  // 18
    L"keyboard_key_L",  // 19
    L"keyboard_key_M",  // 20
    L"keyboard_key_N",  // 21
    L"keyboard_key_O",  // 22
    L"keyboard_key_P",  // 23
    L"keyboard_key_Q",  // 24
    L"keyboard_key_R",  // 25
    L"keyboard_key_S",  // 26
    L"keyboard_key_T",  // 27
    L"keyboard_key_U",  // 28
    L"keyboard_key_V",  // 29
    L"keyboard_key_W",  // 30
    L"keyboard_key_X",  // 31
    L"keyboard_key_Y",  // 32
    L"keyboard_key_Z",  // 33
    L"keyboard_key_1",  // 34
    L"keyboard_key_2",  // 35
    L"keyboard_key_3",  // 36
    L"keyboard_key_4",  // 37
    L"keyboard_key_5",  // 38
    L"keyboard_key_6",  // 39
    L"keyboard_key_7",  // 40
    L"keyboard_key_8",  // 41
    L"keyboard_key_9",  // 42
    L"keyboard_key_0",  // 43
    L"keyboard_key_Enter",  // 44
    L"keyboard_key_Esc",  // 45
    L"keyboard_key_BackSpace",  // 46
    L"keyboard_key_Tab",  // 47
    L"keyboard_key_Space",  // 48
    L"keyboard_key_-",  // 49
    L"keyboard_key_=",  // 50
    L"keyboard_key_[",  // 51
    L"keyboard_key_]",  // 52
    L"keyboard_key_xiegang",  // 53
    L"keyboard_key_;",  // 54
    L"keyboard_key_'",  // 55
    L"keyboard_key_`",  // 56
    L"keyboard_key_<",  // 57
    L"keyboard_key_.",  // 58
    L"keyboard_key_/",  // 59
    L"keyboard_key_Caplk",  // 60
    L"keyboard_key_F1",  // 61
    L"keyboard_key_F2",  // 62
    L"keyboard_key_F3",  // 63
    L"keyboard_key_F4",  // 64
    L"keyboard_key_F5",  // 65
    L"keyboard_key_F6",  // 66
    L"keyboard_key_F7",  // 67
    L"keyboard_key_F8",  // 68
    L"keyboard_key_F9",  // 69
    L"keyboard_key_F10",  // 70
    L"keyboard_key_F11",  // 71
    L"keyboard_key_F12",  // 72
    L"keyboard_key_Print Scr",  // 73
    L"keyboard_key_Scroll Lock",  // 74
    L"keyboard_key_Pause",  // 75
    L"keyboard_key_Insert",  // 76
    L"keyboard_key_Home",  // 77
    L"keyboard_key_Page Up",  // 78
    L"keyboard_key_Delete",  // 79
    L"keyboard_key_End",  // 80
    L"keyboard_key_Page Down",  // 81
    L"keyboard_key_Right",  // 82
    L"keyboard_key_Left",  // 83
    L"keyboard_key_Down",  // 84
    L"keyboard_key_Up",  // 85
    L"keyboard_key_Num Lock",  // 86
    L"keyboard_key_Num /",  // 87
    L"keyboard_key_Num *",  // 88
    L"keyboard_key_Num -",  // 89
    L"keyboard_key_Num +",  // 90
    L"keyboard_key_Num Enter",  // 91
    L"keyboard_key_Num 1",  // 92
    L"keyboard_key_Num 2",  // 93
    L"keyboard_key_Num 3",  // 94
    L"keyboard_key_Num 4",  // 95
    L"keyboard_key_Num 5",  // 96
    L"keyboard_key_Num 6",  // 97
    L"keyboard_key_Num 7",  // 98
    L"keyboard_key_Num 8",  // 99
    L"keyboard_key_Num 9",  // 100
    L"keyboard_key_Num 0",  // 101
    L"keyboard_key_Decimal",  // 102
    L"keyboard_key_App",  // 103
    L"keyboard_key_K45",  // 104
    L"keyboard_key_K56",  // 105
    L"keyboard_key_K14",  // 106
    L"keyboard_key_K107",  // 107
    L"keyboard_key_K131",  // 108
    L"keyboard_key_K132",  // 109
    L"keyboard_key_K133",  // 110
    L"keyboard_key_K150",  // 111
    L"keyboard_key_K151",  // 112
    L"keyboard_key_K42",  // 113
    L"keyboard_key_Launch App2",  // 114
    L"keyboard_key_Browaer Home",  // 115
    L"keyboard_key_Media Play Pause",  // 116
    L"keyboard_key_Browser Search",  // 117
    L"keyboard_key_Launch Mail",  // 118
    L"keyboard_key_Volume Up",  // 119
    L"keyboard_key_Volume Mute",  // 120
    L"keyboard_key_Media Stop",  // 121
    L"keyboard_key_Volume Down",  // 122
    L"keyboard_key_Browser Favorites",  // 123
    L"keyboard_key_Browser ForWard",  // 124
    L"keyboard_key_Browser Back",  // 125
    L"keyboard_key_Media Prev Track",  // 126
    L"keyboard_key_Media Next Track",  // 127
    L"keyboard_key_Computer",  // 128
    L"keyboard_key_Browser Refresh",  // 129
    L"wed_stop",  // 130
    L"keyboard_key_Launch Media Select",  // 131
    L"keyboard_key_Power",  // 132
    L"keyboard_key_Sleep",  // 133
    L"keyboard_key_Wakeup",  // 134
    L"keyboard_key_M1",  // 135
    L"keyboard_key_M2",  // 136
    L"keyboard_key_M3",  // 137
    L"keyboard_key_M4",  // 138
    L"keyboard_key_M5",  // 139
    L"keyboard_key_FN",  // 140
    L"keyboard_key_GM",  // 141
    L"keyboard_key_COLOR",  // 142
}};

// Ctrl shortcuts of the key assignment panel: O, N, Z, S, C, X, V, F, A, minus, equals.
inline constexpr std::array<ShortcutRow, 11> kShortcutTable{{
    ShortcutRow{0, KeyboardKey(0x12, kModLeftCtrl)},
    ShortcutRow{1, KeyboardKey(0x11, kModLeftCtrl)},
    ShortcutRow{2, KeyboardKey(0x1D, kModLeftCtrl)},
    ShortcutRow{3, KeyboardKey(0x16, kModLeftCtrl)},
    ShortcutRow{4, KeyboardKey(0x06, kModLeftCtrl)},
    ShortcutRow{5, KeyboardKey(0x1B, kModLeftCtrl)},
    ShortcutRow{6, KeyboardKey(0x19, kModLeftCtrl)},
    ShortcutRow{7, KeyboardKey(0x09, kModLeftCtrl)},
    ShortcutRow{8, KeyboardKey(0x04, kModLeftCtrl)},
    ShortcutRow{9, KeyboardKey(0x2D, kModLeftCtrl)},
    ShortcutRow{10, KeyboardKey(0x2E, kModLeftCtrl)},
}};

// clang-format on

// First row of the virtual-key table with this virtual-key code.
std::optional<std::size_t> FindVirtualKeyRow(std::uint16_t virtual_key);
// First row whose device key code equals code.
std::optional<std::size_t> FindRowByKeyCode(const DeviceKeyCode& code);
// First row with this scan code and extended flag (a row without a key never matches).
std::optional<std::size_t> FindRowByScanCode(std::uint16_t scan_code, bool extended);
// Linux input (evdev) key codes and the device key code of the row each one finds.
std::span<const EvdevKeyRow> EvdevKeyTable();
// The row that a Linux input key code stands for.
std::optional<std::size_t> FindRowByEvdev(std::uint16_t evdev_code);
// Scan code and extended flag of a Linux input key code, as the Windows hook reported them.
std::optional<ScanCodeRow> ScanCodeForEvdev(std::uint16_t evdev_code);
// The text identifier of a row (0..142); empty outside.
std::wstring_view KeyTextIdentifier(std::size_t row);
// Scan code with 0x100 added for an extended key.
constexpr std::uint16_t CombinedScanCode(const ScanCodeRow& row) {
    return static_cast<std::uint16_t>(row.scan_code | (row.extended ? 0x100 : 0));
}

}  // namespace tables
