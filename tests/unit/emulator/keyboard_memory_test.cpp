// The emulated keyboard's memory at delivery: sizes, the factory key table in the firmware's own
// order, the second table, the overlapping parameter records, mask, status and macro memory.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "emulator/device_catalog.h"
#include "emulator/emulated_device.h"

using emu::AreaId;

namespace {

class KeyboardMemory : public ::testing::Test {
  protected:
    void SetUp() override {
        device_ = emu::MakeEmulatedDevice("keyboard");
        ASSERT_TRUE(device_);
    }

    std::vector<uint8_t> Dump(AreaId area) const {
        auto bytes = device_->Firmware().Dump(area);
        EXPECT_TRUE(bytes.has_value());
        return bytes.value_or(std::vector<uint8_t>{});
    }

    std::vector<uint8_t> At(AreaId area, size_t offset, size_t length) const {
        const auto bytes = Dump(area);
        if (offset + length > bytes.size()) return {};
        return {bytes.begin() + static_cast<long>(offset),
                bytes.begin() + static_cast<long>(offset + length)};
    }

    std::unique_ptr<emu::EmulatedDevice> device_;
};

using Bytes = std::vector<uint8_t>;

TEST_F(KeyboardMemory, AreaSizes) {
    const struct {
        AreaId area;
        size_t size;
    } cases[] = {
        {AreaId::Info, 34},    {AreaId::KeyTable, 512}, {AreaId::Factory, 512},
        {AreaId::Second, 170}, {AreaId::Params, 256},   {AreaId::Macro, 512},
        {AreaId::Mask, 21},    {AreaId::Status, 6},     {AreaId::Frame, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(emu::AreaName(c.area)));
        EXPECT_EQ(Dump(c.area).size(), c.size);
    }
    const Bytes info = Dump(AreaId::Info);
    EXPECT_EQ(info[5], 126);
    EXPECT_EQ(info[6], 4);
}

TEST_F(KeyboardMemory, FactoryTableListsTheKeysColumnByColumn) {
    const struct {
        size_t position;
        Bytes code;
    } cases[] = {
        {0, {0x20, 0x00, 0x29}},    // Escape
        {1, {0x20, 0x00, 0x35}},    // grave accent
        {2, {0x20, 0x00, 0x2B}},    // Tab
        {3, {0x20, 0x00, 0x39}},    // Caps Lock
        {4, {0x20, 0x02, 0x00}},    // left Shift
        {5, {0x20, 0x01, 0x00}},    // left Ctrl
        {6, {0x20, 0x00, 0x3A}},    // F1
        {8, {0x20, 0x00, 0x14}},    // Q
        {9, {0x20, 0x00, 0x04}},    // A
        {10, {0x20, 0x00, 0x1D}},   // Z
        {29, {0x20, 0x40, 0x00}},   // right Alt
        {35, {0xD0, 0xA2, 0x04}},   // the special key moved out of the Fn key's place
        {47, {0x20, 0x10, 0x00}},   // right Ctrl
        {96, {0xA0, 0x1B, 0x00}},   // special key 16
        {99, {0x30, 0xE2, 0x00}},   // mute
        {105, {0x30, 0xEA, 0x00}},  // volume down
        {111, {0x30, 0xE9, 0x00}},  // volume up
        {113, {0x20, 0x00, 0x00}},  // the Fn key: no code
        {125, {0x20, 0x80, 0x00}},  // right Windows
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(At(AreaId::Factory, c.position * 3, 3), c.code);
    }
}

TEST_F(KeyboardMemory, FactoryTableHasNoKeyAtTwelvePositionsAndNoFnCode) {
    const std::set<size_t> empty{100, 106, 108, 112, 113, 114, 117, 118, 120, 122, 123, 124};
    const Bytes table = Dump(AreaId::Factory);
    for (size_t p = 0; p < 126; ++p) {
        SCOPED_TRACE(p);
        const Bytes code(table.begin() + static_cast<long>(p * 3),
                         table.begin() + static_cast<long>(p * 3 + 3));
        EXPECT_EQ(code == Bytes({0x20, 0x00, 0x00}), empty.count(p) == 1);
        EXPECT_NE(code, Bytes({0xA0, 0x01, 0x00}));
    }
    for (size_t i = 126 * 3; i < table.size(); ++i) EXPECT_EQ(table[i], 0) << i;
    // Every letter key is there, once.
    for (uint8_t usage = 0x04; usage <= 0x1D; ++usage) {
        int found = 0;
        for (size_t p = 0; p < 126; ++p) {
            found += table[p * 3] == 0x20 && table[p * 3 + 1] == 0 && table[p * 3 + 2] == usage;
        }
        EXPECT_EQ(found, 1) << "usage " << int(usage);
    }
}

TEST_F(KeyboardMemory, ActiveTableStartsAsTheFactoryTable) {
    EXPECT_EQ(Dump(AreaId::KeyTable), Dump(AreaId::Factory));
}

TEST_F(KeyboardMemory, SecondTableGivesTheMatrixCellOfEachPosition) {
    const Bytes second = Dump(AreaId::Second);
    EXPECT_EQ(second[0], 0x00);    // Escape: row 0, column 0
    EXPECT_EQ(second[1], 0x20);    // grave: row 1, column 0
    EXPECT_EQ(second[6], 0x01);    // F1: row 0, column 1
    EXPECT_EQ(second[35], 0xB2);   // row 5, column 18
    EXPECT_EQ(second[113], 0xA5);  // Fn: row 5, column 5
    EXPECT_EQ(second[125], 0xB4);  // right Windows: row 5, column 20
    for (size_t p = 126; p < 170; ++p) EXPECT_EQ(second[p], 0xFF) << p;
}

TEST_F(KeyboardMemory, ParameterRecordsOverlapAtStride25) {
    const Bytes params = Dump(AreaId::Params);
    EXPECT_EQ(params[0], 1);  // active device profile, also record 0's first byte
    const struct {
        size_t profile;
        Bytes record;
    } cases[] = {
        {0, {0x01, 0x01, 0x04, 0x02, 0x00, 0x01, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01}},
        {1, {0x01, 0x05, 0x03, 0x01, 0x00, 0x00, 0x00, 0x80, 0xFF, 0x00, 0x00, 0x00, 0x00,
             0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x01, 0x00, 0x01, 0x02, 0x00, 0x00, 0x02}},
        {2, {0x02, 0x06, 0x04, 0x03, 0x01, 0x00, 0xFF, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00,
             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x03}},
        {3, {0x03, 0x15, 0x04, 0x02, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00,
             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x03, 0x00, 0x00, 0x04}},
        {7, {0x07, 0xFE, 0x04, 0x02, 0x00, 0x01, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08}},
        {9, {0x09, 0x28, 0x04, 0x01, 0x00, 0x01, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00,
             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.profile);
        EXPECT_EQ(At(AreaId::Params, c.profile * 25, 26), c.record);
    }
    for (size_t i = 251; i < 256; ++i) EXPECT_EQ(params[i], 0) << i;
}

TEST_F(KeyboardMemory, MaskStatusAndMacroMemory) {
    EXPECT_EQ(Dump(AreaId::Mask), Bytes(21, 0x3F));
    EXPECT_EQ(Dump(AreaId::Status), (Bytes{0x64, 0x01, 0x00, 0x00, 0x01, 0x00}));
    const Bytes macro = Dump(AreaId::Macro);
    EXPECT_EQ(Bytes(macro.begin(), macro.begin() + 16),
              (Bytes{0xAA, 0x55, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(macro[16], 0xFF);
    EXPECT_EQ(macro[511], 0xFF);
}

}  // namespace
