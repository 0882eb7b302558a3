#include "devices/keyboard/light_frame.h"

#include <algorithm>

namespace keyboard {

std::vector<uint8_t> BuildKeyPositionFrame(std::span<const light::LedEntry> leds,
                                           const std::map<int, int>& keyMap, int positionCount) {
    const int positions = std::clamp(positionCount, 0, kMaxFramePositions);
    std::vector<uint8_t> frame(static_cast<size_t>(positions) * 3, 0);
    for (const auto& [key, position] : keyMap) {
        if (key < 0 || key >= static_cast<int>(leds.size())) continue;
        if (position < 0 || position >= positions) continue;
        const light::LedEntry& led = leds[static_cast<size_t>(key)];
        const auto scale = [&led](uint8_t c) {
            return static_cast<uint8_t>((c * led.brightness) >> 8);
        };
        const size_t at = static_cast<size_t>(position) * 3;
        frame[at] = scale(led.red);
        frame[at + 1] = scale(led.green);
        frame[at + 2] = scale(led.blue);
    }
    return frame;
}

}  // namespace keyboard
