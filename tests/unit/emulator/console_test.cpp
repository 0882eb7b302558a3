// The emulator's console, fed line by line in process: answers, memory dumps and writes, the
// counters, event reports on the consumer collection and the "rx" log.
#include <gtest/gtest.h>

#include <mutex>

#include "emulator/emu_console.h"
#include "hid/command_report.h"

namespace {

using Lines = std::vector<std::string>;

class Console : public ::testing::Test {
  protected:
    void SetUp() override {
        bus_ = emu::EmulatedBus::Create();
        console_ = std::make_unique<emu::EmuConsole>(bus_, [this](const std::string& line) {
            std::lock_guard lock(mutex_);
            lines_.push_back(line);
        });
    }

    // The lines printed for one command.
    Lines Run(const std::string& line) {
        Take();
        console_->Handle(line);
        return Take();
    }

    Lines Take() {
        std::lock_guard lock(mutex_);
        Lines out;
        out.swap(lines_);
        return out;
    }

    std::shared_ptr<emu::EmulatedBus> bus_;
    std::unique_ptr<emu::EmuConsole> console_;
    std::mutex mutex_;
    Lines lines_;
};

struct Exchange {
    const char* line;
    Lines answer;
};

class ConsoleScript : public Console {
  protected:
    // Runs each line and compares what it printed.
    void Script(std::initializer_list<Exchange> script) {
        for (const Exchange& e : script) EXPECT_EQ(Run(e.line), e.answer) << e.line;
    }
};

TEST_F(ConsoleScript, AnswersAndErrors) {
    Script({
        {"dump keyboard info", {"error: no keyboard has been plugged"}},
        {"plug keyboard", {"ok"}},
        {"plug keyboard", {"error: keyboard is already plugged"}},
        {"plug toaster", {"error: unknown device kind 'toaster'"}},
        {"", {}},
        {"dump keyboard", {"error: usage: dump KIND AREA"}},
        {"dump keyboard attic", {"error: keyboard has no area 'attic'"}},
        {"dump keyboard status", {"status 640100000100"}},
        {"dump keyboard mask", {"mask 3f3f3f3f3f3f3f3f3f3f3f3f3f3f3f3f3f3f3f3f3f"}},
        {"dump keyboard frame", {"frame"}},
        {"set keyboard status 4 0A0b", {"ok"}},
        {"dump keyboard status", {"status 640100000a0b"}},
        {"set keyboard status 5 0102", {"error: status holds 6 bytes"}},
        {"set keyboard status -1 01",
         {"error: set KIND AREA OFFSET HEX (OFFSET decimal, HEX pairs of digits)"}},
        {"set keyboard status 0 123",
         {"error: set KIND AREA OFFSET HEX (OFFSET decimal, HEX pairs of digits)"}},
        {"set keyboard status 0 zz",
         {"error: set KIND AREA OFFSET HEX (OFFSET decimal, HEX pairs of digits)"}},
        {"stats keyboard", {"reports 0 bad 0 unframed 0"}},
        {"frames keyboard", {"frames 0 chunks 0"}},
        {"frames mouse", {"error: no mouse has been plugged"}},
        {"flag keyboard read-active on", {"ok"}},
        {"flag keyboard read-passive on", {"error: flag KIND read-active on|off"}},
        {"log keyboard maybe", {"error: log KIND on|off"}},
        {"event keyboard 12345", {"error: event KIND VALUE (VALUE: up to 4 hexadecimal digits)"}},
        {"event keyboard 0x10", {"error: event KIND VALUE (VALUE: up to 4 hexadecimal digits)"}},
        {"fault keyboard 09 2 status-fe", {"ok"}},
        {"fault keyboard 09 two status-fe", {"error: fault KIND COMMAND CHUNK FAULT [TIMES]"}},
        {"fault keyboard 09 2 status-fe 0", {"error: fault KIND COMMAND CHUNK FAULT [TIMES]"}},
        {"clear-faults keyboard", {"ok"}},
        {"link keyboard off", {"ok"}},
        {"list",
         {"keyboard plugged", "headset unplugged", "mouse unplugged", "mouse-receiver unplugged",
          "mousepad unplugged", "ok"}},
        {"frobnicate",
         {"error: unknown command 'frobnicate' (plug, unplug, list, fault, "
          "clear-faults, link, dump, set, flag, event, log, stats, frames, quit)"}},
    });
    EXPECT_FALSE(console_->Handle("quit"));
    EXPECT_EQ(Take(), Lines{"ok"});
}

TEST_F(ConsoleScript, SettingInfoByte6ShrinksTheMacroMemory) {
    Script({{"plug keyboard", {"ok"}}, {"set keyboard info 6 02", {"ok"}}});
    const Lines dump = Run("dump keyboard macro");
    ASSERT_EQ(dump.size(), 1u);
    EXPECT_EQ(dump[0].size(), std::string("macro ").size() + 2 * 256);
    EXPECT_EQ(dump[0].substr(0, 38), "macro aa551000000000000000000000000000");
    Script({{"set keyboard macro 255 01", {"ok"}},
            {"set keyboard macro 256 01", {"error: macro holds 256 bytes"}}});
}

// Writes a request to the keyboard's command collection as a host would.
class ConsoleWithHost : public Console {
  protected:
    void SetUp() override {
        Console::SetUp();
        std::string error;
        ASSERT_TRUE(bus_->Plug("keyboard", error)) << error;
        std::vector<hid::HidNodeInfo> nodes;
        ASSERT_TRUE(bus_->ListNodes(nodes, error));
        ASSERT_EQ(nodes.size(), 1u);
        handle_ = bus_->OpenNodeWithSink(
            nodes[0].nodeId,
            [this](std::span<const uint8_t> report) {
                std::lock_guard lock(mutex_);
                inputs_.emplace_back(report.begin(), report.end());
            },
            error);
        ASSERT_TRUE(handle_) << error;
    }

