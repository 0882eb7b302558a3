#include "hid/hidraw_backend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "hid/hid_connection.h"
#include "hid/sample_descriptors.h"

namespace fs = std::filesystem;

namespace {

// A sysfs tree as the kernel lays it out: the class entry's "device" link points at the HID
// device, whose parent is the USB interface.
class FakeSysfs : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("skelmora-sysfs-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "class/hidraw");
        fs::create_directories(root_ / "dev");
    }
    void TearDown() override { fs::remove_all(root_); }

    void AddNode(const std::string& name, const std::string& interfaceDir, const char* hidId,
                 std::span<const uint8_t> descriptor, const char* bInterfaceNumber) {
        const fs::path usbInterface = root_ / "devices" / interfaceDir;
        const fs::path hidDevice = usbInterface / (std::string(hidId) + ".0001");
        fs::create_directories(hidDevice);
        std::ofstream(hidDevice / "report_descriptor", std::ios::binary)
            .write(reinterpret_cast<const char*>(descriptor.data()), descriptor.size());
        std::ofstream(hidDevice / "uevent")
            << "DRIVER=hid-generic\nHID_ID=0003:0000" << std::string(hidId).substr(5, 4) << ":0000"
            << std::string(hidId).substr(10, 4)
            << "\nHID_NAME=Test Keyboard\nHID_PHYS=usb-0000:00:14.0-1/input1\n";
        if (bInterfaceNumber) std::ofstream(usbInterface / "bInterfaceNumber") << bInterfaceNumber;
        fs::create_directories(root_ / "class/hidraw" / name);
        fs::create_directory_symlink(hidDevice, root_ / "class/hidraw" / name / "device");
    }

    fs::path root_;
};

TEST_F(FakeSysfs, ListsNodesWithIdsInterfaceAndDescriptor) {
    AddNode("hidraw10", "1-1:1.1", "0003:320F:5055", hid::descriptors::kKeyboardInterface1, "01\n");
    AddNode("hidraw2", "1-2:1.3", "0003:0C76:1630", hid::descriptors::kHeadsetInterface3, nullptr);
    hid::HidrawBackend backend((root_ / "class/hidraw").string(), (root_ / "dev").string());
    std::vector<hid::HidNodeInfo> nodes;
    std::string error;
    ASSERT_TRUE(backend.ListNodes(nodes, error)) << error;
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].nodeId, (root_ / "dev/hidraw2").string());  // numeric order
    EXPECT_EQ(nodes[0].vendorId, 0x0C76);
    EXPECT_EQ(nodes[0].interfaceNumber, 1);  // from HID_PHYS when sysfs has no number
    EXPECT_EQ(nodes[1].vendorId, 0x320F);
    EXPECT_EQ(nodes[1].productId, 0x5055);
    EXPECT_EQ(nodes[1].interfaceNumber, 1);
    EXPECT_EQ(nodes[1].product, "Test Keyboard");
    EXPECT_EQ(nodes[1].reportDescriptor.size(), hid::descriptors::kKeyboardInterface1.size());

    CHidConnection connection(std::make_shared<hid::HidrawBackend>(
        (root_ / "class/hidraw").string(), (root_ / "dev").string()));
    ASSERT_TRUE(connection.Enumerate());
    EXPECT_EQ(connection.PathCount(), 5);
}

