#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "emulator/emulated_bus.h"
#include "hid/hid_connection.h"

namespace {

class ConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override { bus_ = emu::EmulatedBus::Create(); }

    void Plug(const char* kind) {
        std::string error;
        ASSERT_TRUE(bus_->Plug(kind, error)) << error;
    }

    std::vector<std::string> Paths() {
        CHidConnection c(bus_);
        EXPECT_TRUE(c.Enumerate());
        std::vector<std::string> out;
        while (auto p = c.NextPath()) out.push_back(*p);
        return out;
    }

    std::string PathWith(const char* marker) {
        for (const auto& p : Paths()) {
            if (p.find(marker) != std::string::npos) return p;
        }
        return {};
    }

    std::shared_ptr<emu::EmulatedBus> bus_;
};

TEST_F(ConnectionTest, NoDevicesEnumeratesNothing) {
    CHidConnection c(bus_);
    EXPECT_TRUE(c.Enumerate());
    EXPECT_EQ(c.PathCount(), 0);
    EXPECT_FALSE(c.NextPath().has_value());
}

TEST_F(ConnectionTest, OnePathPerCollection) {
    Plug("keyboard");
    Plug("headset");
    const auto paths = Paths();
    ASSERT_EQ(paths.size(), 5u);
    EXPECT_NE(paths[3].find("vid_320f&pid_5055&mi_01&col04"), std::string::npos);
    EXPECT_NE(paths[4].find("vid_0c76&pid_1630&mi_03"), std::string::npos);
    EXPECT_EQ(paths[4].find("&col"), std::string::npos);
}

TEST_F(ConnectionTest, OpenFillsAttributesAndCapabilities) {
    Plug("keyboard");
    CHidConnection c(bus_);
    ASSERT_TRUE(c.Open(PathWith("&col04"), true, false, true, false));
    EXPECT_EQ(c.VendorId(), 0x320F);
    EXPECT_EQ(c.ProductId(), 0x5055);
    EXPECT_EQ(c.UsagePage(), 0xFF1C);
    EXPECT_EQ(c.Usage(), 0x92);
    EXPECT_EQ(c.InputReportByteLength(), 64);
    EXPECT_EQ(c.InterfaceNumber(), 1);
    EXPECT_EQ(c.CollectionNumber(), 4);
    c.Close();
    EXPECT_FALSE(c.IsOpen());
    EXPECT_EQ(c.Path(), PathWith("&col04"));  // the path stays after Close
}

TEST_F(ConnectionTest, OpenOfMissingCollectionFails) {
    Plug("keyboard");
    CHidConnection c(bus_);
    std::string path = PathWith("&col04");
    path.replace(path.find("col04"), 5, "col09");
    EXPECT_FALSE(c.Open(path, true, true, true, false));
    EXPECT_FALSE(c.IsOpen());
    EXPECT_FALSE(c.LastError().empty());
}

TEST_F(ConnectionTest, ReadTimesOutWithNothingTransferred) {
    Plug("keyboard");
    CHidConnection c(bus_);
    ASSERT_TRUE(c.Open(PathWith("&col04"), true, true, true, false));
    uint8_t buffer[64];
    uint32_t got = 99;
    EXPECT_FALSE(c.Read(buffer, sizeof buffer, &got, 50));
    EXPECT_EQ(got, 0u);
}

TEST_F(ConnectionTest, EachCollectionDeliversOnlyItsOwnReports) {
    Plug("keyboard");
    CHidConnection consumer(bus_), vendor(bus_);
    ASSERT_TRUE(consumer.Open(PathWith("&col03"), true, true, true, false));
    ASSERT_TRUE(vendor.Open(PathWith("&col04"), true, true, true, false));
    const uint8_t volumeUp[3] = {3, 0xE9, 0x00};
    ASSERT_TRUE(bus_->InjectInput("keyboard", 0, volumeUp));
    uint8_t buffer[64];
    uint32_t got = 0;
    EXPECT_FALSE(vendor.Read(buffer, sizeof buffer, &got, 20));
    ASSERT_TRUE(consumer.Read(buffer, sizeof buffer, &got, 1000));
    EXPECT_EQ(buffer[0], 3);
    EXPECT_EQ(buffer[1], 0xE9);
}

TEST_F(ConnectionTest, UnpackReportListsConsumerUsages) {
    Plug("keyboard");
    CHidConnection c(bus_);
    ASSERT_TRUE(c.Open(PathWith("&col03"), true, true, true, false));
    ASSERT_GT(c.InputItemCount(), 0u);
    const uint8_t volumeUp[3] = {3, 0xE9, 0x00};
    ASSERT_TRUE(c.UnpackReport(volumeUp, sizeof volumeUp, hid::ReportType::Input,
                               c.InputItems().data(), c.InputItemCount()));
    const HidReportItem& item = c.InputItems()[0];
    EXPECT_TRUE(item.isButton);
    EXPECT_TRUE(item.isSet);
    EXPECT_EQ(item.usageList[0], 0xE9);
    // The device's own event codes lie above the standard consumer usages.
    const uint8_t eventCode[3] = {3, 0x01, 0x04};
    ASSERT_TRUE(c.UnpackReport(eventCode, sizeof eventCode, hid::ReportType::Input,
                               c.InputItems().data(), c.InputItemCount()));
    EXPECT_EQ(c.InputItems()[0].usageList[0], 0x401);
    // A report of another id leaves the items as they were.
    c.InputItems()[0].isSet = 0;
    const uint8_t other[3] = {4, 0, 0};
    EXPECT_TRUE(c.UnpackReport(other, sizeof other, hid::ReportType::Input, c.InputItems().data(),
                               c.InputItemCount()));
    EXPECT_FALSE(c.InputItems()[0].isSet);
}

