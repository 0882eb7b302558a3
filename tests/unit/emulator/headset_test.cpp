// The emulated headset: its parameter area and status block, its LED controller (reports
// decoded into both sides' 13 colours, bad reports counted and refused) and its console lines.
#include <gtest/gtest.h>

#include <vector>

#include "emulator/emu_console.h"
#include "emulator/emulated_headset.h"
#include "hid/command_report.h"

namespace {

using Report = std::vector<uint8_t>;

class EmulatedHeadsetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        bus_ = emu::EmulatedBus::Create();
        ASSERT_TRUE(bus_->Plug("headset", error)) << error;
        headset_ = dynamic_cast<emu::EmulatedHeadset*>(bus_->Device("headset"));
        ASSERT_NE(headset_, nullptr);
        console_ = std::make_unique<emu::EmuConsole>(
            bus_, [this](const std::string& line) { lines_.push_back(line); });
    }

    std::vector<std::string> Run(const std::string& line) {
        lines_.clear();
        console_->Handle(line);
        return lines_;
    }

    // A read of length bytes at offset; the reply's status byte.
    uint8_t Read(uint16_t offset, uint8_t length) {
        hid::Report request{};
        hid::BeginRequest(request, hid::kCmdReadParameters);
        hid::FillChunk(request, length, offset, {});
        const auto replies = headset_->Firmware().HandleRequest(request);
        return replies.empty() ? 0xEE : replies.front()[hid::kByteStatus];
    }

    std::shared_ptr<emu::EmulatedBus> bus_;
    emu::EmulatedHeadset* headset_ = nullptr;
    std::unique_ptr<emu::EmuConsole> console_;
    std::vector<std::string> lines_;
};

TEST_F(EmulatedHeadsetTest, HoldsBankZeroAndItsLightBlocksAtTwentyFiveByteSteps) {
    const auto params = headset_->Firmware().Dump(emu::AreaId::Params);
    ASSERT_TRUE(params);
    ASSERT_EQ(params->size(), 256u);
    const std::vector<uint8_t> bank0(params->begin(), params->begin() + 9);
    EXPECT_EQ(bank0, (std::vector<uint8_t>{0, 0x03, 4, 2, 0, 0, 0x00, 0x80, 0xFF}));
    EXPECT_EQ((*params)[25], 1) << "bank 1's block begins at 25";
    EXPECT_EQ((*params)[21], 0xFF) << "erased bytes between the blocks";
    EXPECT_EQ(Run("dump headset status"), (std::vector<std::string>{"status 000100000200"}));
}

TEST_F(EmulatedHeadsetTest, ARecordPastTheAreaIsRefusedAndCounted) {
    EXPECT_EQ(Read(0, 1), 0);
    EXPECT_EQ(Read(9 * 25, 26), 0) << "the last bank's record fits";
    EXPECT_EQ(Read(200 * 25, 26), hid::kStatusFailed);
    EXPECT_EQ(headset_->Firmware().Counters().bad, 1u);
}

TEST_F(EmulatedHeadsetTest, LedReportsSetTheirSideAndBadOnesAreCountedAndIgnored) {
    Report red(17, 0);
    red[0] = 0xFF;
    red[1] = 0x44;
    red[2] = 0xAD;  // red of LEDs 7..12
    for (size_t i = 0; i < 6; ++i) red[4 + i] = static_cast<uint8_t>(0x10 + i);
    headset_->HandleOutput(0, red);
    auto leds = headset_->Leds();
    EXPECT_EQ(leds[1][7], (emu::LedColour{0x10, 0, 0}));
    EXPECT_EQ(leds[1][12], (emu::LedColour{0x15, 0, 0}));
    EXPECT_EQ(leds[0][7], (emu::LedColour{0, 0, 0})) << "the other side is untouched";

    struct Bad {
        size_t at;
        uint8_t value;
    };
    Report good(17, 0);
    good[0] = 0xFF;
    good[1] = 0x22;
    good[2] = 0xAB;
    for (const Bad b : {Bad{1, 0x33}, Bad{2, 0xB0}, Bad{3, 1}, Bad{4, 248}, Bad{10, 250}}) {
        Report report = good;
        report[b.at] = b.value;
        headset_->HandleOutput(0, report);
    }
    Report shortReport(good.begin(), good.begin() + 11);
    headset_->HandleOutput(0, shortReport);
    EXPECT_EQ(headset_->Leds(), leds) << "bad reports change nothing";
    EXPECT_EQ(headset_->Counters().reports, 7u);
    EXPECT_EQ(headset_->Counters().bad, 6u);
    EXPECT_EQ(Run("stats headset"),
              (std::vector<std::string>{"reports 0 bad 0 unframed 0 led-reports 7 led-bad 6"}));
}

TEST_F(EmulatedHeadsetTest, DumpsBothSidesColoursAsOneLine) {
    Report green(17, 0);
    green[0] = 0xFF;
    green[1] = 0x22;
    green[2] = 0xAB;
    green[4] = 0xF7;
    headset_->HandleOutput(0, green);
    const std::string expected = "leds 00f700" + std::string(12 * 6 + 13 * 6, '0');
    EXPECT_EQ(Run("dump headset leds"), (std::vector<std::string>{expected}));
    EXPECT_EQ(Run("dump keyboard leds").front().rfind("error:", 0), 0u);
}

}  // namespace
