#include "tables/key_tables.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>

#include "tables/emulated_mouse.h"
#include "tables/key_factory_table.h"

namespace {

using namespace tables;

struct EncodingCase {
    const char* name;
    std::uint16_t virtual_key;
    std::uint16_t evdev_code;
    DeviceKeyCode code;
    std::uint16_t scan_code;
    bool extended;
};

void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.name; }

class KeyEncoding : public ::testing::TestWithParam<EncodingCase> {};

// A key found by virtual-key code (the Windows hook), by scan code and by Linux key code must
// land on the same row and so encode the same.
TEST_P(KeyEncoding, VirtualKeyScanCodeAndEvdevFindTheSameRow) {
    const EncodingCase& c = GetParam();
    const auto by_vk = FindVirtualKeyRow(c.virtual_key);
    ASSERT_TRUE(by_vk.has_value());
    EXPECT_EQ(kVirtualKeyTable[*by_vk].code, c.code);

    EXPECT_EQ(FindRowByScanCode(c.scan_code, c.extended), by_vk);
    EXPECT_EQ(FindRowByEvdev(c.evdev_code), by_vk);

    const auto scan = ScanCodeForEvdev(c.evdev_code);
    ASSERT_TRUE(scan.has_value());
    EXPECT_EQ(scan->scan_code, c.scan_code);
    EXPECT_EQ(scan->extended, c.extended);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, KeyEncoding,
    ::testing::Values(
        EncodingCase{"A", 'A', KEY_A, {0x20, 0x00, 0x04}, 0x1E, false},
        EncodingCase{"LeftShift", vk::kVkLShift, KEY_LEFTSHIFT, {0x20, 0x02, 0x00}, 0x2A, false},
        EncodingCase{"VolumeUp", vk::kVkVolumeUp, KEY_VOLUMEUP, {0x30, 0xE9, 0x00}, 0x30, true},
        EncodingCase{"Calculator", vk::kVkLaunchApp2, KEY_CALC, {0x30, 0x92, 0x01}, 0x21, true},
        EncodingCase{"RightCtrl", vk::kVkRControl, KEY_RIGHTCTRL, {0x20, 0x10, 0x00}, 0x1D, true},
        EncodingCase{
            "KeypadEnter", vk::kVkKeypadEnter, KEY_KPENTER, {0x20, 0x00, 0x58}, 0x1C, true},
        EncodingCase{"Enter", vk::kVkReturn, KEY_ENTER, {0x20, 0x00, 0x28}, 0x1C, false},
        EncodingCase{"NumLock", vk::kVkNumLock, KEY_NUMLOCK, {0x20, 0x00, 0x53}, 0x45, true},
        EncodingCase{"Pause", vk::kVkPause, KEY_PAUSE, {0x20, 0x00, 0x48}, 0x45, false},
        EncodingCase{"Power", vk::kVkPower, KEY_POWER, {0x40, 0x01, 0x00}, 0x5E, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyEncoding, ConsumerUsageIsStoredLowByteFirst) {
    EXPECT_EQ(ConsumerKey(0x0192), (DeviceKeyCode{0x30, 0x92, 0x01}));
    EXPECT_EQ(ConsumerUsage(DeviceKeyCode{0x30, 0x92, 0x01}), 0x0192);
    EXPECT_EQ(EncodeAssignment({1, 2, 3}), 66051);
    EXPECT_EQ(DecodeAssignment(66051), (DeviceKeyCode{1, 2, 3}));
}

TEST(VirtualKeyTable, RowsStandInTheirOrder) {
    ASSERT_EQ(kVirtualKeyTable.size(), 142u);
    const std::uint8_t masks[] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
    for (std::size_t i = 0; i < kModifierRowCount; ++i) {
        EXPECT_EQ(kVirtualKeyTable[i].code, (DeviceKeyCode{0x20, masks[i], 0})) << i;
    }
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(kVirtualKeyTable[8 + i].virtual_key, 'A' + i);
        EXPECT_EQ(kVirtualKeyTable[8 + i].code, KeyboardKey(static_cast<std::uint8_t>(4 + i)));
    }
    EXPECT_EQ(kVirtualKeyTable[43].virtual_key, '0');
    EXPECT_EQ(kVirtualKeyTable[43].code, KeyboardKey(0x27));
    // Four codes 0xFF for the Japanese and Korean keys, then the second "/" record.
    for (std::size_t row : {109u, 110u, 111u, 112u})
        EXPECT_EQ(kVirtualKeyTable[row].virtual_key, 0xFF);
    EXPECT_EQ(kVirtualKeyTable[113].virtual_key, vk::kVkOem2);
    EXPECT_EQ(kVirtualKeyTable[113].code, KeyboardKey(0x32));
    EXPECT_EQ(kVirtualKeyTable[130].code, ConsumerKey(0x0226));  // browser stop
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(kVirtualKeyTable[135 + i].code,
                  (DeviceKeyCode{0xD0, 0xA2, static_cast<std::uint8_t>(i + 1)}));
    }
    EXPECT_EQ(kVirtualKeyTable[140].code, (DeviceKeyCode{0xA0, 0x01, 0x00}));
    EXPECT_EQ(kVirtualKeyTable[141].code, (DeviceKeyCode{0xA0, 0x1B, 0x00}));
    // The first of two "/" records wins a virtual-key search.
    EXPECT_EQ(FindVirtualKeyRow(vk::kVkOem2), 59u);
    EXPECT_FALSE(FindVirtualKeyRow(0).has_value());
}

