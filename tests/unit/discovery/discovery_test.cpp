#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "../hid_transport/fake_vhid_peer.h"
#include "app/device_discovery.h"
#include "emulator/device_catalog.h"
#include "emulator/emulated_bus.h"
#include "hid/sample_descriptors.h"
#include "hid/vhid_backend.h"

namespace {

struct Recorder {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> found, lost;
    int firstPasses = 0;

    CDeviceDiscovery::Callbacks Callbacks() {
        return {[this](int row) { Add(found, row); }, [this](int row) { Add(lost, row); },
                [this] {
                    std::lock_guard lock(mutex);
                    ++firstPasses;
                }};
    }
    void Add(std::vector<int>& list, int row) {
        std::lock_guard lock(mutex);
        list.push_back(row);
        changed.notify_all();
    }
    bool WaitFound(size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5),
                                [&] { return found.size() >= count; });
    }
};

class DiscoveryTest : public ::testing::Test {
  protected:
    void Plug(const char* kind) {
        std::string error;
        ASSERT_TRUE(bus_->Plug(kind, error)) << error;
    }
    void Unplug(const char* kind) {
        std::string error;
        ASSERT_TRUE(bus_->Unplug(kind, error)) << error;
    }

    std::shared_ptr<emu::EmulatedBus> bus_ = emu::EmulatedBus::Create();
    Recorder events_;
    CDeviceDiscovery discovery_{bus_, events_.Callbacks()};
};

TEST_F(DiscoveryTest, NothingConnectedReportsTheFirstPassOnce) {
    EXPECT_TRUE(discovery_.RunPass());
    EXPECT_TRUE(discovery_.RunPass());
    EXPECT_TRUE(events_.found.empty());
    EXPECT_EQ(events_.firstPasses, 1);
}

TEST_F(DiscoveryTest, KeyboardInterfacesAreFoundLostAndFoundAgain) {
    Plug("keyboard");
    ASSERT_TRUE(discovery_.RunPass());
    EXPECT_EQ(events_.found, (std::vector<int>{1, 0}));  // col03 comes before col04
    EXPECT_NE(discovery_.Detected()[0].path.find("&col04"), std::string::npos);
    EXPECT_TRUE(discovery_.Detected()[0].present);

    ASSERT_TRUE(discovery_.RunPass());
    EXPECT_EQ(events_.found.size(), 2u);  // present entries are not reported again

    Unplug("keyboard");
    ASSERT_TRUE(discovery_.RunPass());
    EXPECT_EQ(events_.lost, (std::vector<int>{0, 1}));
    EXPECT_TRUE(discovery_.Detected()[0].path.empty());

    Plug("keyboard");
    ASSERT_TRUE(discovery_.RunPass());
    EXPECT_EQ(events_.found.size(), 4u);
}

TEST_F(DiscoveryTest, HeadsetIsItsOwnRow) {
    Plug("headset");
    ASSERT_TRUE(discovery_.RunPass());
    EXPECT_EQ(events_.found, std::vector<int>{10});
}

TEST_F(DiscoveryTest, ThreadReportsArrivalsAndStops) {
    discovery_.Start();
    Plug("keyboard");
    discovery_.Wake();
    EXPECT_TRUE(events_.WaitFound(2));
    EXPECT_TRUE(discovery_.Stop());
}

// A backend whose nodes the test writes, for cases the emulated devices cannot show.
class ScriptedBackend final : public hid::IHidBackend {
  public:
    std::vector<hid::HidNodeInfo> nodes;
    int refuseOpens = 0;
    uint64_t generation = 0;  // 0: the backend cannot tell
    int listings = 0;

    std::string Name() const override { return "scripted"; }
    bool ListNodes(std::vector<hid::HidNodeInfo>& out, std::string&) override {
        ++listings;
        out = nodes;
        return true;
    }
    uint64_t NodeListGeneration() const override { return generation; }
    std::unique_ptr<hid::IHidHandle> OpenNode(const std::string& id, bool, bool,
                                              std::string& error) override {
        if (refuseOpens > 0) {
            --refuseOpens;
            error = "gone";
            return nullptr;
        }
        for (const auto& node : nodes) {
            if (node.nodeId == id) return std::make_unique<Handle>(node);
        }
        error = "gone";
        return nullptr;
    }
    bool NodeExists(const std::string& id) override {
        for (const auto& node : nodes) {
            if (node.nodeId == id) return true;
        }
        return false;
    }

  private:
    struct Handle final : hid::IHidHandle {
        explicit Handle(hid::HidNodeInfo i) : info(std::move(i)) {}
        hid::HidNodeInfo info;
        const hid::HidNodeInfo& Info() const override { return info; }
        hid::IoStatus Read(std::span<uint8_t>, size_t& n, int, int) override {
            n = 0;
            return hid::IoStatus::Timeout;
        }
        hid::IoStatus Write(std::span<const uint8_t>, int, int) override {
            return hid::IoStatus::Ok;
        }
    };
};

hid::HidNodeInfo Node(const char* id, uint16_t vid, uint16_t pid, int mi) {
    hid::HidNodeInfo node;
    node.nodeId = id;
    node.vendorId = vid;
    node.productId = pid;
    node.interfaceNumber = mi;
    const auto& d = hid::descriptors::kKeyboardInterface1;
    node.reportDescriptor.assign(d.begin(), d.end());
    return node;
}

