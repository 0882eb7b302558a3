#pragma once
// Shared pieces of the device tests: the application, an emulated bus with a keyboard, the
// path of one of its collections, and a device whose command channel is attached to it.
#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <string>

#include "devices/skelmora_usb_device.h"
#include "emulator/emulated_bus.h"
#include "support/ui_fixture.h"

namespace devtest {

inline constexpr uint16_t kVendorPage = 0xFF1C;
inline constexpr uint16_t kConsumerPage = 0x000C;

inline std::string PathOf(const std::shared_ptr<hid::IHidBackend>& backend, uint16_t usagePage) {
    CHidConnection probe(backend);
    if (!probe.Enumerate()) return {};
    while (auto path = probe.NextPath()) {
        if (probe.Open(*path, true, false, true, false) && probe.UsagePage() == usagePage) {
            return *path;
        }
    }
    return {};
}

// Builds the application before the fixture's own widgets.
class WithApplication : public ::testing::Test {
  protected:
    WithApplication() { uitest::app(); }
};

// An emulated keyboard on its own bus.
class EmulatedKeyboard : public WithApplication {
  protected:
    void SetUp() override {
        bus_ = emu::EmulatedBus::Create();
        std::string error;
        ASSERT_TRUE(bus_->Plug("keyboard", error)) << error;
        firmware_ = &bus_->Device("keyboard")->Firmware();
    }

    // Opens the device's command channel on the keyboard's vendor collection (wired path).
    void AttachCommandChannel(CSkelmoraUSBDevice& device) {
        const std::string path = PathOf(bus_, kVendorPage);
        ASSERT_FALSE(path.empty());
        CCommandChannel& channel = device.CommandChannel();
        std::lock_guard lock(channel.ExchangeLock());
        ASSERT_TRUE(channel.WiredConnection().Open(path, true, true, true, false));
        channel.SetOpened(true);
        channel.SetMode(1);
        firmware_->ClearRequestLog();
    }

    std::shared_ptr<emu::EmulatedBus> bus_;
    emu::CommandFirmware* firmware_ = nullptr;
};

}  // namespace devtest
