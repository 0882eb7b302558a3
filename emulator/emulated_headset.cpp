#include "emulator/emulated_headset.h"

#include <algorithm>

namespace emu {
namespace {

constexpr size_t kValuesAt = 4;
constexpr size_t kFirstHalf = 7;  // LEDs 0..6; the second report of a colour has LEDs 7..12

struct CommandMeaning {
    uint8_t command;
    size_t colour;  // 0 red, 1 green, 2 blue
    size_t firstLed;
};
constexpr CommandMeaning kCommands[] = {
    {0xAA, 0, 0},          {0xAD, 0, kFirstHalf}, {0xAB, 1, 0},
    {0xAE, 1, kFirstHalf}, {0xAC, 2, 0},          {0xAF, 2, kFirstHalf},
};

void SetChannel(LedColour& rgb, size_t colour, uint8_t value) {
    (colour == 0 ? rgb.red : colour == 1 ? rgb.green : rgb.blue) = value;
}

}  // namespace

std::vector<Delivery> EmulatedHeadset::HandleOutput(size_t nodeIndex,
                                                    std::span<const uint8_t> report) {
    if (!report.empty() && report[0] == kReportId) {
        std::lock_guard lock(mutex_);
        ++counters_.reports;
        if (!Apply(report)) ++counters_.bad;
    }
    return EmulatedDevice::HandleOutput(nodeIndex, report);
}

bool EmulatedHeadset::Apply(std::span<const uint8_t> report) {
    if (report.size() != kReportBytes || report[3] != 0) return false;
    const auto target = std::find(kTargets.begin(), kTargets.end(), report[1]);
    if (target == kTargets.end()) return false;
    const auto* meaning =
        std::find_if(std::begin(kCommands), std::end(kCommands),
                     [&](const CommandMeaning& m) { return m.command == report[2]; });
    if (meaning == std::end(kCommands)) return false;
    const size_t count = std::min(kFirstHalf, kLeds - meaning->firstLed);
    const auto values = report.subspan(kValuesAt, count);
    if (std::any_of(values.begin(), values.end(), [](uint8_t v) { return v > kMaxValue; }))
        return false;
    Colours& colours = leds_[static_cast<size_t>(target - kTargets.begin())];
    for (size_t i = 0; i < count; ++i)
        SetChannel(colours[meaning->firstLed + i], meaning->colour, values[i]);
    return true;
}

std::array<EmulatedHeadset::Colours, 2> EmulatedHeadset::Leds() const {
    std::lock_guard lock(mutex_);
    return leds_;
}

LedCounters EmulatedHeadset::Counters() const {
    std::lock_guard lock(mutex_);
    return counters_;
}

}  // namespace emu