TEST(DiscoveryEdges, VendorIdZeroNeverMatchesTheUnusedRows) {
    auto backend = std::make_shared<ScriptedBackend>();
    backend->nodes.push_back(Node("s/1", 0x0000, 0x0000, 1));
    Recorder events;
    CDeviceDiscovery discovery(backend, events.Callbacks());
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_TRUE(events.found.empty());
}

TEST(DiscoveryEdges, InterfaceThatCannotBeOpenedIsRetriedNextPass) {
    // Also when the backend's node list did not change in between (generation 7 twice).
    for (const uint64_t generation : {uint64_t{0}, uint64_t{7}}) {
        auto backend = std::make_shared<ScriptedBackend>();
        backend->generation = generation;
        backend->nodes.push_back(Node("s/1", 0x320F, 0x5055, 1));
        backend->refuseOpens = 2;  // both keyboard collections vanish before their open
        Recorder events;
        CDeviceDiscovery discovery(backend, events.Callbacks());
        ASSERT_TRUE(discovery.RunPass());
        EXPECT_TRUE(events.found.empty());
        ASSERT_TRUE(discovery.RunPass());
        EXPECT_EQ(events.found.size(), 2u) << "generation " << generation;
    }
}

TEST(DiscoveryEdges, NodesAreListedAgainOnlyWhenSomethingChanged) {
    auto backend = std::make_shared<ScriptedBackend>();
    backend->generation = 1;
    Recorder events;
    CDeviceDiscovery discovery(backend, events.Callbacks());
    ASSERT_TRUE(discovery.RunPass());
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(backend->listings, 1);  // the same generation: nothing to look at
    EXPECT_EQ(events.firstPasses, 1);

    backend->nodes.push_back(Node("s/1", 0x320F, 0x5055, 1));
    backend->generation = 2;
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(backend->listings, 2);
    EXPECT_EQ(events.found.size(), 2u);

    backend->generation = 0;  // a backend that cannot tell is listed every pass
    ASSERT_TRUE(discovery.RunPass());
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(backend->listings, 4);
}

TEST(DiscoveryOverVhid, NodeRemovedAndAnnouncedAgainIsLostThenFound) {
    testing_vhid::FakeVhidPeer peer("/tmp/skelmora-discovery-peer-" + std::to_string(::getpid()) +
                                    ".sock");
    auto pending = std::async(std::launch::async, [&] {
        std::string error;
        return hid::VhidBackend::Connect(peer.Path(), error, 5000);
    });
    const auto keyboard =
        testing_vhid::Announce(5, 0x320F, 0x5055, 1, hid::descriptors::kKeyboardInterface1);
    ASSERT_TRUE(peer.Accept());
    peer.Greet({keyboard});
    auto bus = pending.get();
    ASSERT_TRUE(bus);
    peer.AnswerOpens();
    Recorder events;
    CDeviceDiscovery discovery(bus, events.Callbacks());
    ASSERT_TRUE(discovery.RunPass());
    ASSERT_EQ(events.found, (std::vector<int>{1, 0}));

    // The same node number at once, as a quick re-plug gives: the old handles are dead.
    const auto generation = bus->NodeListGeneration();
    auto replug = testing_vhid::Remove(5);
    replug.insert(replug.end(), keyboard.begin(), keyboard.end());
    ASSERT_TRUE(peer.Send(replug));
    for (int i = 0; i < 1000 && bus->NodeListGeneration() < generation + 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(bus->NodeListGeneration(), generation + 2);
    ASSERT_TRUE(bus->NodeExists("vhid/5"));

    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(events.lost, (std::vector<int>{0, 1}));
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(events.found, (std::vector<int>{1, 0, 1, 0}));
    EXPECT_TRUE(discovery.Detected()[0].present);
}

TEST(DiscoveryEdges, TestTableGivesMouseRowsRealIds) {
    InterfaceTable table = ShippedInterfaceTable();
    table[4].vendorId = 0x1234;
    table[4].productId = 0x5678;
    SetInterfaceTableForTesting(table);
    auto backend = std::make_shared<ScriptedBackend>();
    backend->nodes.push_back(Node("s/1", 0x1234, 0x5678, 1));
    Recorder events;
    CDeviceDiscovery discovery(backend, events.Callbacks());
    ASSERT_TRUE(discovery.RunPass());
    RestoreShippedInterfaceTable();
    EXPECT_EQ(events.found, std::vector<int>{4});
    EXPECT_EQ(ShippedInterfaceTable()[4].vendorId, 0);
}

}  // namespace

namespace {

TEST(DiscoveryEdges, EmulatedMouseAndReceiverAreReachableThroughATestTable) {
    InterfaceTable table = ShippedInterfaceTable();
    for (int row : {4, 5}) table[row].productId = emu::kEmulatedMousePid;
    for (int row : {6, 7}) table[row].productId = emu::kEmulatedReceiverPid;
    for (int row : {4, 5, 6, 7}) table[row].vendorId = emu::kEmulatedMouseVendor;
    SetInterfaceTableForTesting(table);
    auto bus = emu::EmulatedBus::Create();
    std::string error;
    ASSERT_TRUE(bus->Plug("mouse-receiver", error)) << error;
    ASSERT_TRUE(bus->Plug("mouse", error)) << error;
    Recorder events;
    CDeviceDiscovery discovery(bus, events.Callbacks());
    ASSERT_TRUE(discovery.RunPass());
    RestoreShippedInterfaceTable();
    std::vector<int> found = events.found;
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<int>{4, 5, 6, 7}));
}

}  // namespace
