#pragma once
// The keyboard's 6-byte status block and the event values it sends on its own.
#include <array>
#include <cstdint>

namespace keyboard {

inline constexpr size_t kStatusBytes = 6;
using StatusBlock = std::array<uint8_t, kStatusBytes>;

// Byte 3 becomes the wireless flag (1 through a receiver, else 0).
constexpr StatusBlock MarkLink(StatusBlock block, bool wireless) {
    block[3] = wireless ? 1 : 0;
    return block;
}
// The first parameter of the keyboard status message.
constexpr int StatusMessageValue(const StatusBlock& block) { return block[4]; }

struct KeyboardEvent {
    enum Kind : uint8_t {
        Ignored,         // no one defined it
        ReadParameters,  // 0x0401, 0x0402: the keyboard changed its settings itself
        Counted,         // 0x0404
        SwitchProfile,   // high byte 0x10 or 0x11
    };
    Kind kind = Ignored;
    int profile = 0;  // SwitchProfile: the device profile, v & 0x0F
    int second = -1;  // 0x11xx: (v >> 4) & 0x0F
    friend constexpr bool operator==(const KeyboardEvent&, const KeyboardEvent&) = default;
};

constexpr KeyboardEvent DecodeKeyboardEvent(uint16_t v) {
    if (v == 0x0401 || v == 0x0402) return {KeyboardEvent::ReadParameters};
    if (v == 0x0404) return {KeyboardEvent::Counted};
    if (v > 0x0402 && (v >> 8) == 0x10) return {KeyboardEvent::SwitchProfile, v & 0x0F};
    if (v > 0x0402 && (v >> 8) == 0x11)
        return {KeyboardEvent::SwitchProfile, v & 0x0F, (v >> 4) & 0x0F};
    return {};
}

// The wired event thread restarts its 0x0404 count after 3.
inline constexpr int kCountedEventWrap = 3;

}  // namespace keyboard
