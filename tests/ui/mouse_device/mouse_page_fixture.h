#pragma once
// The mouse page built from its layout as the main window builds it, over the emulated mouse on
// its own bus, in a temporary data home.
#include <QString>
#include <memory>

#include "devices/emulated_device_fixture.h"
#include "devices/skelmora_mouse_device.h"
#include "support/program_controls.h"
#include "ui/layout_loader.h"

namespace mousetest {

class MousePageFixture : public devtest::EmulatedDeviceFixture {
  protected:
    // The page built, named as the mouse's row (with the light configuration when one is
    // given) and its controls bound; its command channel is not open yet.
    void BuildPage(const QString& lightConfiguration = {}) {
        ASSERT_NO_FATAL_FAILURE(Plug("mouse"));
        uitest::UseProgramSkinAndControls();
        BuildResult page = CDialogBuilder::Create(QStringLiteral("XML/DeviceXml/mousedevice.xml"));
        ASSERT_TRUE(page) << page.error.toStdString();
        mouse_.reset(qobject_cast<CSkelmoraMouseDevice*>(page.root));
        ASSERT_NE(mouse_, nullptr);
        mouse_->CommandChannel().SetBackend(bus_);
        mouse_->SetPageLayoutPath(QStringLiteral("XML/DeviceXml/mousedevice.xml"));
        mouse_->SetKindName(QStringLiteral("mouse"));
        mouse_->SetProfileBaseName(QStringLiteral("mouse"));
        if (!lightConfiguration.isEmpty()) mouse_->SetLightConfigurationName(lightConfiguration);
        mouse_->SetModelIndex(0);
        mouse_->SetCounts(11, 15);
        mouse_->SetDefaultDataFolder(QStringLiteral(SKELMORA_SOURCE_ROOT "/DefaultData/"));
        mouse_->BindPageControls();
    }
    void TearDown() override {
        mouse_.reset();
        EmulatedDeviceFixture::TearDown();
    }

    std::unique_ptr<CSkelmoraMouseDevice> mouse_;
};

}  // namespace mousetest
