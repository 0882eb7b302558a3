#pragma once
// Synchronised lighting: one colour for every device that takes part. The lighting panel's
// "same mode" writes the settings (UI thread); the main window's "sync-light" thread reads
// them and runs the steps below into the LED entries of the members. The settings are
// atomic words, so a frame may mix two settings but no read is torn. Plain C++, no Qt.
#include <array>
#include <atomic>
#include <cstdint>

#include "devices/light_effects.h"

namespace light {

enum SyncMode : uint8_t {
    kSyncBreathing = 0,
    kSyncStatic = 1,
    kSyncBlink = 2,
    kSyncSpectrum = 3,
    kSyncOff = 4,
};

// Ticks between two steps by speed 0..4, the same for every mode.
inline constexpr std::array<uint32_t, 5> kSyncThresholds{28, 23, 18, 13, 7};
// The blink toggles after threshold[speed] of these units.
inline constexpr uint32_t kSyncBlinkUnitMs = 200;

struct SyncSettings {
    uint8_t mode = kSyncStatic;
    uint8_t brightness = 4;  // level 0..4
    uint8_t speed = 2;       // 0..4
    uint8_t direction = 0;
    uint8_t multicolour = 0;
    Rgb colour{255, 255, 255};
};

struct SyncState {
    uint8_t phase = 0;
    uint8_t colourIndex = 0;
    uint8_t blinkOn = 0;
    uint32_t lastToggleMs = 0;
};

// Threshold of a speed; speeds beyond the table take the fastest.
uint32_t SyncThreshold(uint8_t speed);
// One step of the mode; returns the colour word red + green × 256 + blue × 65536 +
// brightness × 16777216. An unknown mode gives all zero (as "off").
uint32_t SyncStep(const SyncSettings& settings, SyncState& state, uint32_t nowMs);

// The settings as the panel writes them and the thread reads them.
class SharedSyncSettings {
  public:
    void Store(const SyncSettings& settings);
    SyncSettings Load() const;

  private:
    // mode, brightness, speed, direction | multicolour, red, green, blue
    std::atomic<uint32_t> first_{Pack(SyncSettings{}).first};
    std::atomic<uint32_t> second_{Pack(SyncSettings{}).second};
    struct Words {
        uint32_t first;
        uint32_t second;
    };
    static constexpr Words Pack(const SyncSettings& s) {
        return {static_cast<uint32_t>(s.mode) | static_cast<uint32_t>(s.brightness) << 8 |
                    static_cast<uint32_t>(s.speed) << 16 | static_cast<uint32_t>(s.direction) << 24,
                static_cast<uint32_t>(s.multicolour) | static_cast<uint32_t>(s.colour.red) << 8 |
                    static_cast<uint32_t>(s.colour.green) << 16 |
                    static_cast<uint32_t>(s.colour.blue) << 24};
    }
};

}  // namespace light
