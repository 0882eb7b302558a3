// The mouse's button map, button table and used-macro list, against key tables whose slots are
// not in logical order.
#include <gtest/gtest.h>

#include <vector>

#include "devices/macro_image.h"
#include "devices/mouse/mouse_button_map.h"
#include "devices/mouse/mouse_button_table.h"

namespace {

using profiles::KeyAssignment;
using profiles::KeyAssignmentPair;

// Twelve slots: right, left, free, middle, back, forward, DPI+, DPI-, DPI loop, GM, fire, and a
// second left. The M8 key (logical button 9) is missing.
// clang-format off
const std::vector<uint8_t> kMirror{
    0x10, 0x02, 0x00,  0x10, 0x01, 0x00,  0x00, 0x00, 0x00,  0x10, 0x04, 0x00,
    0x10, 0x08, 0x00,  0x10, 0x10, 0x00,  0x13, 0x01, 0x00,  0x13, 0x02, 0x00,
    0x13, 0x03, 0x00,  0xA0, 0x1B, 0x00,  0x14, 0x78, 0x02,  0x10, 0x01, 0x00,
};
// clang-format on

KeyAssignmentPair Pair(uint8_t kind, uint8_t high, uint8_t low, uint8_t defaultKind = 0x10,
                       uint8_t defaultHigh = 0x01, uint8_t defaultLow = 0x00) {
    return {KeyAssignment{0, kind, high, low},
            KeyAssignment{0, defaultKind, defaultHigh, defaultLow}};
}

TEST(MouseButtonMap, FirstMatchingSlotPerButtonAndAbsentButtons) {
    const struct {
        const char* name;
        int entries;
        mouse::ButtonMap expected;
    } cases[] = {
        {"all twelve slots", 12, {1, 0, 3, 5, 4, 6, 7, 8, 9, 0xAA, 10}},
        {"byte 5 says five", 5, {1, 0, 3, 0xAA, 4, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}},
        {"no entries", 0, {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}},
        {"byte 5 past the bytes read", 170, {1, 0, 3, 5, 4, 6, 7, 8, 9, 0xAA, 10}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mouse::BuildButtonMap(kMirror, c.entries), c.expected) << c.name;
}

TEST(MouseButtonTable, AssignmentsAtTheirSlotsMacrosRenumberedAbsentButtonUnwritten) {
    const mouse::ButtonMap map = mouse::BuildButtonMap(kMirror, 12);
    std::vector<KeyAssignmentPair> keys(11, Pair(0x10, 0x01, 0x00));
    keys[0] = Pair(0x20, 0x00, 0x04);                     // left: the key "a"
    keys[2] = Pair(0x70, 0x03, 0x00);                     // middle: macro 3
    keys[5] = Pair(0x70, 0x03, 0x00);                     // DPI+: macro 3 again
    keys[7] = Pair(0x71, 0x01, 0x00);                     // DPI loop: macro 1
    keys[9] = Pair(0x20, 0x00, 0x05);                     // the absent M8 key
    keys[10] = Pair(0x71, 0x04, 0x00, 0x14, 0x78, 0x02);  // fire: macro 4 of four
    for (int i : {1, 3, 4, 6, 8}) keys[static_cast<size_t>(i)] = Pair(0x10, 0x02, 0x00);
    const std::vector<KeyAssignmentPair> before = keys;

    const mouse::ButtonTableImage image = mouse::BuildButtonTable(kMirror, 12, map, keys, 4);
    // clang-format off
    std::vector<uint8_t> expected{
        0x10, 0x02, 0x00,  0x20, 0x00, 0x04,  0x00, 0x00, 0x00,  0x70, 0x00, 0x00,
        0x10, 0x02, 0x00,  0x10, 0x02, 0x00,  0x70, 0x00, 0x00,  0x10, 0x02, 0x00,
        0x71, 0x01, 0x00,  0x10, 0x02, 0x00,  0x14, 0x78, 0x02,  0x10, 0x01, 0x00,
    };
    // clang-format on
    expected.resize(512, 0);
    EXPECT_EQ(image.table, expected);
    EXPECT_EQ(image.macros, (std::vector<int>{3, 1}));
    EXPECT_EQ(mouse::CollectUsedMacros(map, keys, 4), (std::vector<int>{3, 1}));
    EXPECT_EQ(keys, before);
}

TEST(MouseButtonTable, WithoutMacrosEveryMacroButtonTakesItsDefault) {
    const mouse::ButtonMap map = mouse::BuildButtonMap(kMirror, 12);
    std::vector<KeyAssignmentPair> keys(3, Pair(0x70, 0x00, 0x00, 0x10, 0x04, 0x00));
    const auto image = mouse::BuildButtonTable(kMirror, 12, map, keys, 0);
    EXPECT_TRUE(image.macros.empty());
    for (size_t slot : {1u, 0u, 3u}) {
        EXPECT_EQ(image.table[slot * 3], 0x10) << slot;
        EXPECT_EQ(image.table[slot * 3 + 1], 0x04) << slot;
    }
    EXPECT_TRUE(mouse::CollectUsedMacros(map, keys, 0).empty());
    // A short key list writes only the buttons it has.
    EXPECT_EQ(image.table[15], 0x10);
    EXPECT_EQ(image.table[16], 0x10);
}

TEST(MouseMacroImage, SizesOffsetsAndCapacityOfTheMouse) {
    using macro_codec::DeviceEvent;
    const std::vector<std::vector<DeviceEvent>> macros{std::vector<DeviceEvent>(10),
                                                       std::vector<DeviceEvent>(3)};
    const std::vector<uint8_t> image = macro_codec::BuildMacroImage(macros, 2 * 128);
    ASSERT_EQ(image.size(), 80u);
    const std::vector<uint8_t> header{0xAA, 0x55, 80, 0, 2, 0, 0,  0, 0,  0,
                                      0,    0,    0,  0, 0, 0, 20, 0, 64, 0};
    EXPECT_EQ(std::vector<uint8_t>(image.begin(), image.begin() + 20), header);
    EXPECT_EQ(image[20], 10);
    EXPECT_EQ(image[64], 3);
    // Information byte 6 = 2 (256 bytes) and an image of 300 bytes: 12 events too many.
    EXPECT_EQ(macro_codec::MacroImageExcess(300, 2 * 128), 12u);
    // Byte 6 = 0: not even an empty list fits.
    EXPECT_EQ(macro_codec::MacroImageExcess(16, 0), 5u);
}

}  // namespace
