// The headset's LED reports: values scaled and capped, twelve reports in their order.
#include <gtest/gtest.h>

#include <vector>

#include "devices/headset/headset_led_reports.h"

namespace {

TEST(HeadsetLedReports, ValuesAreColourTimesBrightnessShiftedAndCappedAt247) {
    struct Case {
        uint8_t colour, brightness, value;
    };
    for (const Case c : {Case{255, 255, 247}, Case{248, 255, 247}, Case{200, 255, 199},
                         Case{255, 128, 127}, Case{0, 255, 0}, Case{255, 0, 0}}) {
        EXPECT_EQ(headset::ScaleLedValue(c.colour, c.brightness), c.value)
            << int{c.colour} << " x " << int{c.brightness};
    }
}

TEST(HeadsetLedReports, ALedListGivesTheTwelveReportsInOrder) {
    // LED i: red 11 + i, green 101 + i, blue 201 + i (LED 12: 255) at brightness 255, so each
    // value is one less, and 255 is capped at 247.
    std::vector<light::LedEntry> leds(13);
    for (size_t i = 0; i < leds.size(); ++i) {
        leds[i].red = static_cast<uint8_t>(11 + i);
        leds[i].green = static_cast<uint8_t>(101 + i);
        leds[i].blue = static_cast<uint8_t>(i == 12 ? 255 : 201 + i);
        leds[i].brightness = 255;
    }
    const headset::LedFrame expected{{
        {0xFF, 0x22, 0xAA, 0x00, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0, 0, 0, 0, 0, 0},
        {0xFF, 0x22, 0xAD, 0x00, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x00, 0, 0, 0, 0, 0, 0},
        {0xFF, 0x44, 0xAA, 0x00, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0, 0, 0, 0, 0, 0},
        {0xFF, 0x44, 0xAD, 0x00, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x00, 0, 0, 0, 0, 0, 0},
        {0xFF, 0x22, 0xAB, 0x00, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0, 0, 0, 0, 0, 0},
        {0xFF, 0x22, 0xAE, 0x00, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x00, 0, 0, 0, 0, 0, 0},
        {0xFF, 0x44, 0xAB, 0x00, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0, 0, 0, 0, 0, 0},
        {0xFF, 0x44, 0xAE, 0x00, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x00, 0, 0, 0, 0, 0, 0},
        {0xFF, 0x22, 0xAC, 0x00, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0, 0, 0, 0, 0, 0},
        {0xFF, 0x22, 0xAF, 0x00, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xF7, 0x00, 0, 0, 0, 0, 0, 0},
        {0xFF, 0x44, 0xAC, 0x00, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0, 0, 0, 0, 0, 0},
        {0xFF, 0x44, 0xAF, 0x00, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xF7, 0x00, 0, 0, 0, 0, 0, 0},
    }};
    const headset::LedFrame frame = headset::BuildLedFrame(headset::LedValuesOf(leds));
    for (size_t n = 0; n < expected.size(); ++n) EXPECT_EQ(frame[n], expected[n]) << "report " << n;
}

TEST(HeadsetLedReports, AShortListLeavesTheMissingLedsDark) {
    std::vector<light::LedEntry> leds(2);
    leds[1] = {255, 255, 255, 255, {}};
    const headset::LedValues values = headset::LedValuesOf(leds);
    EXPECT_EQ(values[1], (light::Rgb{247, 247, 247}));
    EXPECT_EQ(values[12], (light::Rgb{0, 0, 0}));
}

}  // namespace
