// Two identical headsets on two buses, as sysfs and /proc/asound lay them out: the bus and
// device numbers each headset's HID node carries find that headset's own sound card. A node
// that carries none keeps the rule without a position: a single card is taken, two give none.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "devices/audio/card_finder.h"
#include "hid/hidraw_backend.h"
#include "hid/sample_descriptors.h"

namespace {

namespace fs = std::filesystem;

class HeadsetPlaceTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    fs::path Root() const { return fs::path(dir_.path().toStdString()); }
    static void Write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }

    // A headset's HID node under the USB device usbDir (busnum and devnum there unless null).
    void AddHeadset(const char* node, const char* usbDir, const char* busnum, const char* devnum,
                    int hidNumber) {
        const fs::path usb = Root() / "sys/devices" / usbDir;
        if (busnum) Write(usb / "busnum", busnum);
        if (devnum) Write(usb / "devnum", devnum);
        const fs::path hid = usb / (fs::path(usbDir).filename().string() + ":1.3") /
                             ("0003:0C76:1630.000" + std::to_string(hidNumber));
        const auto& descriptor = hid::descriptors::kHeadsetInterface3;
        Write(hid / "report_descriptor",
              std::string(reinterpret_cast<const char*>(descriptor.data()), descriptor.size()));
        Write(hid / "uevent", "HID_ID=0003:00000C76:00001630\nHID_NAME=Headset\n");
        Write(hid.parent_path() / "bInterfaceNumber", "03\n");
        fs::create_directories(Root() / "sys/class/hidraw" / node);
        fs::create_directory_symlink(hid, Root() / "sys/class/hidraw" / node / "device");
    }
    void AddCard(int number, const char* id, const char* usbbus) {
        const fs::path card = Root() / "asound" / ("card" + std::to_string(number));
        Write(card / "id", std::string(id) + "\n");
        Write(card / "usbid", "0c76:1630\n");
        Write(card / "usbbus", std::string(usbbus) + "\n");
    }
    // The card each listed node finds ("" for none), in node order.
    std::vector<std::string> CardsFound() {
        hid::HidrawBackend backend((Root() / "sys/class/hidraw").string(),
                                   (Root() / "dev").string());
        std::vector<hid::HidNodeInfo> nodes;
        std::string error;
        EXPECT_TRUE(backend.ListNodes(nodes, error)) << error;
        std::vector<std::string> found;
        for (const hid::HidNodeInfo& node : nodes) {
            const auto search = audio::FindHeadsetCard(Root() / "asound", audio::kHeadsetUsbId,
                                                       {node.usbBus, node.usbDevice});
            found.push_back(search.card ? search.card->id : std::string());
        }
        return found;
    }

    QTemporaryDir dir_;
};

TEST_F(HeadsetPlaceTest, EachOfTwoIdenticalHeadsetsFindsItsOwnCard) {
    AddHeadset("hidraw4", "pci0/usb1/1-2", "1\n", "5\n", 1);
    AddHeadset("hidraw7", "pci0/usb3/3-1", "3\n", "12\n", 2);
    // Card numbers in the other order than the nodes: only the place tells them apart.
    AddCard(1, "Headset_1", "003/012");
    AddCard(2, "Headset", "001/005");
    EXPECT_EQ(CardsFound(), (std::vector<std::string>{"Headset", "Headset_1"}));
}

TEST_F(HeadsetPlaceTest, ANodeWithoutItsPlaceTakesOnlyASingleCard) {
    AddHeadset("hidraw4", "pci0/usb1/1-2", nullptr, nullptr, 1);
    AddCard(1, "Headset", "001/005");
    EXPECT_EQ(CardsFound(), (std::vector<std::string>{"Headset"}));
    AddCard(2, "Headset_1", "003/012");
    EXPECT_EQ(CardsFound(), (std::vector<std::string>{""})) << "two cards, no place: none";
}

}  // namespace
