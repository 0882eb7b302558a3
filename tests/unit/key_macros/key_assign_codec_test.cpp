// The key assignment panel's state <-> device key code, with the bytes written out.
#include "panels/key_assign_codec.h"

#include <gtest/gtest.h>

#include "devices/write_outcome.h"
#include "tables/key_tables.h"

namespace {
using namespace key_assign;
using tables::DeviceKeyCode;

constexpr DeviceKeyCode kDefault{0x20, 0x00, 0x04};  // "A"

struct ComposeCase {
    const char* name;
    KeyPanelState state;
    DeviceKeyCode current;
    DeviceKeyCode expected;
};

KeyPanelState Kind(int kind) {
    KeyPanelState s;
    s.function_kind = kind;
    return s;
}

std::vector<ComposeCase> ComposeCases() {
    std::vector<ComposeCase> cases;
    {
        KeyPanelState s = Kind(kFunctionMouseWheel);
        s.wheel_row = 1, s.wheel_count = 5;
        cases.push_back({"wheel row 1 count 5", s, {}, {0x12, 0x00, 0xFB}});
    }
    {
        KeyPanelState s = Kind(kFunctionMouseSwing);
        s.swing_row = 0, s.swing_delay = 3, s.swing_speed = 2, s.swing_count = 10;
        cases.push_back({"swing 3 2 10 row 0", s, {}, {0x11, 0x32, 0x0A}});
    }
    {
        KeyPanelState s = Kind(kFunctionMouseSwing);
        s.swing_row = 1, s.swing_delay = 99, s.swing_speed = 40, s.swing_count = 500;
        cases.push_back({"swing fields limited, not cut", s, {}, {0x11, 0xFF, 0xFF}});
    }
    {
        KeyPanelState s = Kind(kFunctionMacro);
        s.macro_row = 2, s.macro_count = 5, s.over_row = 4, s.cycle_count = 3;
        cases.push_back({"macro 2 repeat 3", s, {}, {0x71, 2, 3}});
    }
    {
        KeyPanelState s = Kind(kFunctionMacro);
        s.macro_row = 1, s.macro_count = 2, s.over_row = 2;
        cases.push_back({"macro 1 over row 2", s, {}, {0x70, 1, 2}});
    }
    {
        KeyPanelState s = Kind(kFunctionMacro);
        s.macro_row = 3, s.macro_count = 3, s.over_row = 0;
        cases.push_back(
            {"macro row equal to item count is none", s, {0x10, 0x01, 0}, {0x10, 0x01, 0}});
    }
    {
        KeyPanelState s = Kind(kFunctionMacro);
        s.macro_row = -1, s.macro_count = 3;
        cases.push_back({"no macro row keeps current", s, {0x30, 0xE9, 0}, {0x30, 0xE9, 0}});
    }
    for (int kind :
         {kFunctionMouseButton, kFunctionDpi, kFunctionMedia, kFunctionSystem, kFunctionGunKey,
          kFunctionShortcut, kFunctionMouseSwing, kFunctionMouseWheel}) {
        cases.push_back({"table kind without selection gives default", Kind(kind), {}, kDefault});
    }
    cases.push_back({"default kind", Kind(kFunctionDefault), {0x10, 1, 0}, kDefault});
    cases.push_back({"unknown kind", Kind(42), {0x10, 1, 0}, kDefault});
    {
        KeyPanelState s = Kind(kFunctionMouseButton);
        s.mouse_button_row = 3;
        cases.push_back({"mouse forward", s, {}, {0x10, 0x10, 0}});
    }
    {
        KeyPanelState s = Kind(kFunctionMedia);
        s.media_row = 16;
        cases.push_back({"media calculator", s, {}, {0x30, 0x92, 0x01}});
    }
    {
        KeyPanelState s = Kind(kFunctionSystem);
        s.system_row = 2;
        cases.push_back({"system wake", s, {}, {0x40, 0x04, 0}});
    }
    {
        KeyPanelState s = Kind(kFunctionMouseFire);
        s.fire_interval = 300, s.fire_count = 7;
        cases.push_back({"fire interval limited to 255", s, {}, {0x14, 0xFF, 7}});
    }
    {
        KeyPanelState s = Kind(kFunctionKeyboardKey);
        s.modifier = 3, s.key_text_empty = false;
        cases.push_back({"Alt + B", s, {0x20, 0, 0x05}, {0x20, 0x04, 0x05}});
    }
    {
        KeyPanelState s = Kind(kFunctionKeyboardKey);
        s.modifier = 0, s.key_text_empty = true;
        cases.push_back({"empty key text sends no usage", s, {0x20, 0, 0x05}, {0x20, 0, 0}});
    }
    {
        KeyPanelState s = Kind(kFunctionShortcut);
        s.shortcut_row = 4;
        cases.push_back({"shortcut Ctrl+C", s, {}, {0x20, 0x01, 0x06}});
    }
    {
        KeyPanelState s = Kind(kFunctionGunKey);
        s.gun_row = 2;
        cases.push_back({"gun key row 2", s, {}, {0x72, 2, 0}});
    }
    return cases;
}

TEST(KeyAssignCompose, CodesFromPanelState) {
    for (const ComposeCase& c : ComposeCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Compose(c.state, c.current, kDefault), c.expected);
    }
}

