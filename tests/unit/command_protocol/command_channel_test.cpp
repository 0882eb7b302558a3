#include "hid/command_channel.h"

#include <gtest/gtest.h>

#include <future>
#include <numeric>
#include <thread>

#include "emulator/device_catalog.h"
#include "emulator/emulated_bus.h"

using namespace hid;
using emu::FaultKind;

namespace {

std::string PathOf(emu::EmulatedBus& bus, uint16_t page) {
    CHidConnection probe(bus.shared_from_this());
    EXPECT_TRUE(probe.Enumerate());
    while (auto path = probe.NextPath()) {
        if (probe.Open(*path, true, false, true, false) && probe.UsagePage() == page) return *path;
    }
    return {};
}

// A channel opened on an emulated device's command collection, as discovery attaches it:
// mode 1 on connection A, mode 2 on connection B, or never given a mode.
class ChannelTest : public ::testing::Test {
  protected:
    enum class Mode { Wired, Wireless, NeverSet };

    void Attach(const std::string& kind, Mode mode, std::chrono::microseconds latency = {}) {
        bus_ = emu::EmulatedBus::Create(latency);
        std::string error;
        ASSERT_TRUE(bus_->Plug(kind, error)) << error;
        const std::string path = PathOf(*bus_, kind == "headset" ? 0x000C : 0xFF1C);
        ASSERT_FALSE(path.empty());
        channel_ = std::make_unique<CCommandChannel>(bus_);
        std::lock_guard lock(channel_->ExchangeLock());
        CHidConnection& connection =
            mode == Mode::Wireless ? channel_->ReceiverConnection() : channel_->WiredConnection();
        ASSERT_TRUE(connection.Open(path, true, true, true, false)) << connection.LastError();
        channel_->SetOpened(true);
        if (mode != Mode::NeverSet) channel_->SetMode(mode == Mode::Wireless ? 2 : 1);
        firmware_ = &bus_->Device(kind)->Firmware();
        firmware_->ClearRequestLog();
    }

    // (offset, length) of every request of a command the device received.
    std::vector<std::pair<int, int>> Requests(uint8_t command) const {
        std::vector<std::pair<int, int>> out;
        for (const Report& r : firmware_->RequestLog()) {
            if (r[kByteCommand] == command) {
                out.emplace_back(r[kByteOffsetLow] | (r[kByteOffsetHigh] << 8), r[kByteLength]);
            }
        }
        return out;
    }

    static std::vector<uint8_t> Pattern(size_t n) {
        std::vector<uint8_t> bytes(n);
        std::iota(bytes.begin(), bytes.end(), uint8_t{1});
        return bytes;
    }