TEST_F(ConnectionTest, DeviceEventCodesPassUnpackReportUnchanged) {
    Plug("keyboard");
    CHidConnection c(bus_);
    ASSERT_TRUE(c.Open(PathWith("&col03"), true, true, true, false));
    // Settings changed (0x401, 0x402), counted (0x404), profile switches (0x10xx, 0x11xx) and
    // the top of the collection's range.
    const struct {
        uint8_t low, high;
        uint16_t usage;
    } cases[] = {{0x01, 0x04, 0x0401}, {0x02, 0x04, 0x0402}, {0x04, 0x04, 0x0404},
                 {0x02, 0x10, 0x1002}, {0x23, 0x11, 0x1123}, {0xFF, 0x1F, 0x1FFF}};
    for (const auto& e : cases) {
        SCOPED_TRACE(e.usage);
        const uint8_t report[3] = {3, e.low, e.high};
        c.InputItems()[0].isSet = 0;
        ASSERT_TRUE(c.UnpackReport(report, sizeof report, hid::ReportType::Input,
                                   c.InputItems().data(), c.InputItemCount()));
        EXPECT_TRUE(c.InputItems()[0].isSet);
        EXPECT_EQ(c.InputItems()[0].usageList[0], e.usage);
    }
}

TEST_F(ConnectionTest, CloseFromAnotherThreadEndsAnInfiniteRead) {
    Plug("keyboard");
    CHidConnection c(bus_);
    ASSERT_TRUE(c.Open(PathWith("&col04"), true, true, true, false));
    auto read = std::async(std::launch::async, [&] {
        uint8_t buffer[64];
        uint32_t got = 0;
        return c.Read(buffer, sizeof buffer, &got, CHidConnection::kInfinite);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    c.Close();
    EXPECT_FALSE(read.get());
}

TEST_F(ConnectionTest, UnplugEndsAnInfiniteReadAndFailsWrites) {
    Plug("keyboard");
    CHidConnection c(bus_);
    ASSERT_TRUE(c.Open(PathWith("&col04"), true, true, true, false));
    auto read = std::async(std::launch::async, [&] {
        uint8_t buffer[64];
        return c.Read(buffer, sizeof buffer, nullptr, CHidConnection::kInfinite);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::string error;
    ASSERT_TRUE(bus_->Unplug("keyboard", error));
    EXPECT_FALSE(read.get());
    uint8_t report[64] = {4};
    EXPECT_FALSE(c.Write(report, sizeof report, nullptr, 1000));
}

TEST_F(ConnectionTest, ReplugGivesNewPathsAndKeepsDeviceMemory) {
    Plug("keyboard");
    const auto before = Paths();
    bus_->Device("keyboard")
        ->Firmware()
        .SetArea(hid::kCmdWriteParameters, 0, std::vector<uint8_t>{42});
    std::string error;
    ASSERT_TRUE(bus_->Unplug("keyboard", error));
    EXPECT_TRUE(Paths().empty());
    Plug("keyboard");
    const auto after = Paths();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_NE(after[0], before[0]);
    EXPECT_EQ(bus_->Device("keyboard")->Firmware().Area(hid::kCmdReadParameters)[0], 42);
}

TEST_F(ConnectionTest, PlugCallsTheArrivalHandlerUntilItIsCleared) {
    int arrivals = 0;
    bus_->SetArrivalHandler([&] { ++arrivals; });
    Plug("keyboard");
    EXPECT_EQ(arrivals, 1);
    bus_->SetArrivalHandler(nullptr);
    Plug("headset");
    EXPECT_EQ(arrivals, 1);
}

TEST_F(ConnectionTest, NoBackendFailsCleanly) {
    CHidConnection c;
    EXPECT_FALSE(c.Enumerate());
    EXPECT_FALSE(c.Open("vhid/1#vid_320f", true, true, true, false));
    uint8_t buffer[4];
    EXPECT_FALSE(c.Read(buffer, sizeof buffer, nullptr, 10));
}

}  // namespace

namespace {

TEST(EmulatedMouse, WiredAndReceiverReachTheSameMouse) {
    auto bus = emu::EmulatedBus::Create();
    std::string error;
    ASSERT_TRUE(bus->Plug("mouse-receiver", error)) << error;
    ASSERT_TRUE(bus->Plug("mouse", error)) << error;
    std::vector<hid::HidNodeInfo> nodes;
    ASSERT_TRUE(bus->ListNodes(nodes, error));
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].productId, 0x5061);
    EXPECT_EQ(nodes[1].productId, 0x5060);
    bus->Device("mouse-receiver")
        ->Firmware()
        .SetArea(hid::kCmdWriteParameters, 0, std::vector<uint8_t>{7});
    EXPECT_EQ(bus->Device("mouse")->Firmware().Area(hid::kCmdReadParameters)[0], 7);
    const auto info = bus->Device("mouse")->Firmware().Area(hid::kCmdReadDeviceInfo);
    EXPECT_EQ(info[5], 16);  // key table entries: 11 buttons and free slots
    const auto keys = bus->Device("mouse")->Firmware().Area(hid::kCmdReadKeyTable);
    EXPECT_EQ((std::vector<uint8_t>(keys.begin(), keys.begin() + 6)),
              (std::vector<uint8_t>{0x10, 0x02, 0x00, 0x10, 0x01, 0x00}));  // right, then left

    CHidConnection c(bus);
    ASSERT_TRUE(c.Enumerate());
    int vendorCollections = 0;
    while (auto path = c.NextPath()) {
        ASSERT_TRUE(c.Open(*path, true, false, true, false)) << *path;
        if (c.UsagePage() == 0xFF1C && c.CollectionNumber() == 4) ++vendorCollections;
    }
    EXPECT_EQ(vendorCollections, 2);
}

}  // namespace
