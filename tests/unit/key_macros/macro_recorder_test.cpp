// Recording through evemu replays: the events of an evemu-record text, turned into input
// events as the hook does, fed to the recorder.
#include "panels/macro_recorder.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include "platform/input_event.h"
#include "tables/key_tables.h"

namespace {
using namespace macro_edit;

// Feeds an evemu text (times in seconds) into rows, as the recording path does.
void Replay(MacroRecorder& recorder, const std::string& evemu) {
    const platform::EvemuRead read = platform::ParseEvemuText(evemu);
    for (const platform::RawInputEvent& raw : read.events) {
        auto event = platform::FromRawEvent(raw);
        if (!event) continue;
        if (event->device == platform::InputEvent::Device::Key) {
            if (auto scan = tables::ScanCodeForEvdev(event->code)) {
                event->scan_code = scan->scan_code;
                event->extended = scan->extended;
            }
        }
        recorder.Feed(*event);
    }
}

std::vector<std::string> Delays(const MacroEventList& rows) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < rows.size(); ++i) out.push_back(rows.at(i)["Delay"].asString());
    return out;
}

constexpr char kADownUp[] =
    "# EV_KEY KEY_A\n"
    "E: 10.000000 0001 001e 1\n"
    "E: 10.000000 0000 0000 0\n"
    "E: 10.120000 0001 001e 0\n"
    "E: 10.120000 0000 0000 0\n";

TEST(MacroRecording, DelayModes) {
    struct Case {
        DelayMode mode;
        std::vector<std::string> delays;
    } cases[] = {{DelayMode::Record, {"120", "0"}},
                 {DelayMode::Constant, {"50", "50"}},
                 {DelayMode::Ignore, {"0", "0"}}};
    for (const Case& c : cases) {
        MacroEventList rows;
        MacroRecorder recorder(rows, RecordPosition::Append, c.mode, 50, 9'000'000);
        Replay(recorder, kADownUp);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(Delays(rows), c.delays);
        EXPECT_EQ(rows.at(0)["Action"].asString(), "down");
        EXPECT_EQ(rows.at(0)["Type"].asInt(), 10);
        EXPECT_EQ(rows.at(0)["Button"].asInt(), 4);
    }
}

TEST(MacroRecording, HeldKeyGivesOneDownAndOneUp) {
    std::string evemu = "E: 1.000000 0001 001e 1\n";
    for (int i = 0; i < 60; ++i)
        evemu += "E: " + std::to_string(1.5 + i * 0.025) + " 0001 001e 2\n";
    evemu += "E: 3.000000 0001 001e 0\n";
    MacroEventList rows;
    MacroRecorder recorder(rows, RecordPosition::Append, DelayMode::Record, 0, 0);
    Replay(recorder, evemu);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(Delays(rows), (std::vector<std::string>{"2000", "0"}));
}

TEST(MacroRecording, LongGapIsStoredAs65535) {
    MacroEventList rows;
    MacroRecorder recorder(rows, RecordPosition::Append, DelayMode::Record, 0, 0);
    Replay(recorder, "E: 1.0 0001 001e 1\nE: 71.0 0001 001e 0\n");
    EXPECT_EQ(Delays(rows), (std::vector<std::string>{"65535", "0"}));
}

TEST(MacroRecording, MouseButtonsAndModifiers) {
    MacroEventList rows;
    MacroRecorder recorder(rows, RecordPosition::Append, DelayMode::Ignore, 0, 0);
    Replay(recorder,
           "E: 1.0 0001 0116 1\n"    // BTN_BACK
           "E: 1.1 0001 0114 0\n"    // BTN_EXTRA: forward
           "E: 1.2 0001 0064 1\n"    // right Alt
           "E: 1.3 0001 0110 1\n"    // BTN_LEFT
           "E: 1.4 0001 00f0 1\n"    // KEY_UNKNOWN: not in the tables
           "E: 1.5 0002 0000 5\n");  // a move: not recorded
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows.at(0)["Type"].asInt(), 1);
    EXPECT_EQ(rows.at(0)["Button"].asInt(), 8);
    EXPECT_EQ(rows.at(1)["Button"].asInt(), 16);
    EXPECT_EQ(rows.at(1)["Action"].asString(), "up");
    EXPECT_EQ(rows.at(2)["Type"].asInt(), 9);
    EXPECT_EQ(rows.at(2)["Button"].asInt(), 0x40);
    EXPECT_EQ(rows.at(3)["Button"].asInt(), 1);
}

