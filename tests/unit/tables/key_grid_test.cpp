// The keyboard's key grid of the music modes.
#include "tables/key_grid.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(KeyGrid, ColumnTenAndTheReactionKey) {
    EXPECT_EQ(tables::kKeyGrid[10], (std::array<uint8_t, 6>{7, 30, 51, 72, 92, 109}));
    const auto cell = tables::FindKeyInGrid(51);
    ASSERT_TRUE(cell.has_value());
    EXPECT_EQ(cell->column, 10);
    EXPECT_EQ(cell->row, 2);
    EXPECT_FALSE(tables::FindKeyInGrid(255).has_value());
    EXPECT_FALSE(tables::FindKeyInGrid(-1).has_value());
}

TEST(KeyGrid, EveryKeyOfThePageOnceExceptTheFifthMediaKey) {
    std::multiset<int> seen;
    for (const auto& column : tables::kKeyGrid)
        for (const uint8_t key : column)
            if (key != tables::kNoKey) seen.insert(key);
    for (int key = 0; key < 126; ++key) EXPECT_EQ(seen.count(key), key == 20 ? 0u : 1u) << key;
    EXPECT_EQ(seen.size(), 125u);
}

}  // namespace