// Two identical headsets on different buses: each node carries the bus and device numbers of
// the USB device above its interface (not those of the hub above that), so each can find its
// own sound card. Nodes without a USB device above them, or with unreadable numbers, carry 0.
TEST_F(FakeSysfs, NodesCarryTheirUsbBusAndDevice) {
    struct UsbFiles {
        const char* dir;  // the USB device, under devices/
        const char* busnum;
        const char* devnum;
    };
    const UsbFiles files[] = {
        {"pci0/usb1", "1\n", "1\n"},  // the root hub: never taken for the headset
        {"pci0/usb1/1-2", "1\n", "5\n"},
        {"pci0/usb3/3-1", "3\n", "12\n"},
        {"pci0/usb4/4-1", "4\n", "x\n"},
    };
    for (const UsbFiles& f : files) {
        fs::create_directories(root_ / "devices" / f.dir);
        std::ofstream(root_ / "devices" / f.dir / "busnum") << f.busnum;
        std::ofstream(root_ / "devices" / f.dir / "devnum") << f.devnum;
    }
    AddNode("hidraw4", "pci0/usb1/1-2/1-2:1.3", "0003:0C76:1630",
            hid::descriptors::kHeadsetInterface3, "03\n");
    AddNode("hidraw7", "pci0/usb3/3-1/3-1:1.3", "0003:0C76:1630",
            hid::descriptors::kHeadsetInterface3, "03\n");
    AddNode("hidraw8", "pci0/usb4/4-1/4-1:1.3", "0003:0C76:1630",
            hid::descriptors::kHeadsetInterface3, "03\n");
    AddNode("hidraw9", "virtual/uhid", "0003:0C76:1630", hid::descriptors::kHeadsetInterface3,
            nullptr);
    struct Expected {
        const char* name;
        int bus;
        int device;
    };
    const Expected expected[] = {
        {"hidraw4", 1, 5}, {"hidraw7", 3, 12}, {"hidraw8", 0, 0}, {"hidraw9", 0, 0}};

    auto backend = std::make_shared<hid::HidrawBackend>((root_ / "class/hidraw").string(),
                                                        (root_ / "dev").string());
    std::vector<hid::HidNodeInfo> nodes;
    std::string error;
    ASSERT_TRUE(backend->ListNodes(nodes, error)) << error;
    ASSERT_EQ(nodes.size(), std::size(expected));
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(nodes[i].nodeId, (root_ / "dev" / expected[i].name).string());
        EXPECT_EQ(nodes[i].usbBus, expected[i].bus);
        EXPECT_EQ(nodes[i].usbDevice, expected[i].device);
    }

    // An opened connection says where its device sits, and forgets it when closed.
    for (const Expected& e : expected) std::ofstream(root_ / "dev" / e.name) << "";
    CHidConnection connection(backend);
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        const std::string path = (root_ / "dev" / e.name).string() + "#vid_0c76&pid_1630&mi_03";
        ASSERT_TRUE(connection.Open(path, true, false, true, false)) << connection.LastError();
        EXPECT_EQ(connection.UsbBus(), e.bus);
        EXPECT_EQ(connection.UsbDevice(), e.device);
    }
    connection.Close();
    EXPECT_EQ(connection.UsbBus(), 0);
    EXPECT_EQ(connection.UsbDevice(), 0);
}

TEST_F(FakeSysfs, MissingTreeMeansNoDevices) {
    hid::HidrawBackend backend((root_ / "nothing").string(), (root_ / "dev").string());
    std::vector<hid::HidNodeInfo> nodes;
    std::string error;
    EXPECT_TRUE(backend.ListNodes(nodes, error));
    EXPECT_TRUE(nodes.empty());
}

TEST_F(FakeSysfs, OpeningAMissingNodeSaysSo) {
    hid::HidrawBackend backend((root_ / "class/hidraw").string(), (root_ / "dev").string());
    std::string error;
    EXPECT_EQ(backend.OpenNode((root_ / "dev/hidraw5").string(), true, true, error), nullptr);
    EXPECT_NE(error.find("hidraw5"), std::string::npos);
}

