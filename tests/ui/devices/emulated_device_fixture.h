#pragma once
// What the fixtures of one device on the emulated firmware share: a temporary data home, a bus
// with the device plugged, its command channel opened, and the requests the firmware saw.
#include <QByteArray>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "devices/device_test_support.h"
#include "devices/skelmora_usb_device.h"
#include "emulator/command_firmware.h"
#include "emulator/emulated_bus.h"

namespace devtest {

// One request as the firmware logged it: command byte, length byte, little-endian offset.
struct Request {
    uint8_t command;
    uint8_t length;
    uint16_t offset;
    friend bool operator==(const Request&, const Request&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Request& r) {
        return os << "{" << std::hex << int{r.command} << " len " << std::dec << int{r.length}
                  << " at " << r.offset << "}";
    }
};

inline std::vector<Request> RequestsOf(const emu::CommandFirmware& firmware) {
    std::vector<Request> out;
    for (const hid::Report& r : firmware.RequestLog())
        out.push_back({r[3], r[4], static_cast<uint16_t>(r[5] | (r[6] << 8))});
    return out;
}

// The vendor collection of the product pid, or "" when it is not on the bus.
inline std::string VendorPathOf(const std::shared_ptr<hid::IHidBackend>& backend, uint16_t pid) {
    CHidConnection probe(backend);
    if (!probe.Enumerate()) return {};
    while (auto path = probe.NextPath()) {
        if (probe.Open(*path, true, false, true, false) && probe.ProductId() == pid &&
            probe.UsagePage() == kVendorPage)
            return *path;
    }
    return {};
}

// XDG_DATA_HOME on a temporary folder from Enter to Leave; the earlier value comes back after.
class DataHome {
  public:
    DataHome() = default;
    DataHome(const DataHome&) = delete;
    DataHome& operator=(const DataHome&) = delete;
    ~DataHome() { Leave(); }

    // False, with nothing changed, when the folder could not be made.
    [[nodiscard]] bool Enter() {
        if (!dir_.isValid()) return false;
        if (!entered_) saved_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dir_.path().toUtf8());
        entered_ = true;
        return true;
    }
    void Leave() {
        if (!entered_) return;
        entered_ = false;
        if (saved_.isNull()) {
            qunsetenv("XDG_DATA_HOME");
        } else {
            qputenv("XDG_DATA_HOME", saved_);
        }
    }
    QString path() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
    QByteArray saved_;
    bool entered_ = false;
};

// A data home and a bus of emulated devices; firmware_ is the first plugged kind's.
class EmulatedDeviceFixture : public WithApplication {
  protected:
    void Plug(const char* kind, const char* alsoKind = nullptr) {
        ASSERT_TRUE(home_.Enter());
        bus_ = emu::EmulatedBus::Create();
        std::string error;
        ASSERT_TRUE(bus_->Plug(kind, error)) << error;
        if (alsoKind) {
            ASSERT_TRUE(bus_->Plug(alsoKind, error)) << error;
        }
        firmware_ = &bus_->Device(kind)->Firmware();
    }
    void TearDown() override { home_.Leave(); }

    // Opens the device's command channel on path, by cable or through the receiver, in mode
    // (0: the channel gets none).
    void Attach(CSkelmoraUSBDevice& device, const std::string& path, bool receiver, int mode) {
        ASSERT_FALSE(path.empty());
        CCommandChannel& channel = device.CommandChannel();
        std::lock_guard lock(channel.ExchangeLock());
        CHidConnection& connection =
            receiver ? channel.ReceiverConnection() : channel.WiredConnection();
        ASSERT_TRUE(connection.Open(path, true, true, true, false));
        channel.SetOpened(true);
        if (mode) channel.SetMode(mode);
    }

    std::vector<Request> Requests() const { return RequestsOf(*firmware_); }
    std::vector<uint8_t> Params(size_t from, size_t count) const {
        const std::vector<uint8_t> area = *firmware_->Dump(emu::AreaId::Params);
        return {area.begin() + static_cast<long>(from),
                area.begin() + static_cast<long>(from + count)};
    }

    DataHome home_;
    std::shared_ptr<emu::EmulatedBus> bus_;
    emu::CommandFirmware* firmware_ = nullptr;
};

}  // namespace devtest
