#include "tables/device_tables.h"

#include <gtest/gtest.h>

TEST(InterfaceTable, PartnersPointAtEachOther) {
    const auto& table = ShippedInterfaceTable();
    for (size_t row = 0; row < table.size(); ++row) {
        if (!table[row].hasPartner) continue;
        const auto& partner = table[table[row].partnerIndex];
        EXPECT_TRUE(partner.hasPartner) << row;
        EXPECT_EQ(partner.partnerIndex, row) << row;
        EXPECT_EQ(partner.role, table[row].role) << row;
    }
}

TEST(InterfaceTable, Lookups) {
    struct Case {
        uint16_t vid, pid, kind, role;
        int row;
    };
    const Case cases[] = {
        {0x320F, 0x5055, kKindKeyboard, kRoleCommand, 0},
        {0x320F, 0x5055, kKindKeyboard, kRoleEvent, 1},
        {0x0C76, 0x1630, kKindHeadset, kRoleCommand, 10},
        {0, 0, kKindMouse, kRoleCommand, 4},
        {0x320F, 0x5055, kKindMouse, kRoleCommand, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(FindInterfaceRow(c.vid, c.pid, c.kind, c.role), c.row);
    EXPECT_EQ(FindModelRow(0x320F, 0x5055, kKindKeyboard), 1);
    EXPECT_EQ(FindModelRow(0x0C76, 0x1630, kKindHeadset), 3);
    EXPECT_EQ(FindModelRow(0, 0, kKindMouse), 0);
    EXPECT_EQ(FindModelRow(0x320F, 0x5055, kKindKeyboard, 1), -1);
    EXPECT_STREQ(ModelTable()[3].kindName, "HD");
    EXPECT_EQ(PageTable()[1].keyCount, 170);
}

TEST(DeviceIdentity, EqualityIgnoresPresencePartnerAndPath) {
    DeviceIdentity a = ShippedInterfaceTable()[0];
    DeviceIdentity b = a;
    b.present = 1;
    b.path = "/dev/hidraw3#...";
    b.partnerIndex = 9;
    EXPECT_EQ(a, b);
    b.usage = 0x93;
    EXPECT_NE(a, b);
}