TEST_F(FakeSysfs, NewHidrawNodesCallTheArrivalHandler) {
    hid::HidrawBackend backend((root_ / "class/hidraw").string(), (root_ / "dev").string());
    std::atomic<int> arrivals{0};
    backend.SetArrivalHandler([&] { ++arrivals; });
    std::ofstream(root_ / "dev/tty9") << "";  // not a hidraw node
    std::ofstream(root_ / "dev/hidraw9") << "";
    bool seen = false;
    for (int i = 0; i < 200 && !seen; ++i) {
        seen = arrivals.load() > 0;
        if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(seen);
    backend.SetArrivalHandler(nullptr);
}

// The kernel gives a device plugged again quickly the same /dev/hidrawN, but a new HID
// device in sysfs (and a new node): the identity tells the two apart.
TEST_F(FakeSysfs, ReplugOnTheSameNodeChangesTheIdentity) {
    AddNode("hidraw3", "1-1:1.1", "0003:320F:5055", hid::descriptors::kKeyboardInterface1, "01\n");
    const std::string node = (root_ / "dev/hidraw3").string();
    hid::HidrawBackend backend((root_ / "class/hidraw").string(), (root_ / "dev").string());
    EXPECT_FALSE(backend.NodeIdentity(node).has_value());  // sysfs has it, /dev not yet
    std::ofstream(node) << "";
    std::string error;
    auto handle = backend.OpenNode(node, true, false, error);
    ASSERT_TRUE(handle) << error;
    const std::string first = handle->Info().identity;
    EXPECT_EQ(backend.NodeIdentity(node), first);
    EXPECT_NE(first.find("0003:320F:5055.0001"), std::string::npos) << first;

    // Unplugged and plugged again: another HID device behind the same class entry.
    const fs::path replugged = root_ / "devices/1-1:1.1/0003:320F:5055.0002";
    fs::create_directories(replugged);
    fs::copy(root_ / "devices/1-1:1.1/0003:320F:5055.0001", replugged,
             fs::copy_options::overwrite_existing | fs::copy_options::recursive);
    fs::remove(root_ / "class/hidraw/hidraw3/device");
    fs::create_directory_symlink(replugged, root_ / "class/hidraw/hidraw3/device");
    const auto second = backend.NodeIdentity(node);
    ASSERT_TRUE(second.has_value());
    EXPECT_NE(*second, first);
    EXPECT_TRUE(backend.NodeExists(node));
}

TEST_F(FakeSysfs, NodeFoundGoneIsAbsentAtOnce) {
    AddNode("hidraw3", "1-1:1.1", "0003:320F:5055", hid::descriptors::kKeyboardInterface1, "01\n");
    const std::string node = (root_ / "dev/hidraw3").string();
    std::ofstream(node) << "";
    hid::HidrawBackend backend((root_ / "class/hidraw").string(), (root_ / "dev").string());
    std::atomic<int> wakes{0};
    backend.SetArrivalHandler([&] { ++wakes; });
    std::string error;
    auto handle = backend.OpenNode(node, true, false, error);
    ASSERT_TRUE(handle) << error;
    backend.NodeGone(handle->Info());        // a read failed with ENODEV
    EXPECT_FALSE(backend.NodeExists(node));  // though the node file is still there
    EXPECT_GE(wakes.load(), 1);              // discovery looks at once
    EXPECT_EQ(backend.OpenNode(node, true, false, error), nullptr);
    backend.SetArrivalHandler(nullptr);
}

TEST(HidrawHints, PermissionMessageNamesTheUdevRule) {
    const std::string hint = hid::HidrawPermissionHint("/dev/hidraw4");
    EXPECT_NE(hint.find("/dev/hidraw4"), std::string::npos);
    EXPECT_NE(hint.find("70-skelmora.rules"), std::string::npos);
}

TEST(HidrawHints, ReportIdDetection) {
    EXPECT_TRUE(hid::DescriptorUsesReportIds(hid::descriptors::kKeyboardInterface1));
    EXPECT_FALSE(hid::DescriptorUsesReportIds(hid::descriptors::kBootKeyboard));
    const uint8_t truncatedLongItem[] = {0xFE, 0x10};
    EXPECT_FALSE(hid::DescriptorUsesReportIds(truncatedLongItem));
}

}  // namespace
