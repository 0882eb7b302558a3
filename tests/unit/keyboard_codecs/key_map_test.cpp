// The key map: factory codes found in the key table the keyboard reports.
#include <gtest/gtest.h>

#include <vector>

#include "devices/keyboard/keyboard_key_map.h"

namespace {

using keyboard::BuildKeyPositions;
using keyboard::kNoPosition;

// A table of n positions all holding "no key" except the given triples.
std::vector<uint8_t> Table(int positions,
                           std::initializer_list<std::pair<int, std::array<uint8_t, 3>>> codes) {
    std::vector<uint8_t> table(static_cast<size_t>(positions) * 3, 0);
    for (int p = 0; p < positions; ++p) table[p * 3] = 0x99;  // a kind no key has
    for (const auto& [position, code] : codes) {
        table[position * 3] = code[0];
        table[position * 3 + 1] = code[1];
        table[position * 3 + 2] = code[2];
    }
    return table;
}

TEST(KeyMap, EachKeyGoesToTheFirstPositionHoldingItsFactoryCode) {
    // Key 0 is Escape (20 00 29), key 64 "A" (20 00 04), key 84 left Shift (20 02 00).
    const auto table = Table(126, {{5, {0x20, 0x00, 0x29}},
                                   {7, {0x20, 0x00, 0x04}},
                                   {9, {0x20, 0x00, 0x04}},
                                   {125, {0x20, 0x02, 0x00}}});
    const auto map = BuildKeyPositions(table, 126);
    EXPECT_EQ(map[0], 5);
    EXPECT_EQ(map[64], 7);
    EXPECT_EQ(map[84], 125);
    EXPECT_EQ(map[1], kNoPosition);  // F1 is nowhere
}

TEST(KeyMap, KeysWithoutAKeyMatchOnlyAPositionWithoutAKey) {
    const auto table = Table(10, {{3, {0x20, 0x00, 0x00}}});
    const auto map = BuildKeyPositions(table, 10);
    for (int key : {18, 19, 20, 104, 126, 169}) EXPECT_EQ(map[key], 3) << key;
    EXPECT_EQ(map[0], kNoPosition);
}

TEST(KeyMap, FnWithoutACodeGoesTo113OnlyWhenTheKeyboardHasThatPosition) {
    struct Case {
        int positions;
        int fn;
    };
    for (const Case c :
         {Case{126, 113}, Case{114, 113}, Case{113, kNoPosition}, Case{100, kNoPosition}}) {
        EXPECT_EQ(BuildKeyPositions(Table(c.positions, {}), c.positions)[110], c.fn) << c.positions;
    }
    // Found: where it is.
    EXPECT_EQ(BuildKeyPositions(Table(126, {{40, {0xA0, 0x01, 0x00}}}), 126)[110], 40);
}

TEST(KeyMap, PositionsPastTheCountOrTheTableAreNeverUsed) {
    const auto table = Table(20, {{15, {0x20, 0x00, 0x29}}});
    EXPECT_EQ(BuildKeyPositions(table, 10)[0], kNoPosition);
    // A table shorter than the count is searched as far as it goes.
    EXPECT_EQ(BuildKeyPositions(std::span(table).first(30), 20)[0], kNoPosition);
    EXPECT_EQ(BuildKeyPositions({}, 0)[110], kNoPosition);
}

TEST(KeyMap, AKeyNotFoundKeepsItsLastPositionAndNoOtherKeyTakesIt) {
    // Last complete map: Escape at 5, "A" at 7. The keyboard now reports its current table in
    // which Escape's position carries "A": Escape is not found, "A" is at 5 and 7.
    auto previous = keyboard::EmptyKeyPositions();
    previous[0] = 5;
    previous[64] = 7;
    const auto table = Table(126, {{5, {0x20, 0x00, 0x04}}, {7, {0x20, 0x00, 0x04}}});
    const auto map = BuildKeyPositions(table, 126, previous);
    EXPECT_EQ(map[0], 5);
    EXPECT_EQ(map[64], 7);
    // A kept position must exist on this keyboard.
    previous[0] = 130;
    EXPECT_EQ(BuildKeyPositions(table, 126, previous)[0], kNoPosition);
}

}  // namespace