TEST(KeyAssignShow, WheelAndSwingRoundTrip) {
    KeyPanelState s;
    Show({0x12, 0x00, 0xFB}, kDefault, s);
    EXPECT_EQ(s.function_kind, kFunctionMouseWheel);
    EXPECT_EQ(s.wheel_row, 1);
    EXPECT_EQ(s.wheel_count, 5);
    KeyPanelState swing;
    Show({0x11, 0x32, 0x8A}, kDefault, swing);
    EXPECT_EQ(swing.swing_delay, 3);
    EXPECT_EQ(swing.swing_speed, 2);
    EXPECT_EQ(swing.swing_row, 1);
    EXPECT_EQ(swing.swing_count, 10);
}

TEST(KeyAssignShow, VolumeUpSelectsMediaRow) {
    KeyPanelState s;
    const ShowResult r = Show({0x30, 0xE9, 0x00}, kDefault, s);
    EXPECT_EQ(r.function_kind, kFunctionMedia);
    EXPECT_EQ(s.media_row, 6);
}

TEST(KeyAssignShow, DefaultShowsKindZeroAndChangesNothingElse) {
    KeyPanelState s;
    s.media_row = 3;
    s.modifier = 2;
    const ShowResult r = Show(kDefault, kDefault, s);
    EXPECT_EQ(r.function_kind, kFunctionDefault);
    EXPECT_EQ(s.media_row, 3);
    EXPECT_EQ(s.modifier, 2);
    EXPECT_FALSE(r.key_text_row);
}

TEST(KeyAssignShow, KeyboardKeys) {
    struct Case {
        DeviceKeyCode code;
        int kind, modifier;
        std::optional<std::size_t> text;
        bool clear;
    } cases[] = {
        {{0x20, 0x00, 0x05}, kFunctionKeyboardKey, 0, 9, false},             // B
        {{0x20, 0x40, 0x05}, kFunctionKeyboardKey, 3, 9, false},             // right Alt + B
        {{0x20, 0x10, 0x04}, kFunctionKeyboardKey, 1, 8, false},             // right Ctrl + A
        {{0x20, 0x02, 0x00}, kFunctionKeyboardKey, 2, std::nullopt, false},  // left Shift alone
        {{0x20, 0x00, 0xF0}, kFunctionKeyboardKey, -1, std::nullopt, true},  // no such usage
        {{0x20, 0x03, 0x06}, kFunctionShortcut, -1, std::nullopt, false},    // two modifiers
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.code.high) << " " << int(c.code.low));
        KeyPanelState s;
        const ShowResult r = Show(c.code, kDefault, s);
        EXPECT_EQ(r.function_kind, c.kind);
        if (c.kind == kFunctionKeyboardKey) {
            EXPECT_EQ(s.modifier, c.modifier);
        }
        EXPECT_EQ(r.key_text_row, c.text);
        EXPECT_EQ(r.clear_current_key, c.clear);
    }
}

