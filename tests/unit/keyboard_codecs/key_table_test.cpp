// The key table written to the keyboard and its distinct macro list.
#include <gtest/gtest.h>

#include <vector>

#include "devices/keyboard/keyboard_key_table.h"

namespace {

using profiles::KeyAssignment;
using profiles::KeyAssignmentPair;

KeyAssignmentPair Pair(uint8_t kind, uint8_t high, uint8_t low,
                       KeyAssignment def = {0, 0x20, 0x00, 0x04}) {
    return {{0, kind, high, low}, def};
}

class KeyTable : public ::testing::Test {
  protected:
    void SetUp() override {
        positions_ = keyboard::EmptyKeyPositions();
        positions_[0] = 2;
        positions_[1] = 0;
        positions_[2] = 3;
        positions_[3] = 1;
        positions_[126] = 4;  // only key indices 0..125 are written
    }
    // Five positions: 11 11 11, 22 22 22, ...
    const std::vector<uint8_t> factory_{0x11, 0x11, 0x11, 0x22, 0x22, 0x22, 0x33, 0x33,
                                        0x33, 0x44, 0x44, 0x44, 0x55, 0x55, 0x55};
    keyboard::KeyPositions positions_;
};

TEST_F(KeyTable, MacrosAreRenumberedInOrderOfFirstUse) {
    // Keys 0, 1, 2 assigned macros 5, 2, 5 with six macros in "macro.config".
    std::vector<KeyAssignmentPair> keys{Pair(0x70, 5, 0x01), Pair(0x71, 2, 0x02),
                                        Pair(0x70, 5, 0x03), Pair(0x30, 0xE9, 0x00)};
    const auto image = keyboard::BuildKeyTable(factory_, positions_, keys, 6);
    EXPECT_EQ(image.table, (std::vector<uint8_t>{0x71, 0x01, 0x02,     // key 1 at position 0
                                                 0x30, 0xE9, 0x00,     // key 3 at position 1
                                                 0x70, 0x00, 0x01,     // key 0 at position 2
                                                 0x70, 0x00, 0x03,     // key 2 at position 3
                                                 0x55, 0x55, 0x55}));  // untouched
    EXPECT_EQ(image.macros, (std::vector<int>{5, 2}));
    EXPECT_EQ(keyboard::BuildMacroList(positions_, 5, keys, 6), (std::vector<int>{5, 2}));
}

TEST_F(KeyTable, AMacroPastTheListFallsBackToTheDefaultAssignment) {
    // Macro 7 with seven macros: no such macro.
    std::vector<KeyAssignmentPair> keys{Pair(0x70, 7, 0x00, {0, 0x20, 0x00, 0x29})};
    const auto image = keyboard::BuildKeyTable(factory_, positions_, keys, 7);
    EXPECT_EQ(std::vector<uint8_t>(image.table.begin() + 6, image.table.begin() + 9),
              (std::vector<uint8_t>{0x20, 0x00, 0x29}));
    EXPECT_TRUE(image.macros.empty());
    // No "macro.config" at all: every macro falls back.
    EXPECT_TRUE(keyboard::BuildMacroList(positions_, 5, {Pair(0x70, 0, 0)}, 0).empty());
}

TEST_F(KeyTable, ShortListsUnknownKindsAndKeysPast125) {
    std::vector<KeyAssignmentPair> keys{Pair(0xEE, 0x12, 0x34)};  // a kind no table names
    const auto shortList = keyboard::BuildKeyTable(factory_, positions_, keys, 0);
    EXPECT_EQ(shortList.table, (std::vector<uint8_t>{0x11, 0x11, 0x11, 0x22, 0x22, 0x22, 0xEE, 0x12,
                                                     0x34, 0x44, 0x44, 0x44, 0x55, 0x55, 0x55}));
    // 170 entries: key 126 has a position but is not written.
    std::vector<KeyAssignmentPair> full(170, Pair(0x20, 0x00, 0x2C));
    const auto fullList = keyboard::BuildKeyTable(factory_, positions_, full, 0);
    EXPECT_EQ(std::vector<uint8_t>(fullList.table.begin() + 12, fullList.table.end()),
              (std::vector<uint8_t>{0x55, 0x55, 0x55}));
    // A position past the factory table is never written.
    positions_[4] = 9;
    std::vector<KeyAssignmentPair> five(5, Pair(0x20, 0x00, 0x2C));
    EXPECT_EQ(keyboard::BuildKeyTable(factory_, positions_, five, 0).table.size(), 15u);
}

}  // namespace
