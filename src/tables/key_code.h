#pragma once
// The 3-byte device key code that every key and button assignment travels as:
// kind, value high, value low. The same triple is the keyboard's key table entry,
// the "Assignment" integer of a profile and what the key assignment panel edits.
#include <cstdint>

namespace tables {

struct DeviceKeyCode {
    std::uint8_t kind = 0;
    std::uint8_t high = 0;
    std::uint8_t low = 0;

    friend constexpr bool operator==(const DeviceKeyCode&, const DeviceKeyCode&) = default;
};

// Kinds used by the key tables.
inline constexpr std::uint8_t kKindKeyboardKey = 0x20;  // high: modifier mask, low: HID usage
inline constexpr std::uint8_t kKindConsumer = 0x30;     // HID consumer usage, low byte first
inline constexpr std::uint8_t kKindSystem = 0x40;       // high: 0x01 power, 0x02 sleep, 0x04 wake
inline constexpr std::uint8_t kKindMacro = 0x70;
inline constexpr std::uint8_t kKindMacroAlt = 0x71;
inline constexpr std::uint8_t kKindSpecial = 0xA0;       // high: 0x01 Fn, 0x1B, 0x24
inline constexpr std::uint8_t kKindSpecialGroup = 0xD0;  // high 0xA2, low 1..5

// Modifier masks of kind 0x20.
inline constexpr std::uint8_t kModLeftCtrl = 0x01;
inline constexpr std::uint8_t kModLeftShift = 0x02;
inline constexpr std::uint8_t kModLeftAlt = 0x04;
inline constexpr std::uint8_t kModLeftWin = 0x08;
inline constexpr std::uint8_t kModRightCtrl = 0x10;
inline constexpr std::uint8_t kModRightShift = 0x20;
inline constexpr std::uint8_t kModRightAlt = 0x40;
inline constexpr std::uint8_t kModRightWin = 0x80;

// A code whose three bytes are 0x20 0x00 0x00 carries no key.
inline constexpr DeviceKeyCode kNoKey{kKindKeyboardKey, 0x00, 0x00};

constexpr DeviceKeyCode KeyboardKey(std::uint8_t usage, std::uint8_t modifiers = 0) {
    return DeviceKeyCode{kKindKeyboardKey, modifiers, usage};
}

// Consumer usages are stored low byte first: usage 0x0192 is 0x30 0x92 0x01.
constexpr DeviceKeyCode ConsumerKey(std::uint16_t usage) {
    return DeviceKeyCode{kKindConsumer, static_cast<std::uint8_t>(usage & 0xFF),
                         static_cast<std::uint8_t>(usage >> 8)};
}

constexpr std::uint16_t ConsumerUsage(const DeviceKeyCode& code) {
    return static_cast<std::uint16_t>(code.high | (code.low << 8));
}

constexpr DeviceKeyCode SystemKey(std::uint8_t mask) { return DeviceKeyCode{kKindSystem, mask, 0}; }

// The profile file stores an assignment as kind * 65536 + high * 256 + low.
constexpr std::int32_t EncodeAssignment(const DeviceKeyCode& code) {
    return static_cast<std::int32_t>((code.kind << 16) | (code.high << 8) | code.low);
}

constexpr DeviceKeyCode DecodeAssignment(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return DeviceKeyCode{static_cast<std::uint8_t>((bits >> 16) & 0xFF),
                         static_cast<std::uint8_t>((bits >> 8) & 0xFF),
                         static_cast<std::uint8_t>(bits & 0xFF)};
}

}  // namespace tables
