#include "devices/keyboard/light_frame.h"

#include <algorithm>

#include "devices/keyboard/keyboard_light_codes.h"

namespace keyboard {

void BuildKeyPositionFrame(std::span<const light::LedEntry> leds, const std::map<int, int>& keyMap,
                           int positionCount, std::vector<uint8_t>& frame) {
    const int positions = std::clamp(positionCount, 0, kMaxPositions);
    frame.assign(static_cast<size_t>(positions) * 3, 0);  // keeps the capacity
    for (const auto& [key, position] : keyMap) {
        if (key < 0 || key >= static_cast<int>(leds.size())) continue;
        if (position < 0 || position >= positions) continue;
        const light::LedEntry& led = leds[static_cast<size_t>(key)];
        const size_t at = static_cast<size_t>(position) * 3;
        frame[at] = ScaledByte(led.red, led.brightness);
        frame[at + 1] = ScaledByte(led.green, led.brightness);
        frame[at + 2] = ScaledByte(led.blue, led.brightness);
    }
}

}  // namespace keyboard
