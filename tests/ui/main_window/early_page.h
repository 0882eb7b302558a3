#pragma once
// A device page as it first shows, before its device connects (the selector item connects it a
// moment later): for tests of changes made on the page in that moment.
#include <gtest/gtest.h>

#include <QTest>

#include "devices/device_option.h"
#include "devices/skelmora_usb_device.h"
#include "one_device_window.h"
#include "panels/light_control_ui.h"
#include "profiles/basic_profiledata.h"
#include "ui/control_props.h"
#include "ui/control_timers.h"

namespace uitest {

class EarlyPage : public OneDeviceWindow {
  public:
    // Shows the device's page; its device is not connected yet. Nothing runs between here and
    // the test's next steps, so they come before the profile's load.
    void StartBeforeConnect(const char* kind) {
        Start(kind);
        if (HasFatalFailure()) return;
        CDeviceManager& devices = Devices();
        item_ = devices.Item(devices.SelectedItem());
        device_ = devices.DeviceOfItem(devices.SelectedItem());
        ASSERT_NE(item_, nullptr);
        ASSERT_NE(device_, nullptr);
        ASSERT_TRUE(ui::IsTimerActive(item_, CDeviceOptionUI::kConnectTimer));
        ASSERT_FALSE(device_->IsConnectDone());
        panel_ = CLightControlUI::OfPage(device_);
        ASSERT_NE(panel_, nullptr);
    }

    QWidget* Control(const char* name) const {
        return panel_->findChild<QWidget*>(QString::fromLatin1(name));
    }

    // The notification the control gives, routed as the window routes it: through the device.
    void Send(const char* type, const char* name) {
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(type);
        msg.pSender = Control(name);
        ASSERT_NE(msg.pSender, nullptr) << name;
        device_->Notify(msg);
    }

    void WaitForConnect() {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return ui::IsTimerActive(item_, CDeviceOptionUI::kFrameTimer); }, 5000))
            << "the device did not connect";
        ASSERT_TRUE(device_->IsConnectDone());
    }

    QString UserProfile() const {
        return device_->GetUserDataFolder() + device_->GetProfileBaseName() +
               QStringLiteral(".Json");
    }

    // The profile element 0 of a file, as the device reads it.
    template <typename Data = profiles::CBasicProfiledata>
    static Data ProfileOf(const QString& path) {
        Data data;
        data.SetElementIndex(0);
        data.Load(path.toStdString());
        return data;
    }

    CDeviceOptionUI* item_ = nullptr;
    CSkelmoraUSBDevice* device_ = nullptr;
    CLightControlUI* panel_ = nullptr;
};

}  // namespace uitest
