// The vhid backend against a bus that misbehaves: node numbers announced again, bytes that
// are no messages, floods, a bus that vanishes mid-message. Nothing may crash, hang or grow
// without bound, and afterwards a proper device on the bus is served as usual.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <future>
#include <thread>

#include "fake_vhid_peer.h"
#include "hid/hid_connection.h"
#include "hid/sample_descriptors.h"
#include "hid/vhid_backend.h"

namespace {

using testing_vhid::Announce;
using testing_vhid::FakeVhidPeer;
using testing_vhid::Remove;

std::string SocketPath() {
    static std::atomic<int> counter{0};
    return "/tmp/skelmora-peer-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) +
           ".sock";
}

std::vector<uint8_t> KeyboardAnnouncement(uint32_t node) {
    return Announce(node, 0x320F, 0x5055, 1, hid::descriptors::kKeyboardInterface1);
}

template <typename Pred>
bool Eventually(Pred pred, int timeoutMs = 8000) {
    for (int waited = 0; waited < timeoutMs; waited += 5) {
        if (pred()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return pred();
}

class VhidPeer : public ::testing::Test {
  protected:
    std::shared_ptr<hid::VhidBackend> Connect(const std::vector<std::vector<uint8_t>>& nodes) {
        auto pending = std::async(std::launch::async, [this] {
            std::string error;
            return hid::VhidBackend::Connect(peer_.Path(), error, 5000);
        });
        EXPECT_TRUE(peer_.Accept());
        peer_.Greet(nodes);
        auto bus = pending.get();
        EXPECT_TRUE(bus);
        return bus;
    }

    // Opens a node, answering the OPEN as the bus would with `handle`.
    std::unique_ptr<hid::IHidHandle> Open(hid::VhidBackend& bus, const std::string& nodeId,
                                          uint32_t handle) {
        auto pending = std::async(std::launch::async, [&] {
            std::string error;
            return bus.OpenNode(nodeId, true, true, error);
        });
        auto open = peer_.Receive();
        EXPECT_TRUE(open && open->type == vhid::kOpen);
        if (!open) return nullptr;
        vhid::Reader in(open->payload);
        const uint32_t request = in.U32();
        peer_.Send(vhid::Writer(vhid::kOpened).U32(request).U32(handle).Str("").Finish());
        return pending.get();
    }

    static std::vector<std::string> Paths(const std::shared_ptr<hid::VhidBackend>& bus) {
        CHidConnection connection(bus);
        EXPECT_TRUE(connection.Enumerate());
        std::vector<std::string> paths;
        while (auto path = connection.NextPath()) paths.push_back(*path);
        return paths;
    }

    FakeVhidPeer peer_{SocketPath()};
};

TEST_F(VhidPeer, NodeRemovedAndAnnouncedAgainIsAnotherDevice) {
    auto bus = Connect({KeyboardAnnouncement(5)});
    ASSERT_TRUE(bus);
    const auto before = bus->NodeIdentity("vhid/5");
    ASSERT_TRUE(before.has_value());
    auto handle = Open(*bus, "vhid/5", 9);
    ASSERT_TRUE(handle);

    // Unplugged and plugged again at once: the same number, the same descriptor.
    auto replug = Remove(5);
    const auto again = KeyboardAnnouncement(5);
    replug.insert(replug.end(), again.begin(), again.end());
    ASSERT_TRUE(peer_.Send(replug));

    EXPECT_TRUE(Eventually([&] {
        const auto now = bus->NodeIdentity("vhid/5");
        return now.has_value() && *now != *before;
    }));
    uint8_t report[64];
    size_t got = 0;
    EXPECT_EQ(handle->Read(report, got, 1000, -1), hid::IoStatus::Disconnected);
}

TEST_F(VhidPeer, AnnouncedAgainWithoutRemoveIsAnotherDeviceToo) {
    auto bus = Connect({KeyboardAnnouncement(5)});
    ASSERT_TRUE(bus);
    const auto before = bus->NodeIdentity("vhid/5");
    const auto generation = bus->NodeListGeneration();
    ASSERT_TRUE(peer_.Send(KeyboardAnnouncement(5)));
    EXPECT_TRUE(Eventually([&] { return bus->NodeListGeneration() != generation; }));
    EXPECT_NE(bus->NodeIdentity("vhid/5"), before);
}

TEST_F(VhidPeer, InputFloodStaysWithinTheQueue) {
    auto bus = Connect({KeyboardAnnouncement(5)});
    ASSERT_TRUE(bus);
    auto handle = Open(*bus, "vhid/5", 9);
    ASSERT_TRUE(handle);
    const uint8_t report[64] = {4, 0, 0, 0x12};
    std::vector<uint8_t> flood;
    for (int i = 0; i < 5000; ++i) {
        const auto input = vhid::Writer(vhid::kInput).U32(9).Rest(report).Finish();
        flood.insert(flood.end(), input.begin(), input.end());
    }
    ASSERT_TRUE(peer_.Send(flood));
    ASSERT_TRUE(peer_.Send(Remove(77)));  // a marker: once it is handled, so is the flood
    const auto generation = bus->NodeListGeneration();
    ASSERT_TRUE(peer_.Send(KeyboardAnnouncement(77)));
    ASSERT_TRUE(Eventually([&] { return bus->NodeListGeneration() != generation; }));

    size_t queued = 0;
    uint8_t buffer[64];
    size_t got = 0;
    while (handle->Read(buffer, got, 0, -1) == hid::IoStatus::Ok) ++queued;
    EXPECT_EQ(queued, hid::ReportQueue::kMaxQueued);
}

struct HostileCase {
    const char* name;
    std::function<std::vector<uint8_t>()> bytes;
    bool dropsTheConnection;   // the stream cannot be trusted after it
    bool peerHangsUp = false;  // the peer closes right after the bytes
    uint64_t refused = 0;      // announcements over the node limit
};

std::vector<uint8_t> Repeat(int times, const std::function<std::vector<uint8_t>(int)>& one) {
    std::vector<uint8_t> all;
    for (int i = 0; i < times; ++i) {
        const auto message = one(i);
        all.insert(all.end(), message.begin(), message.end());
    }
    return all;
}

std::vector<uint8_t> ThousandCollections() {
    std::vector<uint8_t> descriptor = {0x05, 0x01};
    for (int i = 0; i < 1000; ++i)
        descriptor.insert(descriptor.end(), {0x09, 0x01, 0xA1, 0x01, 0xC0});
    return Announce(1, 0x320F, 0x5055, 1, descriptor);
}

const HostileCase kHostileCases[] = {
    {"ZeroLength",
     [] {
         return std::vector<uint8_t>{0, 0, 0, 0, vhid::kAnnounce};
     },
     true},
    {"LengthAboveLimit",
     [] {
         return std::vector<uint8_t>{0x01, 0x00, 0x10, 0x00, 0x30};
     },
     true},
    {"CutMessageThenGone",
     [] {
         auto message = KeyboardAnnouncement(1);
         message.resize(12);
         return message;
     },
     true, true},
    {"HugeGarbageDescriptor",
     [] { return Announce(1, 0x320F, 0x5055, 1, std::vector<uint8_t>(65535, 0xA5)); }, false},
    {"ThousandCollections", ThousandCollections, false},
    {"TruncatedAnnouncement", [] { return vhid::Writer(vhid::kAnnounce).U16(3).Finish(); }, false},
    {"InputForUnknownHandles",
     [] {
         return Repeat(1000, [](int i) {
             const uint8_t report[4] = {4, 1, 2, 3};
             return vhid::Writer(vhid::kInput).U32(1000 + i).Rest(report).Finish();
         });
     },
     false},
    {"RemoveOfUnknownNodes", [] { return Repeat(1000, [](int i) { return Remove(5000 + i); }); },
     false},
    {"UnknownMessageTypes",
     [] { return Repeat(100, [](int i) { return vhid::Writer(0x80 + i).U32(i).Finish(); }); },
     false},
    {"AnnouncementFlood",
     [] {
         auto all = Repeat(1000, [](int i) { return KeyboardAnnouncement(1000 + i); });
         const auto removes = Repeat(1000, [](int i) { return Remove(1000 + i); });
         all.insert(all.end(), removes.begin(), removes.end());
         return all;
     },
     false, false, 1000 - hid::VhidBackend::kMaxNodes},
};

class HostileBus : public VhidPeer, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileBus, SurvivesAndServesTheNextDevice) {
    const HostileCase& c = GetParam();
    auto bus = Connect({});
    ASSERT_TRUE(bus);
    ASSERT_TRUE(peer_.Send(c.bytes()));
    if (c.peerHangsUp) peer_.DropClient();
    if (c.dropsTheConnection) {
        EXPECT_TRUE(Eventually([&] { return !bus->Connected(); }));
        std::vector<hid::HidNodeInfo> nodes;
        std::string error;
        EXPECT_TRUE(bus->ListNodes(nodes, error));  // away: no devices, and no error
        EXPECT_TRUE(nodes.empty());
        EXPECT_TRUE(error.empty()) << error;
        ASSERT_TRUE(peer_.Accept());  // the backend comes back on its own
        peer_.Greet({KeyboardAnnouncement(77)});
    } else {
        ASSERT_TRUE(peer_.Send(KeyboardAnnouncement(77)));
    }
    ASSERT_TRUE(Eventually([&] { return bus->NodeExists("vhid/77"); }));
    EXPECT_TRUE(bus->Connected());
    EXPECT_EQ(bus->RefusedNodes(), c.refused);

    // Only the proper device gives paths: garbage descriptors are refused, not half used.
    const auto paths = Paths(bus);
    std::vector<hid::HidNodeInfo> nodes;
    std::string error;
    ASSERT_TRUE(bus->ListNodes(nodes, error));
    EXPECT_LE(nodes.size(), hid::VhidBackend::kMaxNodes);
    ASSERT_EQ(paths.size(), 4u);
    for (const auto& path : paths) EXPECT_EQ(path.rfind("vhid/77#", 0), 0u) << path;
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileBus, ::testing::ValuesIn(kHostileCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
