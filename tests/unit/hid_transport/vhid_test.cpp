#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "emulator/emulated_bus.h"
#include "emulator/emulated_headset.h"
#include "emulator/vhid_server.h"
#include "hid/command_channel.h"
#include "hid/vhid_backend.h"
#include "hid/vhid_protocol.h"

namespace {

TEST(VhidFraming, SplitsMessagesAcrossArbitraryChunks) {
    auto a = vhid::Writer(vhid::kAnnounce)
                 .U32(7)
                 .U16(0x320F)
                 .Str("kbd")
                 .Blob(std::vector<uint8_t>{1, 2})
                 .Finish();
    auto b = vhid::Writer(vhid::kRemove).U32(7).Finish();
    std::vector<uint8_t> stream(a);
    stream.insert(stream.end(), b.begin(), b.end());
    vhid::FrameBuffer frames;
    std::vector<vhid::Message> got;
    for (uint8_t byte : stream) {
        frames.Append({&byte, 1});
        while (auto m = frames.Next()) got.push_back(*m);
    }
    ASSERT_EQ(got.size(), 2u);
    vhid::Reader in(got[0].payload);
    EXPECT_EQ(in.U32(), 7u);
    EXPECT_EQ(in.U16(), 0x320F);
    EXPECT_EQ(in.Str(), "kbd");
    EXPECT_EQ(in.Blob(), (std::vector<uint8_t>{1, 2}));
    EXPECT_FALSE(in.Failed());
    EXPECT_EQ(got[1].type, vhid::kRemove);
}

TEST(VhidFraming, BadLengthsAndShortPayloadsAreRejected) {
    for (uint32_t length : {0u, vhid::kMaxMessage + 1}) {
        vhid::FrameBuffer frames;
        uint8_t header[5] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                             static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24),
                             1};
        frames.Append(header);
        EXPECT_FALSE(frames.Next().has_value());
        EXPECT_TRUE(frames.Invalid());
    }
    const uint8_t shortPayload[3] = {5, 0, 'a'};  // a string claiming 5 bytes
    vhid::Reader in(shortPayload);
    EXPECT_TRUE(in.Str().empty());
    EXPECT_TRUE(in.Failed());
    EXPECT_EQ(in.U32(), 0u);
}

class VhidBus : public ::testing::Test {
  protected:
    void SetUp() override {
        socket_ = "/tmp/skelmora-vhid-test-" + std::to_string(::getpid()) + ".sock";
        bus_ = emu::EmulatedBus::Create();
        server_ = std::make_unique<emu::VhidServer>(bus_, socket_);
        std::string error;
        ASSERT_TRUE(server_->Start(error)) << error;
    }
    void TearDown() override { server_->Stop(); }

    std::shared_ptr<hid::VhidBackend> Connect() {
        std::string error;
        auto client = hid::VhidBackend::Connect(socket_, error);
        EXPECT_TRUE(client) << error;
        return client;
    }

    // Opens the keyboard's command collection on the channel as discovery would; its path.
    static std::string OpenCommandChannel(const std::shared_ptr<hid::VhidBackend>& client,
                                          CCommandChannel& channel) {
        CHidConnection probe(client);
        if (!probe.Enumerate()) return {};
        std::string path;
        while (auto p = probe.NextPath()) {
            if (p->find("&col04") != std::string::npos) path = *p;
        }
        if (!channel.WiredConnection().Open(path, true, true, true, false)) return {};
        channel.SetOpened(true);
        channel.SetMode(1);
        return path;
    }

