// SKELMORA_TABLE_IDS: the values it takes, the rows it changes, and what it refuses.
#include "tables/table_ids.h"

#include <gtest/gtest.h>

#include "tables/device_tables.h"

namespace {

struct RestoreTables {
    ~RestoreTables() { RestoreShippedInterfaceTable(); }
};

TEST(TableIds, GivesTheRowsOfEachNamedKindTheirIds) {
    RestoreTables restore;
    std::vector<tables::TableIdOverride> overrides;
    std::string error;
    ASSERT_TRUE(tables::ParseTableIds("mouse=320f:5060,mouse-receiver=320F:5061,mousepad=1:2",
                                      overrides, error))
        << error;
    tables::ApplyTableIds(overrides);
    EXPECT_EQ(FindInterfaceRow(0x320F, 0x5060, kKindMouse, kRoleCommand), 4);
    EXPECT_EQ(FindInterfaceRow(0x320F, 0x5060, kKindMouse, kRoleEvent), 5);
    EXPECT_EQ(FindInterfaceRow(0x320F, 0x5061, kKindMouseReceiver, kRoleCommand), 6);
    EXPECT_EQ(FindInterfaceRow(0x320F, 0x5061, kKindMouseReceiver, kRoleEvent), 7);
    EXPECT_EQ(FindInterfaceRow(0x0001, 0x0002, kKindMousePad, kRoleCommand), 8);
    EXPECT_EQ(FindInterfaceRow(0x0001, 0x0002, kKindMousePad, kRoleEvent), 9);
    EXPECT_EQ(FindModelRow(0x320F, 0x5060, kKindMouse), 0);
    EXPECT_EQ(FindModelRow(0x0001, 0x0002, kKindMousePad), 2);
    // The keyboard rows are untouched.
    EXPECT_EQ(FindInterfaceRow(0x320F, 0x5055, kKindKeyboard, kRoleCommand), 0);
    RestoreShippedInterfaceTable();
    EXPECT_EQ(FindModelRow(0x320F, 0x5060, kKindMouse), -1);
    EXPECT_EQ(ModelTable()[0].vendorId, 0);
}

TEST(TableIds, AnySubset) {
    RestoreTables restore;
    std::vector<tables::TableIdOverride> overrides;
    std::string error;
    ASSERT_TRUE(tables::ParseTableIds("mouse-receiver=320f:5061", overrides, error));
    tables::ApplyTableIds(overrides);
    EXPECT_EQ(FindInterfaceRow(0x320F, 0x5061, kKindMouseReceiver, kRoleCommand), 6);
    EXPECT_EQ(ActiveInterfaceTable()[4].vendorId, 0);
}

TEST(TableIds, MalformedValuesAreRefusedWithAReason) {
    for (const char* text : {"mouse=xyz", "mouse=320f", "mouse", "", "keyboard=320f:5055",
                             "mouse=320f:50600", "mouse=0:0", "mouse=320f:5060,mouse=320f:5061",
                             "mouse=320f:5060,", "mouse=-1:2", "mouse=320f:5060x"}) {
        std::vector<tables::TableIdOverride> overrides{{"kept"}};
        std::string error;
        EXPECT_FALSE(tables::ParseTableIds(text, overrides, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(overrides.size(), 1u) << text;  // nothing replaced
    }
}

TEST(TableIds, RefusalsNameTheFaultyPart) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"mouse=320f", "'mouse=320f' is not KIND=VENDOR:PRODUCT"},
        {"mouse=320f:5060,pad=1:2", "unknown kind 'pad' (mouse, mouse-receiver, mousepad)"},
        {"mousepad=0:1", "'mousepad=0:1': ids are hexadecimal VENDOR:PRODUCT, not 0"},
        {"mouse=1:2,mouse=3:4", "kind 'mouse' given twice"},
    };
    for (const auto& c : cases) {
        std::vector<tables::TableIdOverride> overrides;
        std::string error = "earlier text";
        EXPECT_FALSE(tables::ParseTableIds(c.text, overrides, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(TableIds, EmulatedKindsImplyTheirIds) {
    EXPECT_EQ(tables::EmulatedTableIds("keyboard,mouse,mouse-receiver"),
              "mouse=320f:5060,mouse-receiver=320f:5061");
    EXPECT_EQ(tables::EmulatedTableIds("mouse-receiver"), "mouse-receiver=320f:5061");
    EXPECT_EQ(tables::EmulatedTableIds("mousepad,mouse-receiver,headset,mouse"),
              "mouse=320f:5060,mouse-receiver=320f:5061,mousepad=320f:5062");
    EXPECT_EQ(tables::EmulatedTableIds("keyboard,headset"), "");
    EXPECT_EQ(tables::EmulatedTableIds(""), "");
}

}  // namespace
