// Custom key colours, the bright mask, the status block and the keyboard's event values.
#include <gtest/gtest.h>

#include <vector>

#include "devices/keyboard/keyboard_custom_colours.h"
#include "devices/keyboard/keyboard_status.h"

namespace {

using profiles::LightColorEntry;

TEST(CustomColours, ColoursScaleByAlpha) {
    EXPECT_EQ(keyboard::ScaledColour({255, 128, 10, 128, 0}), (keyboard::Rgb{127, 64, 5}));
    EXPECT_EQ(keyboard::ScaledColour({255, 255, 255, 255, 1}), (keyboard::Rgb{254, 254, 254}));
    EXPECT_EQ(keyboard::ScaledColour({200, 100, 50, 0, 1}), (keyboard::Rgb{0, 0, 0}));
}

TEST(CustomColours, BrightMaskBits) {
    auto positions = keyboard::EmptyKeyPositions();
    positions[0] = 42;   // byte 0, bit 2
    positions[1] = 167;  // byte 20, bit 7
    positions[2] = 168;  // no bit
    positions[3] = 22;   // byte 1, bit 1; not bright
    positions[4] = 150;  // past a 126-position keyboard
    std::vector<LightColorEntry> colours(5, LightColorEntry{1, 2, 3, 4, 1});
    colours[3].bright = 0;

    const auto full = keyboard::BuildBrightMask(positions, 170, colours);
    std::array<uint8_t, 21> expected{};
    expected[0] = 0x04;
    expected[20] = 0x80;
    expected[3] = 0x80;  // 150 = 7 x 21 + 3
    EXPECT_EQ(full.bytes, expected);
    EXPECT_EQ(full.leftOutKeys, (std::vector<int>{2}));

    const auto shorter = keyboard::BuildBrightMask(positions, 126, colours);
    expected[20] = 0;
    expected[3] = 0;
    EXPECT_EQ(shorter.bytes, expected);
    EXPECT_TRUE(shorter.leftOutKeys.empty());
    // More colours than key indices: the rest is ignored.
    EXPECT_EQ(keyboard::BuildBrightMask(positions, 170, std::vector<LightColorEntry>(400)).bytes,
              (std::array<uint8_t, 21>{}));
}

TEST(StatusBlock, ByteThreeIsTheLinkAndByteFourTheMessage) {
    const keyboard::StatusBlock read{1, 2, 3, 9, 0x55, 6};
    EXPECT_EQ(keyboard::MarkLink(read, true), (keyboard::StatusBlock{1, 2, 3, 1, 0x55, 6}));
    EXPECT_EQ(keyboard::MarkLink(read, false), (keyboard::StatusBlock{1, 2, 3, 0, 0x55, 6}));
    EXPECT_EQ(keyboard::StatusMessageValue(read), 0x55);
}

TEST(KeyboardEvents, Values) {
    using keyboard::KeyboardEvent;
    struct Case {
        uint16_t value;
        KeyboardEvent event;
    };
    const Case cases[] = {
        {0x0401, {KeyboardEvent::ReadParameters}},
        {0x0402, {KeyboardEvent::ReadParameters}},
        {0x0403, {}},
        {0x0404, {KeyboardEvent::Counted}},
        {0x1002, {KeyboardEvent::SwitchProfile, 2}},
        {0x10F5, {KeyboardEvent::SwitchProfile, 5}},
        {0x1123, {KeyboardEvent::SwitchProfile, 3, 2}},
        {0x1200, {}},
        {0xFFFF, {}},
        {0x0000, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keyboard::DecodeKeyboardEvent(c.value), c.event) << c.value;
}

}  // namespace