    std::shared_ptr<emu::EmulatedBus> bus_;
    std::unique_ptr<CCommandChannel> channel_;
    emu::CommandFirmware* firmware_ = nullptr;
};

struct ShapeCase {
    const char* name;
    const char* kind;
    int mode;  // ChannelTest::Mode
    uint8_t command;
    std::vector<std::pair<int, int>> expected;
};

std::vector<std::pair<int, int>> Chunked(size_t total, int step, int base = 0) {
    std::vector<std::pair<int, int>> out;
    for (size_t p = 0; p < total; p += step) {
        out.emplace_back(base + static_cast<int>(p),
                         static_cast<int>(std::min<size_t>(step, total - p)));
    }
    return out;
}

class TransferShape : public ChannelTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(TransferShape, ReportsAndOffsets) {
    const ShapeCase& c = GetParam();
    Attach(c.kind, static_cast<Mode>(c.mode));
    std::vector<uint8_t> buffer(512);
    const auto data = Pattern(512);
    int result = 0;
    switch (c.command) {
        case kCmdWriteKeyTable:
            result = channel_->WriteKeyTable(data, 0);
            break;
        case kCmdReadKeyTable:
            result = channel_->ReadKeyTable(buffer);
            break;
        case kCmdReadDeviceInfo: {
            uint8_t info[34];
            result = channel_->ReadDeviceInfo(info);
            break;
        }
        case kCmdWriteShootData:
            result = channel_->WriteShootData({data.data(), 130});
            break;
        case kCmdReadSecondTable:
            result = channel_->ReadSecondTable(buffer);
            break;
        case kCmdWriteParameters:
            result = channel_->WriteParameters({data.data(), 60}, 100);
            break;
    }
    EXPECT_EQ(result, kResultOk);
    EXPECT_EQ(Requests(c.command), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, TransferShape,
    ::testing::Values(
        ShapeCase{"KeyTableWired", "keyboard", 0, kCmdWriteKeyTable, Chunked(512, 56)},
        ShapeCase{"KeyTableWireless", "keyboard", 1, kCmdWriteKeyTable, Chunked(512, 24)},
        ShapeCase{"ReadKeyTableWired", "keyboard", 0, kCmdReadKeyTable, Chunked(512, 56)},
        ShapeCase{"DeviceInfoWired", "keyboard", 0, kCmdReadDeviceInfo, {{0, 34}}},
        ShapeCase{"DeviceInfoWireless", "keyboard", 1, kCmdReadDeviceInfo, {{0, 24}, {24, 10}}},
        ShapeCase{"HeadsetNeverSetUses24", "headset", 2, kCmdWriteKeyTable, Chunked(512, 24)},
        ShapeCase{"ShootAlways56", "keyboard", 1, kCmdWriteShootData, Chunked(130, 56)},
        ShapeCase{"SecondTable170", "keyboard", 0, kCmdReadSecondTable, Chunked(170, 56)},
        ShapeCase{"ParametersAtBase", "keyboard", 0, kCmdWriteParameters, Chunked(60, 56, 100)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChannelTest, WrittenDataReadsBack) {
    Attach("keyboard", Mode::Wireless);
    const auto data = Pattern(77);
    // The keyboard's parameter area is 256 bytes: 77 bytes at 150 end inside it.
    ASSERT_EQ(channel_->WriteParameters(data, 150), kResultOk);
    std::vector<uint8_t> back(77);
    ASSERT_EQ(channel_->ReadParameters(back, 150), kResultOk);
    EXPECT_EQ(back, data);
    uint8_t info[34];
    ASSERT_EQ(channel_->ReadDeviceInfo(info), kResultOk);
    EXPECT_EQ(info[5], emu::kKeyboardKeyPositions);
}

TEST_F(ChannelTest, TableLengthAboveMaximumIsRefused) {
    Attach("keyboard", Mode::Wired);
    EXPECT_FALSE(channel_->SetTableLength(513));
    EXPECT_EQ(channel_->TableLength(), 512);
    EXPECT_TRUE(channel_->SetTableLength(510));
    std::vector<uint8_t> second(170);
    EXPECT_EQ(channel_->ReadSecondTable(second), kResultOk);
}

TEST_F(ChannelTest, KeyTableIndexOneSendsNothing) {
    Attach("keyboard", Mode::Wired);
    EXPECT_EQ(channel_->WriteKeyTable(Pattern(512), 1), kResultBadTableIndex);
    EXPECT_TRUE(firmware_->RequestLog().empty());
}

TEST_F(ChannelTest, StatusFEOnThirdChunkStopsTheTransfer) {
    Attach("keyboard", Mode::Wired);
    firmware_->AddFault({kCmdWriteKeyTable, 2, FaultKind::StatusFE, 1});
    const auto data = Pattern(512);
    EXPECT_EQ(channel_->WriteKeyTable(data, 0), kResultStatusFE);
    EXPECT_EQ(Requests(kCmdWriteKeyTable),
              (std::vector<std::pair<int, int>>{{0, 56}, {56, 56}, {112, 56}}));
    const auto table = firmware_->Area(kCmdWriteKeyTable);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 112, table.begin()));
}

struct FaultCase {
    const char* name;
    int mode;
    FaultKind fault;
    int expected;
};

class FaultResult : public ChannelTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultResult, StatusReadCode) {
    const FaultCase& c = GetParam();
    Attach("keyboard", static_cast<Mode>(c.mode));
    firmware_->SetArea(kCmdReadStatus, 0, std::vector<uint8_t>{9, 8, 7, 6, 5, 4});
    firmware_->AddFault({kCmdReadStatus, -1, c.fault, 1});
    uint8_t status[6] = {};
    EXPECT_EQ(channel_->ReadStatus(status, 0), c.expected);
    if (c.expected == kResultOk) {
        EXPECT_EQ(status[4], 5);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultResult,
    ::testing::Values(FaultCase{"StatusFF", 0, FaultKind::StatusFF, kResultStatusFF},
                      FaultCase{"StatusFE", 0, FaultKind::StatusFE, kResultStatusFE},
                      FaultCase{"NoReplyTimesOut", 0, FaultKind::NoReply, kResultReadFailed},
                      FaultCase{"OtherCommandReadPastOnce", 0, FaultKind::OtherCommand, kResultOk},
                      FaultCase{"TwoOtherCommandsFail", 0, FaultKind::OnlyOtherCommand,
                                kResultReadFailed},
                      FaultCase{"Unsolicited0xAAWireless", 1, FaultKind::Unsolicited0xAA,
                                kResultWirelessUnsolicited}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChannelTest, ClosedChannelDoesNothing) {
    Attach("keyboard", Mode::Wired);
    channel_->SetOpened(false);
    EXPECT_EQ(channel_->BeginSettings(), kResultReadFailed);
    EXPECT_EQ(channel_->StreamLightFrame(Pattern(30)), kResultReadFailed);
    EXPECT_TRUE(firmware_->RequestLog().empty());
}

TEST_F(ChannelTest, WirelessLinkQuery) {
    Attach("keyboard", Mode::Wired);
    EXPECT_TRUE(channel_->QueryWirelessLink());
    EXPECT_TRUE(firmware_->RequestLog().empty());

    Attach("keyboard", Mode::Wireless);
    EXPECT_TRUE(channel_->QueryWirelessLink());
    firmware_->SetWirelessLinked(false);
    EXPECT_FALSE(channel_->QueryWirelessLink());
}

// A receiver that says nothing is told apart from one that says "not linked": a caller that
// asks again stops at the first, and waits for the second.
TEST_F(ChannelTest, WirelessLinkStateTellsNoReplyFromNotLinked) {
    using Link = CCommandChannel::WirelessLink;
    Attach("keyboard", Mode::Wired);
    EXPECT_EQ(channel_->QueryWirelessLinkState(), Link::Linked);

    Attach("keyboard", Mode::Wireless);
    EXPECT_EQ(channel_->QueryWirelessLinkState(), Link::Linked);
    firmware_->SetWirelessLinked(false);
    EXPECT_EQ(channel_->QueryWirelessLinkState(), Link::NotLinked);
    firmware_->AddFault({kCmdQueryWirelessLink, -1, FaultKind::StatusFE, 1});
    EXPECT_EQ(channel_->QueryWirelessLinkState(), Link::NotLinked);  // a refusal is an answer
    firmware_->SetWirelessLinked(true);
    firmware_->AddFault({kCmdQueryWirelessLink, -1, FaultKind::NoReply, 1});
    EXPECT_EQ(channel_->QueryWirelessLinkState(), Link::NoReply);
    channel_->SetOpened(false);
    EXPECT_EQ(channel_->QueryWirelessLinkState(), Link::NoReply);
}

TEST_F(ChannelTest, LightFrameGoesOutInChunks) {
    Attach("keyboard", Mode::Wired);
    EXPECT_EQ(channel_->StreamLightFrame(Pattern(510)), kResultOk);
    EXPECT_EQ(Requests(kCmdStreamLightFrame), Chunked(510, 56));
    firmware_->AddFault({kCmdStreamLightFrame, 1, FaultKind::StatusFF, 1});
    EXPECT_EQ(channel_->StreamLightFrame(Pattern(510)), kResultStatusFF);
}

// A device that doubles its replies (here a reply for another command comes first) must not
// put the light path one reply behind for good: a 0xFF status belongs to the frame it
// answered, not to a later one.
TEST_F(ChannelTest, DoubledRepliesDoNotPutLightFramesBehind) {
    Attach("keyboard", Mode::Wired);
    firmware_->AddFault({kCmdStreamLightFrame, -1, FaultKind::OtherCommand, 3});
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(channel_->StreamLightFrame(Pattern(120)), kResultOk) << frame;
    }
    EXPECT_EQ(channel_->SkippedLightReplies(), 3u);
    // Requests counted from now: the second chunk of the next frame fails.
    firmware_->AddFault({kCmdStreamLightFrame, 1, FaultKind::StatusFF, 1});
    EXPECT_EQ(channel_->StreamLightFrame(Pattern(120)), kResultStatusFF);
    EXPECT_EQ(channel_->StreamLightFrame(Pattern(120)), kResultOk);
    EXPECT_EQ(channel_->SkippedLightReplies(), 3u);
    EXPECT_EQ(Requests(kCmdStreamLightFrame).size(), 3u * 3 + 2 + 3);
}

// A reply that comes after its chunk gave up is read past before the next chunk's write.
TEST_F(ChannelTest, LateLightReplyIsDrainedBeforeTheNextChunk) {
    Attach("keyboard", Mode::Wired);
    const uint8_t stale[64] = {kCommandReportId, 0, 0, kCmdStreamLightFrame, 0, 0, 0,
                               kStatusFailed};
    // Every handle on the node gets every report, the channel's (opened first) first: once a
    // second connection has read the stale reply, the channel's queue holds it too.
    CHidConnection witness(bus_);
    ASSERT_TRUE(witness.Open(PathOf(*bus_, 0xFF1C), true, false, true, false));
    ASSERT_TRUE(bus_->InjectInput("keyboard", 0, stale));
    uint8_t seen[64];
    ASSERT_TRUE(witness.Read(seen, sizeof seen, nullptr, 1000));
    EXPECT_EQ(channel_->StreamLightFrame(Pattern(30)), kResultOk);
    EXPECT_EQ(channel_->SkippedLightReplies(), 1u);
}

TEST_F(ChannelTest, LightFrameWhileAnExchangeRunsIsDroppedAndSucceeds) {
    Attach("keyboard", Mode::Wired, std::chrono::milliseconds(200));
    auto exchange = std::async(std::launch::async, [&] { return channel_->BeginSettings(); });
    while (!channel_->IsBusy()) std::this_thread::yield();
    EXPECT_EQ(channel_->StreamLightFrame(Pattern(120)), kResultOk);
    EXPECT_EQ(exchange.get(), kResultOk);
    EXPECT_EQ(channel_->DroppedLightChunks(), 3u);
    EXPECT_EQ(firmware_->LightFrameChunks(), 0u);
}

TEST_F(ChannelTest, LightFrameOnWirelessIsDroppedSilently) {
    Attach("keyboard", Mode::Wireless);
    EXPECT_EQ(channel_->StreamLightFrame(Pattern(120)), kResultOk);
    EXPECT_TRUE(Requests(kCmdStreamLightFrame).empty());
}

TEST_F(ChannelTest, CloseFromAnotherThreadEndsAWaitingExchange) {
    Attach("keyboard", Mode::Wireless);  // 5 s time-out
    firmware_->AddFault({kCmdReadStatus, -1, FaultKind::NoReply, 1});
    auto exchange = std::async(std::launch::async, [&] {
        uint8_t status[6];
        return channel_->ReadStatus(status, 0);
    });
    while (!channel_->IsBusy()) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    channel_->ReceiverConnection().Close();
    EXPECT_EQ(exchange.wait_for(std::chrono::seconds(3)), std::future_status::ready);
    // The reply wait ends (0); on a loaded machine the close may even beat the write (-1).
    EXPECT_NE(exchange.get(), kResultOk);
}

TEST_F(ChannelTest, TransferBeyondSixteenBitOffsetsIsRefused) {
    Attach("keyboard", Mode::Wired);
    std::vector<uint8_t> big(100);
    EXPECT_NE(channel_->WriteParameters(big, 0xFFD0), kResultOk);
    EXPECT_TRUE(firmware_->RequestLog().empty());
}

}  // namespace
