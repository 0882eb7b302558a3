#include "tables/key_tables.h"

#include <linux/input-event-codes.h>

#include <algorithm>

namespace tables {

namespace {

// clang-format off
// Linux input key codes and the device key code of the row each one finds. Where the kernel
// reports one function under two codes (a USB keyboard and a PS/2 keyboard differ), both are
// listed. The non-US hash key arrives as KEY_BACKSLASH and so finds the backslash row.
constexpr std::array<EvdevKeyRow, 136> kEvdevKeyTable{{
    EvdevKeyRow{KEY_LEFTCTRL, DeviceKeyCode{0x20, 0x01, 0x00}},  // row 0
    EvdevKeyRow{KEY_LEFTSHIFT, DeviceKeyCode{0x20, 0x02, 0x00}},  // row 1
    EvdevKeyRow{KEY_LEFTALT, DeviceKeyCode{0x20, 0x04, 0x00}},  // row 2
    EvdevKeyRow{KEY_LEFTMETA, DeviceKeyCode{0x20, 0x08, 0x00}},  // row 3
    EvdevKeyRow{KEY_RIGHTCTRL, DeviceKeyCode{0x20, 0x10, 0x00}},  // row 4
    EvdevKeyRow{KEY_RIGHTSHIFT, DeviceKeyCode{0x20, 0x20, 0x00}},  // row 5
    EvdevKeyRow{KEY_RIGHTALT, DeviceKeyCode{0x20, 0x40, 0x00}},  // row 6
    EvdevKeyRow{KEY_RIGHTMETA, DeviceKeyCode{0x20, 0x80, 0x00}},  // row 7
    EvdevKeyRow{KEY_A, DeviceKeyCode{0x20, 0x00, 0x04}},  // row 8
    EvdevKeyRow{KEY_B, DeviceKeyCode{0x20, 0x00, 0x05}},  // row 9
    EvdevKeyRow{KEY_C, DeviceKeyCode{0x20, 0x00, 0x06}},  // row 10
    EvdevKeyRow{KEY_D, DeviceKeyCode{0x20, 0x00, 0x07}},  // row 11
    EvdevKeyRow{KEY_E, DeviceKeyCode{0x20, 0x00, 0x08}},  // row 12
    EvdevKeyRow{KEY_F, DeviceKeyCode{0x20, 0x00, 0x09}},  // row 13
    EvdevKeyRow{KEY_G, DeviceKeyCode{0x20, 0x00, 0x0A}},  // row 14
    EvdevKeyRow{KEY_H, DeviceKeyCode{0x20, 0x00, 0x0B}},  // row 15
    EvdevKeyRow{KEY_I, DeviceKeyCode{0x20, 0x00, 0x0C}},  // row 16
    EvdevKeyRow{KEY_J, DeviceKeyCode{0x20, 0x00, 0x0D}},  // row 17
    EvdevKeyRow{KEY_K, DeviceKeyCode{0x20, 0x00, 0x0E}},  // row 18
    EvdevKeyRow{KEY_L, DeviceKeyCode{0x20, 0x00, 0x0F}},  // row 19
    EvdevKeyRow{KEY_M, DeviceKeyCode{0x20, 0x00, 0x10}},  // row 20
    EvdevKeyRow{KEY_N, DeviceKeyCode{0x20, 0x00, 0x11}},  // row 21
    EvdevKeyRow{KEY_O, DeviceKeyCode{0x20, 0x00, 0x12}},  // row 22
    EvdevKeyRow{KEY_P, DeviceKeyCode{0x20, 0x00, 0x13}},  // row 23
    EvdevKeyRow{KEY_Q, DeviceKeyCode{0x20, 0x00, 0x14}},  // row 24
    EvdevKeyRow{KEY_R, DeviceKeyCode{0x20, 0x00, 0x15}},  // row 25
    EvdevKeyRow{KEY_S, DeviceKeyCode{0x20, 0x00, 0x16}},  // row 26
    EvdevKeyRow{KEY_T, DeviceKeyCode{0x20, 0x00, 0x17}},  // row 27
    EvdevKeyRow{KEY_U, DeviceKeyCode{0x20, 0x00, 0x18}},  // row 28
    EvdevKeyRow{KEY_V, DeviceKeyCode{0x20, 0x00, 0x19}},  // row 29
    EvdevKeyRow{KEY_W, DeviceKeyCode{0x20, 0x00, 0x1A}},  // row 30
    EvdevKeyRow{KEY_X, DeviceKeyCode{0x20, 0x00, 0x1B}},  // row 31
    EvdevKeyRow{KEY_Y, DeviceKeyCode{0x20, 0x00, 0x1C}},  // row 32
    EvdevKeyRow{KEY_Z, DeviceKeyCode{0x20, 0x00, 0x1D}},  // row 33
    EvdevKeyRow{KEY_1, DeviceKeyCode{0x20, 0x00, 0x1E}},  // row 34
    EvdevKeyRow{KEY_2, DeviceKeyCode{0x20, 0x00, 0x1F}},  // row 35
    EvdevKeyRow{KEY_3, DeviceKeyCode{0x20, 0x00, 0x20}},  // row 36
    EvdevKeyRow{KEY_4, DeviceKeyCode{0x20, 0x00, 0x21}},  // row 37
    EvdevKeyRow{KEY_5, DeviceKeyCode{0x20, 0x00, 0x22}},  // row 38
    EvdevKeyRow{KEY_6, DeviceKeyCode{0x20, 0x00, 0x23}},  // row 39
    EvdevKeyRow{KEY_7, DeviceKeyCode{0x20, 0x00, 0x24}},  // row 40
    EvdevKeyRow{KEY_8, DeviceKeyCode{0x20, 0x00, 0x25}},  // row 41
    EvdevKeyRow{KEY_9, DeviceKeyCode{0x20, 0x00, 0x26}},  // row 42
    EvdevKeyRow{KEY_0, DeviceKeyCode{0x20, 0x00, 0x27}},  // row 43
    EvdevKeyRow{KEY_ENTER, DeviceKeyCode{0x20, 0x00, 0x28}},  // row 44
    EvdevKeyRow{KEY_ESC, DeviceKeyCode{0x20, 0x00, 0x29}},  // row 45
    EvdevKeyRow{KEY_BACKSPACE, DeviceKeyCode{0x20, 0x00, 0x2A}},  // row 46
    EvdevKeyRow{KEY_TAB, DeviceKeyCode{0x20, 0x00, 0x2B}},  // row 47
    EvdevKeyRow{KEY_SPACE, DeviceKeyCode{0x20, 0x00, 0x2C}},  // row 48
    EvdevKeyRow{KEY_MINUS, DeviceKeyCode{0x20, 0x00, 0x2D}},  // row 49
    EvdevKeyRow{KEY_EQUAL, DeviceKeyCode{0x20, 0x00, 0x2E}},  // row 50
    EvdevKeyRow{KEY_LEFTBRACE, DeviceKeyCode{0x20, 0x00, 0x2F}},  // row 51
    EvdevKeyRow{KEY_RIGHTBRACE, DeviceKeyCode{0x20, 0x00, 0x30}},  // row 52
    EvdevKeyRow{KEY_BACKSLASH, DeviceKeyCode{0x20, 0x00, 0x31}},  // row 53
    EvdevKeyRow{KEY_SEMICOLON, DeviceKeyCode{0x20, 0x00, 0x33}},  // row 54
    EvdevKeyRow{KEY_APOSTROPHE, DeviceKeyCode{0x20, 0x00, 0x34}},  // row 55
    EvdevKeyRow{KEY_GRAVE, DeviceKeyCode{0x20, 0x00, 0x35}},  // row 56
    EvdevKeyRow{KEY_COMMA, DeviceKeyCode{0x20, 0x00, 0x36}},  // row 57
    EvdevKeyRow{KEY_DOT, DeviceKeyCode{0x20, 0x00, 0x37}},  // row 58
    EvdevKeyRow{KEY_SLASH, DeviceKeyCode{0x20, 0x00, 0x38}},  // row 59
    EvdevKeyRow{KEY_CAPSLOCK, DeviceKeyCode{0x20, 0x00, 0x39}},  // row 60
    EvdevKeyRow{KEY_F1, DeviceKeyCode{0x20, 0x00, 0x3A}},  // row 61
    EvdevKeyRow{KEY_F2, DeviceKeyCode{0x20, 0x00, 0x3B}},  // row 62
    EvdevKeyRow{KEY_F3, DeviceKeyCode{0x20, 0x00, 0x3C}},  // row 63
    EvdevKeyRow{KEY_F4, DeviceKeyCode{0x20, 0x00, 0x3D}},  // row 64
    EvdevKeyRow{KEY_F5, DeviceKeyCode{0x20, 0x00, 0x3E}},  // row 65
    EvdevKeyRow{KEY_F6, DeviceKeyCode{0x20, 0x00, 0x3F}},  // row 66
    EvdevKeyRow{KEY_F7, DeviceKeyCode{0x20, 0x00, 0x40}},  // row 67
    EvdevKeyRow{KEY_F8, DeviceKeyCode{0x20, 0x00, 0x41}},  // row 68
    EvdevKeyRow{KEY_F9, DeviceKeyCode{0x20, 0x00, 0x42}},  // row 69
    EvdevKeyRow{KEY_F10, DeviceKeyCode{0x20, 0x00, 0x43}},  // row 70
    EvdevKeyRow{KEY_F11, DeviceKeyCode{0x20, 0x00, 0x44}},  // row 71
    EvdevKeyRow{KEY_F12, DeviceKeyCode{0x20, 0x00, 0x45}},  // row 72
    EvdevKeyRow{KEY_SYSRQ, DeviceKeyCode{0x20, 0x00, 0x46}},  // row 73
    EvdevKeyRow{KEY_SCROLLLOCK, DeviceKeyCode{0x20, 0x00, 0x47}},  // row 74
    EvdevKeyRow{KEY_PAUSE, DeviceKeyCode{0x20, 0x00, 0x48}},  // row 75
    EvdevKeyRow{KEY_INSERT, DeviceKeyCode{0x20, 0x00, 0x49}},  // row 76
    EvdevKeyRow{KEY_HOME, DeviceKeyCode{0x20, 0x00, 0x4A}},  // row 77
    EvdevKeyRow{KEY_PAGEUP, DeviceKeyCode{0x20, 0x00, 0x4B}},  // row 78
    EvdevKeyRow{KEY_DELETE, DeviceKeyCode{0x20, 0x00, 0x4C}},  // row 79
    EvdevKeyRow{KEY_END, DeviceKeyCode{0x20, 0x00, 0x4D}},  // row 80
    EvdevKeyRow{KEY_PAGEDOWN, DeviceKeyCode{0x20, 0x00, 0x4E}},  // row 81
    EvdevKeyRow{KEY_RIGHT, DeviceKeyCode{0x20, 0x00, 0x4F}},  // row 82
    EvdevKeyRow{KEY_LEFT, DeviceKeyCode{0x20, 0x00, 0x50}},  // row 83
    EvdevKeyRow{KEY_DOWN, DeviceKeyCode{0x20, 0x00, 0x51}},  // row 84
    EvdevKeyRow{KEY_UP, DeviceKeyCode{0x20, 0x00, 0x52}},  // row 85
    EvdevKeyRow{KEY_NUMLOCK, DeviceKeyCode{0x20, 0x00, 0x53}},  // row 86
    EvdevKeyRow{KEY_KPSLASH, DeviceKeyCode{0x20, 0x00, 0x54}},  // row 87
    EvdevKeyRow{KEY_KPASTERISK, DeviceKeyCode{0x20, 0x00, 0x55}},  // row 88
    EvdevKeyRow{KEY_KPMINUS, DeviceKeyCode{0x20, 0x00, 0x56}},  // row 89
    EvdevKeyRow{KEY_KPPLUS, DeviceKeyCode{0x20, 0x00, 0x57}},  // row 90
    EvdevKeyRow{KEY_KPENTER, DeviceKeyCode{0x20, 0x00, 0x58}},  // row 91
    EvdevKeyRow{KEY_KP1, DeviceKeyCode{0x20, 0x00, 0x59}},  // row 92
    EvdevKeyRow{KEY_KP2, DeviceKeyCode{0x20, 0x00, 0x5A}},  // row 93
    EvdevKeyRow{KEY_KP3, DeviceKeyCode{0x20, 0x00, 0x5B}},  // row 94
    EvdevKeyRow{KEY_KP4, DeviceKeyCode{0x20, 0x00, 0x5C}},  // row 95
    EvdevKeyRow{KEY_KP5, DeviceKeyCode{0x20, 0x00, 0x5D}},  // row 96
    EvdevKeyRow{KEY_KP6, DeviceKeyCode{0x20, 0x00, 0x5E}},  // row 97
    EvdevKeyRow{KEY_KP7, DeviceKeyCode{0x20, 0x00, 0x5F}},  // row 98
    EvdevKeyRow{KEY_KP8, DeviceKeyCode{0x20, 0x00, 0x60}},  // row 99
    EvdevKeyRow{KEY_KP9, DeviceKeyCode{0x20, 0x00, 0x61}},  // row 100
    EvdevKeyRow{KEY_KP0, DeviceKeyCode{0x20, 0x00, 0x62}},  // row 101
    EvdevKeyRow{KEY_KPDOT, DeviceKeyCode{0x20, 0x00, 0x63}},  // row 102
    EvdevKeyRow{KEY_COMPOSE, DeviceKeyCode{0x20, 0x00, 0x65}},  // row 103
    EvdevKeyRow{KEY_102ND, DeviceKeyCode{0x20, 0x00, 0x64}},  // row 104
    EvdevKeyRow{KEY_RO, DeviceKeyCode{0x20, 0x00, 0x87}},  // row 105
    EvdevKeyRow{KEY_KPCOMMA, DeviceKeyCode{0x20, 0x00, 0x85}},  // row 106
    EvdevKeyRow{KEY_MUHENKAN, DeviceKeyCode{0x20, 0x00, 0x8B}},  // row 107
    EvdevKeyRow{KEY_HANJA, DeviceKeyCode{0x20, 0x00, 0x91}},  // row 108
    EvdevKeyRow{KEY_YEN, DeviceKeyCode{0x20, 0x00, 0x89}},  // row 109
    EvdevKeyRow{KEY_HENKAN, DeviceKeyCode{0x20, 0x00, 0x8A}},  // row 110
    EvdevKeyRow{KEY_KATAKANAHIRAGANA, DeviceKeyCode{0x20, 0x00, 0x88}},  // row 111
    EvdevKeyRow{KEY_HANGEUL, DeviceKeyCode{0x20, 0x00, 0x90}},  // row 112
    EvdevKeyRow{KEY_CALC, DeviceKeyCode{0x30, 0x92, 0x01}},  // row 114
    EvdevKeyRow{KEY_HOMEPAGE, DeviceKeyCode{0x30, 0x23, 0x02}},  // row 115
    EvdevKeyRow{KEY_PLAYPAUSE, DeviceKeyCode{0x30, 0xCD, 0x00}},  // row 116
    EvdevKeyRow{KEY_SEARCH, DeviceKeyCode{0x30, 0x21, 0x02}},  // row 117
    EvdevKeyRow{KEY_MAIL, DeviceKeyCode{0x30, 0x8A, 0x01}},  // row 118
    EvdevKeyRow{KEY_VOLUMEUP, DeviceKeyCode{0x30, 0xE9, 0x00}},  // row 119
    EvdevKeyRow{KEY_MUTE, DeviceKeyCode{0x30, 0xE2, 0x00}},  // row 120
    EvdevKeyRow{KEY_STOPCD, DeviceKeyCode{0x30, 0xB7, 0x00}},  // row 121
    EvdevKeyRow{KEY_VOLUMEDOWN, DeviceKeyCode{0x30, 0xEA, 0x00}},  // row 122
    EvdevKeyRow{KEY_BOOKMARKS, DeviceKeyCode{0x30, 0x2A, 0x02}},  // row 123
    EvdevKeyRow{KEY_FORWARD, DeviceKeyCode{0x30, 0x25, 0x02}},  // row 124
    EvdevKeyRow{KEY_BACK, DeviceKeyCode{0x30, 0x24, 0x02}},  // row 125
    EvdevKeyRow{KEY_PREVIOUSSONG, DeviceKeyCode{0x30, 0xB6, 0x00}},  // row 126
    EvdevKeyRow{KEY_NEXTSONG, DeviceKeyCode{0x30, 0xB5, 0x00}},  // row 127
    EvdevKeyRow{KEY_FILE, DeviceKeyCode{0x30, 0x94, 0x01}},  // row 128
    EvdevKeyRow{KEY_COMPUTER, DeviceKeyCode{0x30, 0x94, 0x01}},  // row 128
    EvdevKeyRow{KEY_REFRESH, DeviceKeyCode{0x30, 0x27, 0x02}},  // row 129
    EvdevKeyRow{KEY_STOP, DeviceKeyCode{0x30, 0x26, 0x02}},  // row 130
    EvdevKeyRow{KEY_CONFIG, DeviceKeyCode{0x30, 0x83, 0x01}},  // row 131
    EvdevKeyRow{KEY_MEDIA, DeviceKeyCode{0x30, 0x83, 0x01}},  // row 131
    EvdevKeyRow{KEY_POWER, DeviceKeyCode{0x40, 0x01, 0x00}},  // row 132
    EvdevKeyRow{KEY_SLEEP, DeviceKeyCode{0x40, 0x02, 0x00}},  // row 133
    EvdevKeyRow{KEY_WAKEUP, DeviceKeyCode{0x40, 0x04, 0x00}},  // row 134
}};
// clang-format on

template <typename Table, typename Predicate>
std::optional<std::size_t> FirstIndex(const Table& table, Predicate predicate) {
    const auto it = std::find_if(table.begin(), table.end(), predicate);
    if (it == table.end()) return std::nullopt;
    return static_cast<std::size_t>(it - table.begin());
}

}  // namespace

std::optional<std::size_t> FindVirtualKeyRow(std::uint16_t virtual_key) {
    if (virtual_key == 0) return std::nullopt;  // the special rows have no virtual key
    return FirstIndex(kVirtualKeyTable,
                      [&](const VirtualKeyRow& row) { return row.virtual_key == virtual_key; });
}

std::optional<std::size_t> FindRowByKeyCode(const DeviceKeyCode& code) {
    return FirstIndex(kVirtualKeyTable, [&](const VirtualKeyRow& row) { return row.code == code; });
}

std::optional<std::size_t> FindRowByScanCode(std::uint16_t scan_code, bool extended) {
    if (scan_code == 0) return std::nullopt;
    return FirstIndex(kScanCodeTable, [&](const ScanCodeRow& row) {
        return row.scan_code == scan_code && row.extended == extended;
    });
}

std::span<const EvdevKeyRow> EvdevKeyTable() { return kEvdevKeyTable; }

std::optional<std::size_t> FindRowByEvdev(std::uint16_t evdev_code) {
    const auto entry = FirstIndex(
        kEvdevKeyTable, [&](const EvdevKeyRow& row) { return row.evdev_code == evdev_code; });
    if (!entry) return std::nullopt;
    return FindRowByKeyCode(kEvdevKeyTable[*entry].code);
}

std::optional<ScanCodeRow> ScanCodeForEvdev(std::uint16_t evdev_code) {
    const auto row = FindRowByEvdev(evdev_code);
    if (!row || kScanCodeTable[*row].scan_code == 0) return std::nullopt;
    return kScanCodeTable[*row];
}

std::wstring_view KeyTextIdentifier(std::size_t row) {
    if (row >= kKeyTextIdentifiers.size()) return {};
    return kKeyTextIdentifiers[row];
}

}  // namespace tables