TEST(TextIdentifiers, OnePerRowPlusColour) {
    ASSERT_EQ(kKeyTextIdentifiers.size(), 143u);
    EXPECT_EQ(KeyTextIdentifier(0), L"keyboard_key_LCtrl");
    EXPECT_EQ(KeyTextIdentifier(53), L"keyboard_key_xiegang");
    EXPECT_EQ(KeyTextIdentifier(119), L"keyboard_key_Volume Up");
    EXPECT_EQ(KeyTextIdentifier(130), L"wed_stop");
    EXPECT_EQ(KeyTextIdentifier(141), L"keyboard_key_GM");
    EXPECT_EQ(KeyTextIdentifier(142), L"keyboard_key_COLOR");
    EXPECT_TRUE(KeyTextIdentifier(143).empty());
    for (std::size_t i = 0; i < kKeyTextIdentifiers.size(); ++i) {
        if (i == 130) continue;
        EXPECT_TRUE(kKeyTextIdentifiers[i].starts_with(L"keyboard_key_")) << i;
    }
}

TEST(ScanCodeTable, ParallelToTheVirtualKeyTable) {
    const std::uint16_t right_modifiers[] = {0x11D, 0x136, 0x138, 0x15C};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(CombinedScanCode(kScanCodeTable[4 + i]), right_modifiers[i]);
    }
    for (std::size_t row = 0; row < kVirtualKeyRowCount; ++row) {
        EXPECT_EQ(kScanCodeTable[row].virtual_key, kVirtualKeyTable[row].virtual_key) << row;
        // Exactly the rows with a virtual key have a scan code.
        EXPECT_EQ(kScanCodeTable[row].scan_code != 0, kVirtualKeyTable[row].virtual_key != 0)
            << row;
        if (kScanCodeTable[row].scan_code == 0) continue;
        // Scan code and extended flag find the row itself, except the second "/" record
        // (the non-US hash key), whose scan code is the backslash key's.
        const auto found =
            FindRowByScanCode(kScanCodeTable[row].scan_code, kScanCodeTable[row].extended);
        EXPECT_EQ(found, row == 113 ? 53u : row) << row;
    }
}

