#include "devices/headset/headset_led_reports.h"

#include <algorithm>

namespace headset {

uint8_t ScaleLedValue(uint8_t colour, uint8_t brightness) {
    return static_cast<uint8_t>(std::min<int>((colour * brightness) >> 8, kMaxLedValue));
}

LedValues LedValuesOf(std::span<const light::LedEntry> leds) {
    LedValues values{};
    for (size_t i = 0; i < kLedCount && i < leds.size(); ++i) {
        const light::LedEntry& led = leds[i];
        values[i] = {ScaleLedValue(led.red, led.brightness),
                     ScaleLedValue(led.green, led.brightness),
                     ScaleLedValue(led.blue, led.brightness)};
    }
    return values;
}

namespace {
uint8_t Channel(const light::Rgb& rgb, size_t colour) {
    return colour == 0 ? rgb.red : colour == 1 ? rgb.green : rgb.blue;
}
}  // namespace

LedFrame BuildLedFrame(const LedValues& values) {
    LedFrame frame{};
    size_t n = 0;
    for (size_t colour = 0; colour < kLedCommands.size(); ++colour) {
        for (const uint8_t target : kLedTargets) {
            for (size_t half = 0; half < 2; ++half) {
                LedReport& report = frame[n++];
                report[0] = kLedReportId;
                report[1] = target;
                report[2] = kLedCommands[colour][half];
                const size_t first = half * kLedsPerReport;
                const size_t last = std::min(first + kLedsPerReport, kLedCount);
                for (size_t led = first; led < last; ++led)
                    report[kLedValuesAt + led - first] = Channel(values[led], colour);
            }
        }
    }
    return frame;
}

}  // namespace headset
