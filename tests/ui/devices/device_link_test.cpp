// Whether a keyboard or mouse reports its receiver's link.
#include "device_test_support.h"
#include "devices/skelmora_keyboard_device.h"
#include "devices/skelmora_mouse_device.h"
#include "devices/skelmora_mouse_pad_device.h"

namespace {

class Links : public devtest::EmulatedKeyboard {
  protected:
    // Opens the vendor collection as the receiver path (mode 2) or the wired one.
    void Attach(CSkelmoraUSBDevice& device, bool wireless) {
        const std::string path = devtest::PathOf(bus_, devtest::kVendorPage);
        ASSERT_FALSE(path.empty());
        CCommandChannel& channel = device.CommandChannel();
        std::lock_guard lock(channel.ExchangeLock());
        CHidConnection& connection =
            wireless ? channel.ReceiverConnection() : channel.WiredConnection();
        ASSERT_TRUE(connection.Open(path, true, true, true, false));
        channel.SetOpened(true);
        channel.SetMode(wireless ? 2 : 1);
        device.SetWireless(wireless);
    }
};

}  // namespace

TEST_F(Links, OnlyAnOpenWirelessChannelWithALinkedDeviceIsLinked) {
    const struct {
        const char* name;
        bool wireless;
        bool open;
        bool firmwareLinked;
        bool expected;
    } cases[] = {
        {"wireless, linked", true, true, true, true},
        {"wireless, no link", true, true, false, false},
        {"wireless, channel closed", true, false, true, false},
        {"wired", false, true, true, false},
    };
    for (const auto& c : cases) {
        firmware_->SetWirelessLinked(c.firmwareLinked);
        CSkelmoraKeyboardDevice keyboard(nullptr, bus_);
        CSkelmoraMouseDevice mouse(nullptr, bus_);
        for (CSkelmoraUSBDevice* device : {static_cast<CSkelmoraUSBDevice*>(&keyboard),
                                           static_cast<CSkelmoraUSBDevice*>(&mouse)}) {
            Attach(*device, c.wireless);
            if (!c.open) device->CommandChannel().SetOpened(false);
            EXPECT_EQ(device->IsLinked(), c.expected) << c.name << " kind " << device->GetKind();
        }
    }
    // The other classes are always linked.
    CSkelmoraMousePadDevice pad(nullptr, bus_);
    EXPECT_TRUE(pad.IsLinked());
}
