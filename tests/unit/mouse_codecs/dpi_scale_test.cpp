// The DPI scale both ways: levels shown as DPI values and typed values taken back as levels.
#include <gtest/gtest.h>

#include "devices/mouse/mouse_dpi_scale.h"

namespace {

using mouse::DpiScale;

constexpr DpiScale kLinear{0x3389, 50, 518, 100};
constexpr DpiScale kTwoSlope{0x3325, 100, 200, 100};

TEST(MouseDpiScale, LevelsShownAsDpi) {
    const struct {
        DpiScale scale;
        int level;
        int64_t dpi;
    } cases[] = {
        {kLinear, 0, 100},     {kLinear, 31, 1650},
        {kLinear, 518, 26000}, {kTwoSlope, 48, 4900},
        {kTwoSlope, 49, 5100}, {kTwoSlope, 50, 5300},
        {kTwoSlope, 0, 100},   {{0x3325, 255, 65535, 65535}, 65535, 65535 + 48 * 255 + 65487 * 200},
    };
    for (const auto& c : cases) EXPECT_EQ(mouse::DpiOfLevel(c.scale, c.level), c.dpi) << c.level;
}

TEST(MouseDpiScale, TypedDpiTakenAsLevel) {
    const struct {
        DpiScale scale;
        const char* text;
        int level;
    } cases[] = {
        {kLinear, "1675", 31},
        {kLinear, "1650", 31},
        {kLinear, "100", 0},
        {kLinear, "", 0},
        {kLinear, "abc", 0},
        {kLinear, "-100", 0},
        {kLinear, "50", 0},
        {kLinear, "99999999", 518},
        {kLinear, "99999999999999999999999", 518},
        {kLinear, " 400 ", 6},
        // The two-slope scale is taken back with its exact inverse, rounding down.
        {kTwoSlope, "4900", 48},
        {kTwoSlope, "5000", 48},
        {kTwoSlope, "5050", 48},
        {kTwoSlope, "5100", 49},
        {kTwoSlope, "5300", 50},
        {kTwoSlope, "5400", 50},
        {kTwoSlope, "90000", 200},
        // A step of 0 from the device: level 0 rather than a division by zero.
        {{0x3389, 0, 518, 100}, "5000", 0},
        // No levels at all.
        {{0x3389, 50, 0, 100}, "5000", 0},
        // A base above the highest DPI: everything is level 0.
        {{0x3389, 50, 10, 9000}, "400", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mouse::LevelOfDpiText(c.scale, c.text), c.level) << "'" << c.text << "'";
}

TEST(MouseDpiScale, EveryLevelRoundTrips) {
    for (const DpiScale& scale : {kLinear, kTwoSlope}) {
        for (int level = 0; level <= scale.highestLevel; ++level)
            ASSERT_EQ(mouse::LevelOfDpi(scale, mouse::DpiOfLevel(scale, level)), level);
    }
}

}  // namespace