TEST(MacroRecording, TheStopClickIsNotRecorded) {
    struct Case {
        const char* name;
        std::string tail;
    } cases[] = {{"press and release before the stop", "E: 2.0 0001 0110 1\nE: 2.1 0001 0110 0\n"},
                 {"press only", "E: 2.0 0001 0110 1\n"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MacroEventList rows;
        MacroRecorder recorder(rows, RecordPosition::Append, DelayMode::Record, 0, 0);
        Replay(recorder, kADownUp + c.tail);
        recorder.Stop(true);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(Delays(rows), (std::vector<std::string>{"120", "0"}));
        EXPECT_FALSE(recorder.Feed(platform::InputEvent{}));
    }
    MacroEventList rows;
    MacroRecorder byKey(rows, RecordPosition::Append, DelayMode::Record, 0, 0);
    Replay(byKey, "E: 2.0 0001 0110 1\nE: 2.1 0001 0110 0\n");
    byKey.Stop(false);
    EXPECT_EQ(rows.size(), 2u);
}

MacroEventList ThreeRows() {
    MacroEventList rows;
    for (int i = 0; i < 3; ++i) rows.InsertAt(rows.size(), MakeEvent(true, 0x10 + i, kTypeKey, 7));
    return rows;
}

TEST(MacroRecording, BeforeAndAfterTheSelectedRow) {
    struct Case {
        RecordPosition position;
        DelayMode mode;
        std::vector<int> buttons;
        std::vector<std::string> delays;
    } cases[] = {
        {RecordPosition::After,
         DelayMode::Record,
         {0x10, 0x11, 4, 4, 0x12},
         {"7", "1000", "120", "0", "7"}},
        {RecordPosition::Before,
         DelayMode::Record,
         {0x10, 4, 4, 0x11, 0x12},
         {"1000", "120", "0", "7", "7"}},
        {RecordPosition::After,
         DelayMode::Constant,
         {0x10, 0x11, 4, 4, 0x12},
         {"7", "50", "50", "50", "7"}},
    };
    for (const Case& c : cases) {
        MacroEventList rows = ThreeRows();
        rows.Select(1);
        MacroRecorder recorder(rows, c.position, c.mode, 50, 9'000'000);
        Replay(recorder, kADownUp);
        std::vector<int> buttons;
        for (std::size_t i = 0; i < rows.size(); ++i)
            buttons.push_back(rows.at(i)["Button"].asInt());
        EXPECT_EQ(buttons, c.buttons);
        EXPECT_EQ(Delays(rows), c.delays);
    }
    MacroEventList first = ThreeRows();
    first.Select(0);
    MacroRecorder before(first, RecordPosition::Before, DelayMode::Record, 0, 9'000'000);
    Replay(before, kADownUp);
    EXPECT_EQ(Delays(first), (std::vector<std::string>{"120", "0", "7", "7", "7"}));
}

TEST(MacroRecording, ReplaceTakesKeyDownsOnly) {
    MacroEventList rows = ThreeRows();
    rows.SetDelay(1, 33);
    Json::Value& row = rows.Mutable(1);
    row["Action"] = "up";
    rows.Select(1);
    MacroRecorder recorder(rows, RecordPosition::Replace, DelayMode::Ignore, 0, 0);
    Replay(recorder, "E: 1.0 0001 002a 1\nE: 1.1 0001 002a 0\n");  // left Shift
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.at(1)["Type"].asInt(), 9);
    EXPECT_EQ(rows.at(1)["Button"].asInt(), 2);
    EXPECT_EQ(rows.at(1)["Action"].asString(), "up");
    EXPECT_EQ(rows.at(1)["Delay"].asString(), "33");
}

TEST(EvemuText, GarbageLinesAreIgnored) {
    const platform::EvemuRead read = platform::ParseEvemuText(
        "N: Some Keyboard\nI: 0003 1234 5678 0111\nE: x 0001 001e 1\nE: 1.0 zz 001e 1\n"
        "E: 1.0 0001 001e\nE: 1.5 0001 001e 1 # EV_KEY\nE: 2.000001 0001 10000 1\n\xff\xfe\n");
    ASSERT_EQ(read.events.size(), 1u);
    EXPECT_EQ(read.events[0].time_us, 1'500'000u);
    EXPECT_EQ(read.events[0].code, 0x1e);
    EXPECT_EQ(read.ignored_lines, 7u);
    EXPECT_FALSE(platform::ReadEvemuFile("/no/such/file").opened);
}

}  // namespace