    void Send(uint8_t command, uint16_t offset, std::vector<uint8_t> data) {
        hid::Report request;
        hid::BeginRequest(request, command);
        hid::FillChunk(request, static_cast<uint8_t>(data.size()), offset, data);
        ASSERT_EQ(handle_->Write(request, 1000, -1), hid::IoStatus::Ok);
    }

    std::vector<std::vector<uint8_t>> Inputs() {
        std::lock_guard lock(mutex_);
        return inputs_;
    }

    std::unique_ptr<hid::IHidHandle> handle_;
    std::mutex mutex_;
    std::vector<std::vector<uint8_t>> inputs_;
};

TEST_F(ConsoleWithHost, EventSendsTheValueOnTheConsumerCollection) {
    for (const char* line : {"event keyboard 1002", "event keyboard 1123", "event keyboard 401"}) {
        EXPECT_EQ(Run(line), Lines{"ok"}) << line;
    }
    using Bytes = std::vector<uint8_t>;
    EXPECT_EQ(Inputs(),
              (std::vector<Bytes>{{0x03, 0x02, 0x10}, {0x03, 0x23, 0x11}, {0x03, 0x01, 0x04}}));
    Run("unplug keyboard");
    EXPECT_EQ(Run("event keyboard 1002"), Lines{"error: keyboard is not plugged"});
}

TEST_F(ConsoleWithHost, LogPrintsEveryOutputReportWhileOn) {
    EXPECT_EQ(Run("log keyboard on"), Lines{"ok"});
    Send(hid::kCmdBeginSettings, 0, {});
    const Lines logged = Take();
    ASSERT_EQ(logged.size(), 1u);
    // Report id 4, checksum 0x0001, command 1, nothing else.
    EXPECT_EQ(logged[0], "rx keyboard 04010001" + std::string(120, '0'));
    EXPECT_EQ(Run("log keyboard off"), Lines{"ok"});
    Send(hid::kCmdEndSettings, 0, {});
    EXPECT_TRUE(Take().empty());
}

TEST_F(ConsoleWithHost, StatsCountBadAndUnframedRequests) {
    Send(hid::kCmdWriteParameters, 0, {0x00, 0x03});  // outside a sequence
    Send(hid::kCmdBeginSettings, 0, {});
    Send(hid::kCmdWriteParameters, 0, {0x00, 0x03});
    Send(hid::kCmdWriteParameters, 255, {0x00, 0x03});  // past the 256-byte area
    Send(hid::kCmdEndSettings, 0, {});
    Send(hid::kCmdWriteIndexedBlock, 0, std::vector<uint8_t>(21, 0x01));
    EXPECT_EQ(Run("stats keyboard"), Lines{"reports 6 bad 1 unframed 1"});
}

TEST_F(ConsoleWithHost, FramesCountsTheFramesBegunAndTheirChunks) {
    // Two frames of 66 bytes (56 + 10), then a chunk that only rewrites the middle of one.
    for (int frame = 0; frame < 2; ++frame) {
        Send(hid::kCmdStreamLightFrame, 0, std::vector<uint8_t>(56, 0x10));
        Send(hid::kCmdStreamLightFrame, 56, std::vector<uint8_t>(10, 0x20));
    }
    Send(hid::kCmdStreamLightFrame, 3, {0x01, 0x02, 0x03});
    EXPECT_EQ(Run("frames keyboard"), Lines{"frames 2 chunks 5"});
    EXPECT_EQ(Run("stats keyboard"), Lines{"reports 5 bad 0 unframed 0"});
}

TEST_F(ConsoleWithHost, DumpShowsTheActiveTableAndReadActiveSwitchesReads) {
    Send(hid::kCmdWriteKeyTable, 0, {0x30, 0xE9, 0x00});
    const Lines active = Run("dump keyboard keytable");
    const Lines factory = Run("dump keyboard factory");
    ASSERT_EQ(active.size(), 1u);
    ASSERT_EQ(factory.size(), 1u);
    EXPECT_EQ(active[0].substr(0, 21), "keytable 30e900200035");
    EXPECT_EQ(factory[0].substr(0, 20), "factory 200029200035");
    EXPECT_EQ(active[0].size(), std::string("keytable ").size() + 1024);
}

}  // namespace
