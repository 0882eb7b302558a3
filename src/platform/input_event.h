#pragma once
// What the input hook reports: a key (its Linux input key code, and the scan code and
// extended flag the key tables know it by) or a mouse button, pressed, released or repeated,
// with the monotonic time stamp of the event itself (not of its delivery).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class KeyState { Released = 0, Pressed = 1, Repeat = 2 };
enum class MouseButton { Left, Right, Middle, Back, Forward };

struct InputEvent {
    enum class Device { Key, Button };
    Device device = Device::Key;
    uint16_t code = 0;  // Linux input key code (keys)
    uint16_t scan_code = 0;
    bool extended = false;
    MouseButton button = MouseButton::Left;  // buttons
    KeyState state = KeyState::Pressed;
    uint64_t time_us = 0;  // monotonic microseconds
};

// One event as the kernel reports it (type, code, value) with its time stamp.
struct RawInputEvent {
    uint64_t time_us = 0;
    uint16_t type = 0;
    uint16_t code = 0;
    int32_t value = 0;
};

// A key or mouse button event from a raw event: EV_KEY with a key code, or BTN_LEFT,
// BTN_RIGHT, BTN_MIDDLE, BTN_SIDE/BTN_BACK (back), BTN_EXTRA/BTN_FORWARD (forward). Other
// events and values give none. The scan code is left to the caller.
std::optional<InputEvent> FromRawEvent(const RawInputEvent& raw);

// Larger evemu files are not read (an hour of busy typing is far below it).
inline constexpr std::uintmax_t kMaxEvemuFileSize = 64u * 1024u * 1024u;

// Lines "E: SECONDS.MICROS TYPE CODE VALUE" of an evemu-record file (type and code
// hexadecimal, value decimal); every other line is ignored and counted.
struct EvemuRead {
    std::vector<RawInputEvent> events;
    std::size_t ignored_lines = 0;
    bool opened = false;
    std::string error;
};
EvemuRead ParseEvemuText(const std::string& text);
EvemuRead ReadEvemuFile(const std::string& path);

}  // namespace platform
