// The keyboard's light frame by key position.
#include "devices/keyboard/light_frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using light::LedEntry;

LedEntry Led(uint8_t r, uint8_t g, uint8_t b, uint8_t brightness) {
    return LedEntry{r, g, b, brightness, {}};
}

struct FrameCase {
    const char* name;
    std::vector<LedEntry> leds;  // by key index
    std::map<int, int> keyMap;   // key index -> position
    int positions;
    std::vector<uint8_t> expected;
};

TEST(KeyboardLightFrame, ScaledColoursLandAtTheKeysPositions) {
    const std::vector<FrameCase> cases = {
        {"full brightness keeps the colour; key 0 at position 2, key 1 at 0",
         {Led(0x10, 0x20, 0x30, 255), Led(0xFF, 0x80, 0x01, 255)},
         {{0, 2}, {1, 0}},
         3,
         {0xFE, 0x7F, 0x00, 0x00, 0x00, 0x00, 0x0F, 0x1F, 0x2F}},
        {"half brightness halves: (200 * 128) >> 8 = 100",
         {Led(200, 100, 2, 128)},
         {{0, 1}},
         2,
         {0x00, 0x00, 0x00, 100, 50, 1}},
        {"brightness 0 is black", {Led(255, 255, 255, 0)}, {{0, 0}}, 1, {0x00, 0x00, 0x00}},
        {"no position (255), a position past the count and a key without an LED are left out",
         {Led(9, 9, 9, 255), Led(7, 7, 7, 255)},
         {{0, 255}, {1, 2}, {5, 0}},
         2,
         {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"no positions known: an empty frame", {Led(1, 2, 3, 255)}, {{0, 0}}, 0, {}},
    };
    for (const FrameCase& c : cases) {
        EXPECT_EQ(keyboard::BuildKeyPositionFrame(c.leds, c.keyMap, c.positions), c.expected)
            << c.name;
    }
}

TEST(KeyboardLightFrame, NeverLongerThan170PositionsAndPosition169IsTheLast) {
    std::vector<LedEntry> leds(170, Led(255, 255, 255, 255));
    const std::map<int, int> keyMap{{0, 169}, {1, 170}, {2, 200}};
    const std::vector<uint8_t> frame = keyboard::BuildKeyPositionFrame(leds, keyMap, 255);
    ASSERT_EQ(frame.size(), 510u);
    EXPECT_EQ(frame[507], 0xFE);
    EXPECT_EQ(frame[508], 0xFE);
    EXPECT_EQ(frame[509], 0xFE);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 0xFE), 3);
}

}  // namespace
