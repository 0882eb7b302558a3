#pragma once
// Factory device key code of each of the keyboard's key indices 0 to 169. The keyboard's key
// map is built by finding each of these codes in the key table read from the keyboard.
// Read with the HID keyboard usages it is a full-size layout numbered row by row: 0 Escape,
// 1-12 F1-F12, 21-34 the number row, 42-55 Tab to backslash, 63-75 Caps Lock to Enter,
// 84-95 the Shift row, 105-125 the bottom row, arrows and the special keys.
#include <array>
#include <cstddef>
#include <optional>

#include "tables/key_code.h"

namespace tables {

inline constexpr std::size_t kKeyboardKeyCount = 170;

inline constexpr std::array<DeviceKeyCode, kKeyboardKeyCount> kFactoryKeyCodes{{
    DeviceKeyCode{0x20, 0x00, 0x29},  // 0
    DeviceKeyCode{0x20, 0x00, 0x3A},  // 1
    DeviceKeyCode{0x20, 0x00, 0x3B},  // 2
    DeviceKeyCode{0x20, 0x00, 0x3C},  // 3
    DeviceKeyCode{0x20, 0x00, 0x3D},  // 4
    DeviceKeyCode{0x20, 0x00, 0x3E},  // 5
    DeviceKeyCode{0x20, 0x00, 0x3F},  // 6
    DeviceKeyCode{0x20, 0x00, 0x40},  // 7
    DeviceKeyCode{0x20, 0x00, 0x41},  // 8
    DeviceKeyCode{0x20, 0x00, 0x42},  // 9
    DeviceKeyCode{0x20, 0x00, 0x43},  // 10
    DeviceKeyCode{0x20, 0x00, 0x44},  // 11
    DeviceKeyCode{0x20, 0x00, 0x45},  // 12
    DeviceKeyCode{0x20, 0x00, 0x46},  // 13
    DeviceKeyCode{0x20, 0x00, 0x47},  // 14
    DeviceKeyCode{0x20, 0x00, 0x48},  // 15
    DeviceKeyCode{0xA0, 0x1B, 0x00},  // 16
    DeviceKeyCode{0xA0, 0x24, 0x00},  // 17
    DeviceKeyCode{0x20, 0x00, 0x00},  // 18
    DeviceKeyCode{0x20, 0x00, 0x00},  // 19
    DeviceKeyCode{0x20, 0x00, 0x00},  // 20
    DeviceKeyCode{0x20, 0x00, 0x35},  // 21
    DeviceKeyCode{0x20, 0x00, 0x1E},  // 22
    DeviceKeyCode{0x20, 0x00, 0x1F},  // 23
    DeviceKeyCode{0x20, 0x00, 0x20},  // 24
    DeviceKeyCode{0x20, 0x00, 0x21},  // 25
    DeviceKeyCode{0x20, 0x00, 0x22},  // 26
    DeviceKeyCode{0x20, 0x00, 0x23},  // 27
    DeviceKeyCode{0x20, 0x00, 0x24},  // 28
    DeviceKeyCode{0x20, 0x00, 0x25},  // 29
    DeviceKeyCode{0x20, 0x00, 0x26},  // 30
    DeviceKeyCode{0x20, 0x00, 0x27},  // 31
    DeviceKeyCode{0x20, 0x00, 0x2D},  // 32
    DeviceKeyCode{0x20, 0x00, 0x2E},  // 33
    DeviceKeyCode{0x20, 0x00, 0x2A},  // 34
    DeviceKeyCode{0x20, 0x00, 0x49},  // 35
    DeviceKeyCode{0x20, 0x00, 0x4A},  // 36
    DeviceKeyCode{0x20, 0x00, 0x4B},  // 37
    DeviceKeyCode{0x20, 0x00, 0x53},  // 38
    DeviceKeyCode{0x20, 0x00, 0x54},  // 39
    DeviceKeyCode{0x20, 0x00, 0x55},  // 40
    DeviceKeyCode{0x20, 0x00, 0x56},  // 41
    DeviceKeyCode{0x20, 0x00, 0x2B},  // 42
    DeviceKeyCode{0x20, 0x00, 0x14},  // 43
    DeviceKeyCode{0x20, 0x00, 0x1A},  // 44
    DeviceKeyCode{0x20, 0x00, 0x08},  // 45
    DeviceKeyCode{0x20, 0x00, 0x15},  // 46
    DeviceKeyCode{0x20, 0x00, 0x17},  // 47
    DeviceKeyCode{0x20, 0x00, 0x1C},  // 48
    DeviceKeyCode{0x20, 0x00, 0x18},  // 49
    DeviceKeyCode{0x20, 0x00, 0x0C},  // 50
    DeviceKeyCode{0x20, 0x00, 0x12},  // 51
    DeviceKeyCode{0x20, 0x00, 0x13},  // 52
    DeviceKeyCode{0x20, 0x00, 0x2F},  // 53
    DeviceKeyCode{0x20, 0x00, 0x30},  // 54
    DeviceKeyCode{0x20, 0x00, 0x31},  // 55
    DeviceKeyCode{0x20, 0x00, 0x4C},  // 56
    DeviceKeyCode{0x20, 0x00, 0x4D},  // 57
    DeviceKeyCode{0x20, 0x00, 0x4E},  // 58
    DeviceKeyCode{0x20, 0x00, 0x5F},  // 59
    DeviceKeyCode{0x20, 0x00, 0x60},  // 60
    DeviceKeyCode{0x20, 0x00, 0x61},  // 61
    DeviceKeyCode{0x20, 0x00, 0x32},  // 62
    DeviceKeyCode{0x20, 0x00, 0x39},  // 63
    DeviceKeyCode{0x20, 0x00, 0x04},  // 64
    DeviceKeyCode{0x20, 0x00, 0x16},  // 65
    DeviceKeyCode{0x20, 0x00, 0x07},  // 66
    DeviceKeyCode{0x20, 0x00, 0x09},  // 67
    DeviceKeyCode{0x20, 0x00, 0x0A},  // 68
    DeviceKeyCode{0x20, 0x00, 0x0B},  // 69
    DeviceKeyCode{0x20, 0x00, 0x0D},  // 70
    DeviceKeyCode{0x20, 0x00, 0x0E},  // 71
    DeviceKeyCode{0x20, 0x00, 0x0F},  // 72
    DeviceKeyCode{0x20, 0x00, 0x33},  // 73
    DeviceKeyCode{0x20, 0x00, 0x34},  // 74
    DeviceKeyCode{0x20, 0x00, 0x28},  // 75
    DeviceKeyCode{0x20, 0x00, 0x5C},  // 76
    DeviceKeyCode{0x20, 0x00, 0x5D},  // 77
    DeviceKeyCode{0x20, 0x00, 0x5E},  // 78
    DeviceKeyCode{0x20, 0x00, 0x8A},  // 79
    DeviceKeyCode{0x20, 0x00, 0x8B},  // 80
    DeviceKeyCode{0x20, 0x00, 0x90},  // 81
    DeviceKeyCode{0x20, 0x00, 0x91},  // 82
    DeviceKeyCode{0x20, 0x00, 0x88},  // 83
    DeviceKeyCode{0x20, 0x02, 0x00},  // 84
    DeviceKeyCode{0x20, 0x00, 0x1D},  // 85
    DeviceKeyCode{0x20, 0x00, 0x1B},  // 86
    DeviceKeyCode{0x20, 0x00, 0x06},  // 87
    DeviceKeyCode{0x20, 0x00, 0x19},  // 88
    DeviceKeyCode{0x20, 0x00, 0x05},  // 89
    DeviceKeyCode{0x20, 0x00, 0x11},  // 90
    DeviceKeyCode{0x20, 0x00, 0x10},  // 91
    DeviceKeyCode{0x20, 0x00, 0x36},  // 92
    DeviceKeyCode{0x20, 0x00, 0x37},  // 93
    DeviceKeyCode{0x20, 0x00, 0x38},  // 94
    DeviceKeyCode{0x20, 0x20, 0x00},  // 95
    DeviceKeyCode{0x20, 0x00, 0x52},  // 96
    DeviceKeyCode{0x20, 0x00, 0x59},  // 97
    DeviceKeyCode{0x20, 0x00, 0x5A},  // 98
    DeviceKeyCode{0x20, 0x00, 0x5B},  // 99
    DeviceKeyCode{0x20, 0x00, 0x87},  // 100
    DeviceKeyCode{0x20, 0x00, 0x89},  // 101
    DeviceKeyCode{0x20, 0x00, 0x64},  // 102
    DeviceKeyCode{0x20, 0x00, 0x85},  // 103
    DeviceKeyCode{0x20, 0x00, 0x00},  // 104
    DeviceKeyCode{0x20, 0x01, 0x00},  // 105
    DeviceKeyCode{0x20, 0x08, 0x00},  // 106
    DeviceKeyCode{0x20, 0x04, 0x00},  // 107
    DeviceKeyCode{0x20, 0x00, 0x2C},  // 108
    DeviceKeyCode{0x20, 0x40, 0x00},  // 109
    DeviceKeyCode{0xA0, 0x01, 0x00},  // 110
    DeviceKeyCode{0x20, 0x00, 0x65},  // 111
    DeviceKeyCode{0x20, 0x10, 0x00},  // 112
    DeviceKeyCode{0x20, 0x00, 0x50},  // 113
    DeviceKeyCode{0x20, 0x00, 0x51},  // 114
    DeviceKeyCode{0x20, 0x00, 0x4F},  // 115
    DeviceKeyCode{0x20, 0x00, 0x62},  // 116
    DeviceKeyCode{0x20, 0x00, 0x63},  // 117
    DeviceKeyCode{0x20, 0x00, 0x58},  // 118
    DeviceKeyCode{0x20, 0x00, 0x57},  // 119
    DeviceKeyCode{0xD0, 0xA2, 0x01},  // 120
    DeviceKeyCode{0xD0, 0xA2, 0x02},  // 121
    DeviceKeyCode{0xD0, 0xA2, 0x03},  // 122
    DeviceKeyCode{0xD0, 0xA2, 0x04},  // 123
    DeviceKeyCode{0xD0, 0xA2, 0x05},  // 124
    DeviceKeyCode{0x20, 0x80, 0x00},  // 125
    kNoKey,  // 126
    kNoKey,  // 127
    kNoKey,  // 128
    kNoKey,  // 129
    kNoKey,  // 130
    kNoKey,  // 131
    kNoKey,  // 132
    kNoKey,  // 133
    kNoKey,  // 134
    kNoKey,  // 135
    kNoKey,  // 136
    kNoKey,  // 137
    kNoKey,  // 138
    kNoKey,  // 139
    kNoKey,  // 140
    kNoKey,  // 141
    kNoKey,  // 142
    kNoKey,  // 143
    kNoKey,  // 144
    kNoKey,  // 145
    kNoKey,  // 146
    kNoKey,  // 147
    kNoKey,  // 148
    kNoKey,  // 149
    kNoKey,  // 150
    kNoKey,  // 151
    kNoKey,  // 152
    kNoKey,  // 153
    kNoKey,  // 154
    kNoKey,  // 155
    kNoKey,  // 156
    kNoKey,  // 157
    kNoKey,  // 158
    kNoKey,  // 159
    kNoKey,  // 160
    kNoKey,  // 161
    kNoKey,  // 162
    kNoKey,  // 163
    kNoKey,  // 164
    kNoKey,  // 165
    kNoKey,  // 166
    kNoKey,  // 167
    kNoKey,  // 168
    kNoKey,  // 169
}};

// Key index of the Fn key (0xA0 0x01 0x00); the keyboard maps it to position 113 when its
// key table has no such code.
inline constexpr int kFnKeyIndex = 110;
inline constexpr int kFnFallbackPosition = 113;

// The factory code of a key index; std::nullopt outside 0..169.
constexpr std::optional<DeviceKeyCode> FactoryKeyCode(int key_index) {
    if (key_index < 0 || key_index >= static_cast<int>(kKeyboardKeyCount)) return std::nullopt;
    return kFactoryKeyCodes[static_cast<std::size_t>(key_index)];
}

}  // namespace tables