TEST(KeyAssignShow, MacroAndRepeat) {
    KeyPanelState s;
    Show({0x71, 2, 3}, kDefault, s);
    EXPECT_EQ(s.function_kind, kFunctionMacro);
    EXPECT_EQ(s.macro_row, 2);
    EXPECT_EQ(s.over_row, 4);
    EXPECT_TRUE(s.cycle_visible);
    EXPECT_EQ(s.cycle_count, 3);
}

TEST(KeyAssignEdits, NumbersAreLimitedToTheirField) {
    struct Case {
        const char* text;
        EditRange range;
        int expected;
    } cases[] = {{"", kDelayRange, 0},    {"abc", kDelayRange, 0},
                 {"-3", kCountRange, 0},  {"99999", kByteRange, 255},
                 {"16", kDelayRange, 15}, {" 7 ", kSpeedRange, 7},
                 {"12x", kCountRange, 0}, {"99999999999999999999", kCountRange, 127}};
    for (const Case& c : cases) EXPECT_EQ(ReadEditNumber(c.text, c.range), c.expected) << c.text;
}

TEST(KeyAssignCapture, RightAltGivesAltOptionAndMask) {
    const auto row = tables::FindRowByScanCode(0x38, true);
    ASSERT_TRUE(row);
    const CaptureResult c = Capture(*row, -1);
    ASSERT_TRUE(c.used);
    EXPECT_EQ(c.modifier, 3);
    EXPECT_FALSE(c.text);
    KeyPanelState s = Kind(kFunctionKeyboardKey);
    s.modifier = *c.modifier;
    s.key_text_empty = true;
    EXPECT_EQ(Compose(s, {0x20, 0, c.usage}, kDefault), (DeviceKeyCode{0x20, 0x04, 0x00}));
}

TEST(KeyAssignCapture, KeysAndRowsThatAreNotKeys) {
    const CaptureResult a = Capture(8, -1);  // "A" without a modifier selected
    EXPECT_TRUE(a.used);
    EXPECT_EQ(a.modifier, 0);
    EXPECT_EQ(a.text, 8u);
    EXPECT_EQ(a.usage, 0x04);
    const CaptureResult withCtrl = Capture(8, 1);
    EXPECT_FALSE(withCtrl.modifier);
    EXPECT_TRUE(withCtrl.compose_before);
    EXPECT_FALSE(Capture(119, -1).used);  // volume up: a consumer row
    EXPECT_FALSE(Capture(500, -1).used);
}

TEST(KeyAssignMessages, OutcomeToMessage) {
    struct Case {
        WriteOutcome outcome;
        const char* text;
        std::optional<long long> number;
    } cases[] = {
        {WriteOutcome::Failed("BeginSettings", 0), "message_text_7", std::nullopt},
        {WriteOutcome::Failed("WriteKeyTable", -1), "message_text_7", std::nullopt},
        {WriteOutcome::Failed("WriteKeyTable", -101), "message_text_7", std::nullopt},
        {WriteOutcome::Failed("WriteKeyTable", -102), "message_text_7", std::nullopt},
        {WriteOutcome::Failed("WriteMacros", -103), "message_text_7", std::nullopt},
        {WriteOutcome::Failed("WriteKeyTable", -201), "message_text_7", std::nullopt},
        {WriteOutcome::TooLarge(1), "message_text_16", 1},
        {WriteOutcome::Ok(), "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outcome.code);
        const WriteMessage m = MessageForOutcome(c.outcome);
        EXPECT_EQ(m.text_id, c.text);
        EXPECT_EQ(m.number, c.number);
    }
}

TEST(KeyAssignMessages, NumberGoesIntoOnePercentD) {
    EXPECT_EQ(FormatNumberText("%d events too many", 12), "12 events too many");
    EXPECT_EQ(FormatNumberText("too many: %d (%d)", 3), "too many: 3 (%d)");
    EXPECT_EQ(FormatNumberText("%s %n %x", 3), "%s %n %x 3");
    EXPECT_EQ(FormatNumberText("", 3), "3");
}

}  // namespace
