// The keyboard's light frame by key position.
#include "devices/keyboard/light_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <span>
#include <vector>

namespace {

using light::LedEntry;

LedEntry Led(uint8_t r, uint8_t g, uint8_t b, uint8_t brightness) {
    return LedEntry{r, g, b, brightness, {}};
}

std::vector<uint8_t> Frame(std::span<const LedEntry> leds, const std::map<int, int>& keyMap,
                           int positions) {
    std::vector<uint8_t> frame;
    keyboard::BuildKeyPositionFrame(leds, keyMap, positions, frame);
    return frame;
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
        EXPECT_EQ(Frame(c.leds, c.keyMap, c.positions), c.expected) << c.name;
    }
}

TEST(KeyboardLightFrame, NeverLongerThan170PositionsAndPosition169IsTheLast) {
    std::vector<LedEntry> leds(170, Led(255, 255, 255, 255));
    const std::map<int, int> keyMap{{0, 169}, {1, 170}, {2, 200}};
    const std::vector<uint8_t> frame = Frame(leds, keyMap, 255);
    ASSERT_EQ(frame.size(), 510u);
    EXPECT_EQ(frame[507], 0xFE);
    EXPECT_EQ(frame[508], 0xFE);
    EXPECT_EQ(frame[509], 0xFE);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 0xFE), 3);
}

// The buffer is kept from frame to frame: nothing of the previous frame may show through, and
// once it has held a frame of that size it is not allocated again.
TEST(KeyboardLightFrame, AKeptBufferHoldsOnlyTheNewFrame) {
    const std::vector<LedEntry> white(3, Led(255, 255, 255, 255));
    const std::vector<LedEntry> dark{Led(0, 0, 0, 255), Led(0x80, 0, 0, 255)};
    std::vector<uint8_t> frame{0xAA, 0xAA};  // leftovers of something else
    keyboard::BuildKeyPositionFrame(white, {{0, 0}, {1, 1}, {2, 2}}, 3, frame);
    EXPECT_EQ(frame, (std::vector<uint8_t>(9, 0xFE)));
    const uint8_t* storage = frame.data();
    // Key 2 gone, key 1 moved to position 2: position 1 reads 0 again.
    keyboard::BuildKeyPositionFrame(dark, {{0, 0}, {1, 2}}, 3, frame);
    EXPECT_EQ(frame, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0x7F, 0, 0}));
    EXPECT_EQ(frame.data(), storage);
    keyboard::BuildKeyPositionFrame(dark, {{1, 0}}, 1, frame);  // a shorter frame
    EXPECT_EQ(frame, (std::vector<uint8_t>{0x7F, 0, 0}));
    keyboard::BuildKeyPositionFrame(dark, {{1, 0}}, 0, frame);
    EXPECT_TRUE(frame.empty());
}

}  // namespace
