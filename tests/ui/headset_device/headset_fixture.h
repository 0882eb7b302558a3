#pragma once
// An emulated headset on its own bus, a headset device in a temporary XDG home whose command
// channel opens on it, and the requests the firmware saw.
#include "devices/emulated_device_fixture.h"
#include "devices/skelmora_hs6533_device.h"
#include "emulator/emulated_bus.h"
#include "emulator/emulated_headset.h"

namespace headset_test {

using devtest::Request;

class TestHeadset : public CSkelmoraHS6533Device {
  public:
    using CSkelmoraHS6533Device::AfterLightPass;
    using CSkelmoraHS6533Device::ClassEffectB;
    using CSkelmoraHS6533Device::CSkelmoraHS6533Device;
    using CSkelmoraHS6533Device::LightPassState;
    using CSkelmoraHS6533Device::RunLightPass;

    // The steps the light passes ran, by kind.
    int breathingSteps = 0;
    int ownRoutinePasses = 0;
    void EffectBreathing() override {
        ++breathingSteps;
        CSkelmoraHS6533Device::EffectBreathing();
    }

  protected:
    void OwnLightRoutine() override {
        ++ownRoutinePasses;
        CSkelmoraHS6533Device::OwnLightRoutine();
    }
};

class HeadsetFixture : public devtest::EmulatedDeviceFixture {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(Plug("headset"));
        emulated_ = dynamic_cast<emu::EmulatedHeadset*>(bus_->Device("headset"));
        ASSERT_NE(emulated_, nullptr);
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
        EmulatedDeviceFixture::TearDown();
    }

    // The command channel on the headset's consumer collection, which gets no mode.
    void Attach() {
        ASSERT_NO_FATAL_FAILURE(EmulatedDeviceFixture::Attach(
            *headset_, devtest::PathOf(bus_, devtest::kConsumerPage), false, 0));
        firmware_->ClearRequestLog();
    }

    void SetParams(size_t offset, std::vector<uint8_t> bytes) {
        std::string error;
        ASSERT_TRUE(firmware_->Set(emu::AreaId::Params, offset, bytes, error)) << error;
    }

    emu::EmulatedHeadset* emulated_ = nullptr;
    std::unique_ptr<TestHeadset> headset_;
};

}  // namespace headset_test