TEST(EvdevTable, EveryKeyRowIsReachableFromLinux) {
    std::set<std::size_t> reached;
    for (const EvdevKeyRow& entry : EvdevKeyTable()) {
        const auto row = FindRowByEvdev(entry.evdev_code);
        ASSERT_TRUE(row.has_value()) << entry.evdev_code;
        EXPECT_EQ(kVirtualKeyTable[*row].code, entry.code) << entry.evdev_code;
        reached.insert(*row);
    }
    for (std::size_t row = 0; row < kVirtualKeyRowCount; ++row) {
        const bool has_key = kScanCodeTable[row].scan_code != 0 && row != 113;
        EXPECT_EQ(reached.count(row) == 1, has_key) << row;
    }
    // Both codes the kernel uses for "my computer" and for the media selector.
    EXPECT_EQ(FindRowByEvdev(KEY_FILE), FindRowByEvdev(KEY_COMPUTER));
    EXPECT_EQ(FindRowByEvdev(KEY_CONFIG), FindRowByEvdev(KEY_MEDIA));
    EXPECT_EQ(FindRowByEvdev(KEY_BACKSLASH), 53u);
    EXPECT_FALSE(FindRowByEvdev(KEY_F13).has_value());
    EXPECT_FALSE(ScanCodeForEvdev(KEY_F13).has_value());
}

TEST(ShortcutTable, ElevenCtrlShortcuts) {
    const std::uint8_t usages[] = {0x12, 0x11, 0x1D, 0x16, 0x06, 0x1B,
                                   0x19, 0x09, 0x04, 0x2D, 0x2E};
    ASSERT_EQ(kShortcutTable.size(), 11u);
    for (std::size_t i = 0; i < kShortcutTable.size(); ++i) {
        EXPECT_EQ(kShortcutTable[i].index, i);
        EXPECT_EQ(kShortcutTable[i].code, (DeviceKeyCode{0x20, 0x01, usages[i]}));
    }
}

TEST(FactoryKeyCodes, SpecialAndEmptyKeys) {
    EXPECT_EQ(FactoryKeyCode(0), KeyboardKey(0x29));  // Escape
    EXPECT_EQ(FactoryKeyCode(16), (DeviceKeyCode{0xA0, 0x1B, 0x00}));
    EXPECT_EQ(FactoryKeyCode(84), KeyboardKey(0, kModLeftShift));
    EXPECT_EQ(FactoryKeyCode(kFnKeyIndex), (DeviceKeyCode{0xA0, 0x01, 0x00}));
    EXPECT_EQ(FactoryKeyCode(124), (DeviceKeyCode{0xD0, 0xA2, 0x05}));
    EXPECT_EQ(FactoryKeyCode(125), KeyboardKey(0, kModRightWin));
    EXPECT_FALSE(FactoryKeyCode(-1).has_value());
    EXPECT_FALSE(FactoryKeyCode(170).has_value());
    std::set<int> empty;
    for (int i = 0; i < 170; ++i) {
        if (*FactoryKeyCode(i) == kNoKey) empty.insert(i);
    }
    std::set<int> expected{18, 19, 20, 104};
    for (int i = 126; i < 170; ++i) expected.insert(i);
    EXPECT_EQ(empty, expected);
    // Every other factory code is a distinct key.
    std::set<std::int32_t> codes;
    for (int i = 0; i < 170; ++i) {
        if (!expected.count(i)) codes.insert(EncodeAssignment(*FactoryKeyCode(i)));
    }
    EXPECT_EQ(codes.size(), 170u - expected.size());
}

TEST(EmulatedMouse, InformationBlockCarriesTheDpiScale) {
    using namespace emulated_mouse;
    const auto& block = kDeviceInfoBlock;
    EXPECT_EQ(block[5], kKeyTableEntries);
    EXPECT_EQ(block[9] | (block[10] << 8), kSensorId);
    EXPECT_NE(kSensorId, 0x3325);  // linear scale
    EXPECT_EQ(block[11], kDpiStep);
    EXPECT_EQ(block[12] | (block[13] << 8), kHighestDpiLevel);
    EXPECT_EQ(block[14] | (block[15] << 8), kDpiBase);
}

}  // namespace