    template <typename Pred>
    static bool Eventually(Pred pred) {
        for (int i = 0; i < 200; ++i) {
            if (pred()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    std::string socket_;
    std::shared_ptr<emu::EmulatedBus> bus_;
    std::unique_ptr<emu::VhidServer> server_;
};

TEST_F(VhidBus, AnnouncesPlugsAndUnplugs) {
    std::string error;
    ASSERT_TRUE(bus_->Plug("keyboard", error));
    auto client = Connect();
    ASSERT_TRUE(client);
    std::vector<hid::HidNodeInfo> nodes;
    ASSERT_TRUE(client->ListNodes(nodes, error));
    ASSERT_EQ(nodes.size(), 1u);  // present nodes are known once Connect returns
    EXPECT_EQ(nodes[0].vendorId, 0x320F);
    EXPECT_EQ(nodes[0].interfaceNumber, 1);

    ASSERT_TRUE(bus_->Plug("headset", error));
    EXPECT_TRUE(Eventually([&] { return client->ListNodes(nodes, error) && nodes.size() == 2; }));
    ASSERT_TRUE(bus_->Unplug("keyboard", error));
    EXPECT_TRUE(Eventually([&] { return client->ListNodes(nodes, error) && nodes.size() == 1; }));
    EXPECT_EQ(nodes[0].productId, 0x1630);
}

TEST_F(VhidBus, AnnouncementsCallTheArrivalHandler) {
    auto client = Connect();
    ASSERT_TRUE(client);
    std::atomic<int> arrivals{0};
    client->SetArrivalHandler([&] { ++arrivals; });
    std::string error;
    ASSERT_TRUE(bus_->Plug("keyboard", error));
    EXPECT_TRUE(Eventually([&] { return arrivals.load() == 1; }));
    client->SetArrivalHandler(nullptr);
}

TEST_F(VhidBus, CommandsRoundTripAndUnplugFailsTheChannel) {
    std::string error;
    ASSERT_TRUE(bus_->Plug("keyboard", error));
    auto client = Connect();
    ASSERT_TRUE(client);
    CCommandChannel channel(client);
    const std::string path = OpenCommandChannel(client, channel);
    ASSERT_FALSE(path.empty());
    const std::vector<uint8_t> data(100, 0x5A);
    EXPECT_EQ(channel.WriteMacroData(data), hid::kResultOk);
    EXPECT_EQ(bus_->Device("keyboard")->Firmware().Area(hid::kCmdWriteMacroData)[99], 0x5A);

    ASSERT_TRUE(bus_->Unplug("keyboard", error));
    EXPECT_TRUE(Eventually([&] { return !client->NodeExists(hid::NodeIdOfPath(path)); }));
    EXPECT_NE(channel.BeginSettings(), hid::kResultOk);
}

// Output reports handed over together reach the device as the same reports one by one, in
// their order; an empty one fails the whole call before anything is sent.
TEST_F(VhidBus, OutputReportsHandedOverTogetherArriveInTheirOrder) {
    std::string error;
    ASSERT_TRUE(bus_->Plug("headset", error));
    auto* headset = dynamic_cast<emu::EmulatedHeadset*>(bus_->Device("headset"));
    ASSERT_NE(headset, nullptr);
    auto client = Connect();
    ASSERT_TRUE(client);
    CHidConnection probe(client);
    ASSERT_TRUE(probe.Enumerate());
    const auto path = probe.NextPath();
    ASSERT_TRUE(path);
    CHidConnection connection(client);
    ASSERT_TRUE(connection.Open(*path, true, true, true, false));

    // Red of LEDs 0..6 on the 0x22 side, then the same command on the 0x44 side, then red of
    // LEDs 7..12 on the 0x22 side, written over LED 7's first value.
    const std::array<uint8_t, 17> first{0xFF, 0x22, 0xAA, 0x00, 10, 20, 30, 40, 50, 60, 70};
    const std::array<uint8_t, 17> second{0xFF, 0x44, 0xAA, 0x00, 11, 21, 31, 41, 51, 61, 71};
    const std::array<uint8_t, 17> third{0xFF, 0x22, 0xAD, 0x00, 80, 90, 100, 110, 120, 130};
    const std::array<std::span<const uint8_t>, 3> reports{first, second, third};
    ASSERT_TRUE(connection.SetOutputReports(reports, 1000));
    EXPECT_TRUE(Eventually([&] { return headset->Counters().reports == 3; }));
    const auto leds = headset->Leds();
    EXPECT_EQ(leds[0][0].red, 10);
    EXPECT_EQ(leds[0][6].red, 70);
    EXPECT_EQ(leds[1][6].red, 71);
    EXPECT_EQ(leds[0][7].red, 80);
    EXPECT_EQ(leds[0][12].red, 130);
    EXPECT_EQ(headset->Counters().bad, 0u);

    const std::array<std::span<const uint8_t>, 3> withEmpty{first, std::span<const uint8_t>{},
                                                            third};
    EXPECT_FALSE(connection.SetOutputReports(withEmpty, 1000));
    // A report sent after it arrives after anything the failed call could have sent.
    ASSERT_TRUE(connection.SetOutputReport(third.data(), third.size(), 1000));
    EXPECT_TRUE(Eventually([&] { return headset->Counters().reports >= 4; }));
    EXPECT_EQ(headset->Counters().reports, 4u);
}

TEST_F(VhidBus, ServerGoingAwayLeavesNoDevices) {
    std::string error;
    ASSERT_TRUE(bus_->Plug("headset", error));
    auto client = Connect();
    ASSERT_TRUE(client);
    server_->Stop();
    std::vector<hid::HidNodeInfo> nodes;
    EXPECT_TRUE(Eventually([&] { return !client->Connected(); }));
    client->ListNodes(nodes, error);
    EXPECT_TRUE(nodes.empty());
}

TEST_F(VhidBus, BusRestartedOnTheSamePathIsFoundAgain) {
    std::string error;
    ASSERT_TRUE(bus_->Plug("keyboard", error));
    auto client = Connect();
    ASSERT_TRUE(client);
    server_->Stop();
    ASSERT_TRUE(Eventually([&] { return !client->Connected(); }));
    std::vector<hid::HidNodeInfo> nodes;
    EXPECT_TRUE(client->ListNodes(nodes, error));  // away is no devices, not a failed listing
    EXPECT_TRUE(error.empty()) << error;
    EXPECT_TRUE(nodes.empty());

    server_ = std::make_unique<emu::VhidServer>(bus_, socket_);
    ASSERT_TRUE(server_->Start(error)) << error;
    bool back = false;
    for (int i = 0; i < 600 && !back; ++i) {  // the first attempt comes after a second
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        back = client->ListNodes(nodes, error) && nodes.size() == 1;
    }
    ASSERT_TRUE(back);
    EXPECT_EQ(nodes[0].vendorId, 0x320F);

    // The device works on the new connection.
    CCommandChannel channel(client);
    const std::string path = OpenCommandChannel(client, channel);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(channel.BeginSettings(), hid::kResultOk);
}

TEST(VhidConnect, MissingSocketIsAClearError) {
    std::string error;
    EXPECT_EQ(hid::VhidBackend::Connect("/tmp/skelmora-no-such-bus.sock", error), nullptr);
    EXPECT_NE(error.find("skelmora-no-such-bus.sock"), std::string::npos);
}

}  // namespace
