#pragma once
// The emulated headset: the command firmware of every device, plus its LED controller, which
// takes 17-byte output reports with id 0xFF: byte 1 the target (0x22 or 0x44, one per side),
// byte 2 the command (0xAA/0xAD red, 0xAB/0xAE green, 0xAC/0xAF blue, the first of each pair for
// LEDs 0..6, the second for LEDs 7..12), byte 3 zero, bytes 4.. the values (at most 247). A
// report that breaks a rule changes nothing and is counted as bad.
#include <array>
#include <mutex>

#include "emulator/emulated_device.h"

namespace emu {

struct LedCounters {
    uint64_t reports = 0;  // LED reports received
    uint64_t bad = 0;      // refused: length, target, command, byte 3 or a value above 247
};

struct LedColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const LedColour&) const = default;
};

class EmulatedHeadset : public EmulatedDevice {
  public:
    static constexpr size_t kLeds = 13;
    static constexpr size_t kReportBytes = 17;
    static constexpr uint8_t kReportId = 0xFF;
    static constexpr uint8_t kMaxValue = 247;
    static constexpr std::array<uint8_t, 2> kTargets{0x22, 0x44};
    using Colours = std::array<LedColour, kLeds>;

    using EmulatedDevice::EmulatedDevice;

    std::vector<Delivery> HandleOutput(size_t nodeIndex, std::span<const uint8_t> report) override;

    // The colours each target shows (index 0: 0x22, 1: 0x44); all dark at delivery.
    std::array<Colours, 2> Leds() const;
    LedCounters Counters() const;

  private:
    bool Apply(std::span<const uint8_t> report);

    mutable std::mutex mutex_;
    std::array<Colours, 2> leds_{};
    LedCounters counters_;
};

}  // namespace emu
