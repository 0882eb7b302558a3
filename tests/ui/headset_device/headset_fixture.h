#pragma once
// An emulated headset on its own bus, a headset device in a temporary XDG home whose command
// channel opens on it, and the requests the firmware saw.
#include <QTemporaryDir>
#include <ostream>

#include "devices/device_test_support.h"
#include "devices/skelmora_hs6533_device.h"
#include "emulator/emulated_bus.h"
#include "emulator/emulated_headset.h"

namespace headset_test {

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

class TestHeadset : public CSkelmoraHS6533Device {
  public:
    using CSkelmoraHS6533Device::AfterLightPass;
    using CSkelmoraHS6533Device::ClassEffectB;
    using CSkelmoraHS6533Device::CSkelmoraHS6533Device;
};

class HeadsetFixture : public devtest::WithApplication {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        saved_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home_.path().toUtf8());
        bus_ = emu::EmulatedBus::Create();
        std::string error;
        ASSERT_TRUE(bus_->Plug("headset", error)) << error;
        emulated_ = dynamic_cast<emu::EmulatedHeadset*>(bus_->Device("headset"));
        ASSERT_NE(emulated_, nullptr);
        firmware_ = &emulated_->Firmware();
        headset_ = std::make_unique<TestHeadset>(nullptr, bus_);
        headset_->SetKindName(QStringLiteral("HD"));
        headset_->SetProfileBaseName(QStringLiteral("HD"));
        headset_->SetLightConfigurationName(QStringLiteral("zelvo_light"));
        headset_->SetModelIndex(3);
        headset_->SetCounts(0, 13);
        headset_->SetDefaultDataFolder(QStringLiteral(SKELMORA_SOURCE_ROOT "/DefaultData/"));
    }
    void TearDown() override {
        headset_.reset();
        if (saved_.isNull()) {
            qunsetenv("XDG_DATA_HOME");
        } else {
            qputenv("XDG_DATA_HOME", saved_);
        }
    }

    void Attach() {
        const std::string path = devtest::PathOf(bus_, devtest::kConsumerPage);
        ASSERT_FALSE(path.empty());
        CCommandChannel& channel = headset_->CommandChannel();
        std::lock_guard lock(channel.ExchangeLock());
        ASSERT_TRUE(channel.WiredConnection().Open(path, true, true, true, false));
        channel.SetOpened(true);
        firmware_->ClearRequestLog();
    }

    std::vector<Request> Requests() const {
        std::vector<Request> out;
        for (const hid::Report& r : firmware_->RequestLog())
            out.push_back({r[3], r[4], static_cast<uint16_t>(r[5] | (r[6] << 8))});
        return out;
    }

    void SetParams(size_t offset, std::vector<uint8_t> bytes) {
        std::string error;
        ASSERT_TRUE(firmware_->Set(emu::AreaId::Params, offset, bytes, error)) << error;
    }

    std::vector<uint8_t> Params(size_t from, size_t count) const {
        const auto area = firmware_->Dump(emu::AreaId::Params);
        return {area->begin() + static_cast<long>(from),
                area->begin() + static_cast<long>(from + count)};
    }

    QTemporaryDir home_;
    QByteArray saved_;
    std::shared_ptr<emu::EmulatedBus> bus_;
    emu::EmulatedHeadset* emulated_ = nullptr;
    emu::CommandFirmware* firmware_ = nullptr;
    std::unique_ptr<TestHeadset> headset_;
};

}  // namespace headset_test
