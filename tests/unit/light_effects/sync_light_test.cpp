// The synchronised-lighting steps: colour words written out from the wheel, curve and level
// tables, the blink's own period and colour advance, and the shared settings' round trip.
#include "devices/sync_light.h"

#include <gtest/gtest.h>

using namespace light;

namespace {

SyncSettings Settings(uint8_t mode, uint8_t brightness, uint8_t speed, uint8_t direction,
                      uint8_t multicolour, Rgb colour) {
    return {mode, brightness, speed, direction, multicolour, colour};
}

}  // namespace

TEST(SyncLight, OneStepOfEachMode) {
    struct Case {
        const char* name;
        SyncSettings settings;
        SyncState before;
        uint32_t nowMs;
        uint32_t word;
        SyncState after;
    };
    const Case cases[] = {
        {"static: the colour at level 135",
         Settings(kSyncStatic, 2, 0, 0, 0, {10, 20, 30}),
         {},
         0,
         0x871E140Au,
         {}},
        {"off", Settings(kSyncOff, 4, 0, 0, 0, {10, 20, 30}), {}, 0, 0, {}},
        {"unknown mode: dark", Settings(9, 4, 0, 0, 0, {10, 20, 30}), {}, 0, 0, {}},
        {"spectrum: next wheel entry",
         Settings(kSyncSpectrum, 4, 0, 0, 0, {}),
         {0, 8, 0, 0},
         0,
         0xFF0020FFu,
         {0, 9, 0, 0}},
        {"spectrum: 192 starts again at 0",
         Settings(kSyncSpectrum, 4, 0, 0, 0, {}),
         {0, 191, 0, 0},
         0,
         0xFF0001FFu,
         {0, 0, 0, 0}},
        {"breathing: curve[18] x 255 / 256",
         Settings(kSyncBreathing, 4, 0, 1, 0, {255, 0, 0}),
         {17, 0, 0, 0},
         0,
         0x1A0000FFu,
         {18, 0, 0, 0}},
        {"breathing multicolour: phase 0 advances the colour by 16, 192 wraps",
         Settings(kSyncBreathing, 4, 0, 1, 1, {}),
         {127, 176, 0, 0},
         0,
         0x000001FFu,
         {0, 0, 0, 0}},
        {"breathing multicolour: no advance past phase 1",
         Settings(kSyncBreathing, 4, 0, 1, 1, {}),
         {5, 32, 0, 0},
         0,
         (uint32_t{255} * kBreathingCurve[6] / 256) << 24 | 0x00F8u | 0xFF00u,
         {6, 32, 0, 0}},
        {"blink: 7 x 200 ms not yet over",
         Settings(kSyncBlink, 1, 4, 0, 0, {1, 2, 3}),
         {0, 0, 0, 0},
         1399,
         0,
         {0, 0, 0, 0}},
        {"blink: toggles on after 1400 ms, colour index + 14",
         Settings(kSyncBlink, 1, 4, 0, 0, {1, 2, 3}),
         {0, 0, 0, 0},
         1400,
         0x50030201u,
         {0, 14, 1, 1400}},
        {"blink multicolour: 180 + 14 wraps to 0",
         Settings(kSyncBlink, 4, 0, 0, 1, {}),
         {0, 180, 0, 0},
         5600,
         0xFF0001FFu,
         {0, 0, 1, 5600}},
        {"blink at speed 0 waits 28 x 200 ms",
         Settings(kSyncBlink, 4, 0, 0, 0, {9, 9, 9}),
         {0, 0, 1, 0},
         5599,
         0xFF090909u,
         {0, 0, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SyncState state = c.before;
        EXPECT_EQ(SyncStep(c.settings, state, c.nowMs), c.word);
        EXPECT_EQ(state.phase, c.after.phase);
        EXPECT_EQ(state.colourIndex, c.after.colourIndex);
        EXPECT_EQ(state.blinkOn, c.after.blinkOn);
        EXPECT_EQ(state.lastToggleMs, c.after.lastToggleMs);
    }
}

TEST(SyncLight, ThresholdsBySpeed) {
    const uint32_t expected[] = {28, 23, 18, 13, 7, 7, 7};
    for (uint8_t speed = 0; speed < 7; ++speed) EXPECT_EQ(SyncThreshold(speed), expected[speed]);
}

TEST(SyncLight, SharedSettingsKeepEveryField) {
    SharedSyncSettings shared;
    const SyncSettings written = Settings(kSyncBlink, 3, 4, 1, 1, {250, 128, 7});
    shared.Store(written);
    const SyncSettings read = shared.Load();
    EXPECT_EQ(read.mode, written.mode);
    EXPECT_EQ(read.brightness, written.brightness);
    EXPECT_EQ(read.speed, written.speed);
    EXPECT_EQ(read.direction, written.direction);
    EXPECT_EQ(read.multicolour, written.multicolour);
    EXPECT_EQ(read.colour, written.colour);
}
