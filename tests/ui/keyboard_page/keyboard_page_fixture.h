#pragma once
// The keyboard page built from the shipped skin, hosted in a window whose notifications go to
// the keyboard, with its profile in a temporary data folder and, when a test asks, its command
// channel on an emulated keyboard.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "controls/composite_controls.h"
#include "controls/picture_controls.h"
#include "devices/device_registration.h"
#include "devices/device_test_support.h"
#include "devices/skelmora_keyboard_device.h"
#include "panels/device_profile_ui.h"
#include "panels/key_set_control_ui.h"
#include "panels/keyboard_settings_panel.h"
#include "panels/macro_control_ui.h"
#include "panels/light_control_ui.h"
#include "ui/control_factory.h"
#include "ui/layout_loader.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_resources.h"

namespace kbtest {

inline constexpr char kPage[] = "XML/DeviceXml/keyboarddevice.xml";

class KeyboardPage : public devtest::EmulatedKeyboard {
  protected:
    void SetUp() override {
        devtest::EmulatedKeyboard::SetUp();
        ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT "/skin"));
        controls::RegisterPictureControls(CControlFactory::GetInstance());
        RegisterDeviceControls();
        controls::RegisterCompositeControls(CControlFactory::GetInstance());
        RegisterProfilePanel();
        panels::RegisterKeyboardSettingsPanel();
        RegisterKeySetControl();
        RegisterMacroControl();
        RegisterLightControl();
        CResourceManager::GetInstance().LoadLanguage("lan_en.xml");
        ASSERT_TRUE(home_.isValid());

        host_ = std::make_unique<QWidget>();
        manager_ = new CPaintManagerUI(host_.get());
        BuildResult page = CDialogBuilder::Create(kPage);
        ASSERT_TRUE(page) << page.error.toStdString();
        device_ = qobject_cast<CSkelmoraKeyboardDevice*>(page.root);
        ASSERT_NE(device_, nullptr);
        manager_->AttachDialog(device_);
        manager_->AddNotifier(device_);
        device_->SetBackend(bus_);
        device_->SetPageLayoutPath(kPage);
        device_->SetCounts(170, 170);
        device_->BindPageControls();
        host_->resize(600, 488);
        host_->show();
    }

    void TearDown() override {
        if (device_) device_->StopWorkerThreads();
        host_.reset();
        ui::SetResourcePath(QString());
    }

    // A profile file holding only the keyboard's system stages, loaded into the keyboard.
    void LoadProfileWithStages(const QByteArray& stagesJson) {
        profilePath_ = home_.filePath("keyboard.Json");
        QFile file(profilePath_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("{\"Device\":[{\"SystemStages\":" + stagesJson + "}]}");
        file.close();
        profiles::CKeyboardProfiledata& profile = device_->Profiledata();
        profile.SetDefaultPath(
            QStringLiteral(SKELMORA_SOURCE_ROOT "/DefaultData/keyboard.Json").toStdString());
        profile.SetProfilePath(profilePath_.toStdString());
        profile.Load(profilePath_.toStdString());
        device_->ShowSystemStages();
    }

    QByteArray ProfileBytes() const {
        QFile file(profilePath_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    template <typename T = QWidget>
    T* Control(const QString& name) const {
        return qobject_cast<T*>(CPaintManagerUI::FindSubControlByName(device_, name));
    }

    QTemporaryDir home_;
    QString profilePath_;
    std::unique_ptr<QWidget> host_;
    CPaintManagerUI* manager_ = nullptr;
    CSkelmoraKeyboardDevice* device_ = nullptr;
};

}  // namespace kbtest
