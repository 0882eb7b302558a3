// The macro editor's rows: inserted events, moves, deletes, names, delays, device bytes.
#include "panels/macro_model.h"

#include <gtest/gtest.h>

#include "devices/macro_event_codec.h"

namespace {
using namespace macro_edit;

std::array<uint8_t, 4> DeviceBytes(const Json::Value& event) {
    return macro_codec::EncodeDeviceEvent(macro_codec::ReadMacroEvent(event));
}

TEST(MacroEvents, MenuClicksOfTheXButtons) {
    struct Case {
        int variant;
        int button;
    } cases[] = {{kVariantForward, 16}, {kVariantBack, 8}};
    for (const Case& c : cases) {
        MacroEventList rows;
        rows.InsertAfterSelected(MouseButtonEvent(kXDown, c.variant, 0));
        rows.InsertAfterSelected(MouseButtonEvent(kXUp, c.variant, 0));
        ASSERT_EQ(rows.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(rows.at(i)["Type"].asInt(), 1);
            EXPECT_EQ(rows.at(i)["Button"].asInt(), c.button);
        }
        EXPECT_EQ(rows.at(0)["Action"].asString(), "down");
        EXPECT_EQ(rows.at(1)["Action"].asString(), "up");
        EXPECT_EQ(EventNameKey(rows.at(0)),
                  c.button == 16 ? "mouse_key_forward" : "mouse_key_back");
    }
}

TEST(MacroEvents, DeviceBytes) {
    Json::Value keyDown(Json::objectValue);
    keyDown["Action"] = "down";
    keyDown["Button"] = 4;
    keyDown["Type"] = 10;
    keyDown["Delay"] = "35";
    EXPECT_EQ(DeviceBytes(keyDown), (std::array<uint8_t, 4>{0x23, 0x00, 0x8A, 0x04}));
    EXPECT_EQ(DeviceBytes(MouseMoveEvent(MoveDirection::Left, 20, 300)),
              (std::array<uint8_t, 4>{0x2C, 0x01, 0x84, 20}));
    EXPECT_EQ(DeviceBytes(MouseMoveEvent(MoveDirection::Down, 260, 0)),
              (std::array<uint8_t, 4>{0x00, 0x00, 0x05, 4}));
}

TEST(MacroEvents, NamesByTypeAndButton) {
    EXPECT_EQ(EventNameKey(MakeEvent(true, 4, kTypeKey, 0)), "keyboard_key_A");
    EXPECT_EQ(EventNameKey(MakeEvent(true, 0x40, kTypeModifier, 0)), "keyboard_key_RAlt");
    EXPECT_EQ(EventNameKey(MouseMoveEvent(MoveDirection::Up, 3, 0)), "mouse_move_to_up_text");
    EXPECT_EQ(EventNameKey(MakeEvent(true, 0xF0, kTypeKey, 0)), "");
    EXPECT_EQ(EventNameKey(Json::Value("garbage")), "");
}

TEST(MacroEvents, DelayTexts) {
    struct Case {
        const char* text;
        uint16_t delay;
    } cases[] = {{"", 0},          {"0", 0}, {"35", 35}, {"65535", 65535},
                 {"99999", 65535}, {"x", 0}, {"-3", 0},  {"123456789012345678901234", 65535}};
    for (const Case& c : cases) EXPECT_EQ(ReadDelayText(c.text), c.delay) << c.text;
}

MacroEventList FiveRows() {
    MacroEventList rows;
    for (int i = 0; i < 5; ++i) rows.InsertAt(rows.size(), MakeEvent(true, 4 + i, kTypeKey, 0));
    return rows;
}

std::vector<int> Buttons(const MacroEventList& rows) {
    std::vector<int> out;
    for (std::size_t i = 0; i < rows.size(); ++i) out.push_back(rows.at(i)["Button"].asInt());
    return out;
}

TEST(MacroRows, MovesAndDeletes) {
    struct Case {
        const char* name;
        int select;
        void (MacroEventList::*op)();
        std::vector<int> expected;
        int selected;
    } cases[] = {
        {"up", 2, &MacroEventList::MoveRowUp, {4, 6, 5, 7, 8}, 1},
        {"up at the top", 0, &MacroEventList::MoveRowUp, {4, 5, 6, 7, 8}, 0},
        {"up without selection", -1, &MacroEventList::MoveRowUp, {4, 5, 6, 7, 8}, -1},
        {"down", 2, &MacroEventList::MoveRowDown, {4, 5, 7, 6, 8}, 3},
        {"down at the bottom", 4, &MacroEventList::MoveRowDown, {4, 5, 6, 7, 8}, 4},
        {"to top", 3, &MacroEventList::MoveRowToTop, {7, 4, 5, 6, 8}, 0},
        {"to bottom", 1, &MacroEventList::MoveRowToBottom, {4, 6, 7, 8, 5}, 4},
        {"delete", 1, &MacroEventList::DeleteRow, {4, 6, 7, 8}, -1},
        {"delete without selection", -1, &MacroEventList::DeleteRow, {4, 5, 6, 7, 8}, -1},
        {"delete all", 2, &MacroEventList::DeleteAllRows, {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MacroEventList rows = FiveRows();
        rows.Select(c.select);
        (rows.*c.op)();
        EXPECT_EQ(Buttons(rows), c.expected);
        EXPECT_EQ(rows.Selected(), c.selected);
    }
}

TEST(MacroRows, InsertedRowsGoAfterTheSelectionOrOnTop) {
    MacroEventList rows = FiveRows();
    rows.InsertAfterSelected(MouseMoveEvent(MoveDirection::Right, 9, 50));
    EXPECT_EQ(rows.Selected(), 0);
    EXPECT_EQ(rows.at(0)["Delay"].asString(), "50");
    rows.Select(3);
    rows.InsertAfterSelected(MouseMoveEvent(MoveDirection::Left, 1, 0));
    EXPECT_EQ(rows.Selected(), 4);
    EXPECT_EQ(rows.at(4)["Type"].asInt(), 4);
}

TEST(MacroRows, RowsThatAreNotEventsAreSkippedNotTheRest) {
    Json::Value events(Json::arrayValue);
    events.append(MakeEvent(true, 4, kTypeKey, 1));
    events.append("not an event");
    events.append(MakeEvent(false, 4, kTypeKey, 2));
    MacroEventList rows(events);
    std::size_t skipped = 0;
    const Json::Value saved = rows.ToEvents(&skipped);
    EXPECT_EQ(skipped, 1u);
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[1]["Delay"].asString(), "2");
}

}  // namespace
