// A lighting change made on a device page before the device's connect has loaded its profile
// (the selector item connects the device a moment after its page appears): the change is laid
// over the loaded profile, so the profile file, the panel and the device all keep it.
#include <gtest/gtest.h>

#include <QTest>

#include "devices/device_option.h"
#include "devices/skelmora_usb_device.h"
#include "one_device_window.h"
#include "panels/light_control_ui.h"
#include "profiles/basic_profiledata.h"
#include "ui/control_props.h"
#include "ui/control_timers.h"

namespace {

struct EarlyCase {
    const char* kind;
    int mode;  // a mode the device's default profile does not hold
};

class LightBeforeConnect : public uitest::OneDeviceWindow,
                           public ::testing::WithParamInterface<EarlyCase> {
  protected:
    static profiles::LightInfo LightOfFile(const QString& path) {
        profiles::CBasicProfiledata data;
        data.SetElementIndex(0);
        data.Load(path.toStdString());
        return data.ReadLightInfo();
    }
};

TEST_P(LightBeforeConnect, AModeChosenBeforeTheProfileLoadsIsKept) {
    Start(GetParam().kind);
    if (HasFatalFailure()) return;
    CDeviceManager& devices = Devices();
    CDeviceOptionUI* item = devices.Item(devices.SelectedItem());
    CSkelmoraUSBDevice* device = devices.DeviceOfItem(devices.SelectedItem());
    ASSERT_NE(item, nullptr);
    ASSERT_NE(device, nullptr);
    // The page shows and its device is not connected yet: nothing runs between here and the
    // change below, so the change comes before the profile's load.
    ASSERT_TRUE(ui::IsTimerActive(item, CDeviceOptionUI::kConnectTimer));
    CLightControlUI* panel = CLightControlUI::OfPage(device);
    ASSERT_NE(panel, nullptr);

    const int mode = GetParam().mode;
    QWidget* combo = panel->findChild<QWidget*>(QStringLiteral("light_combo_modeSelect"));
    ASSERT_NE(combo, nullptr);
    ui::SelectItem(combo, mode);
    TNotifyUI msg;
    msg.sType = QString::fromLatin1(notify_type::kItemSelect);
    msg.pSender = combo;
    device->Notify(msg);

    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return ui::IsTimerActive(item, CDeviceOptionUI::kFrameTimer); }, 5000))
        << "the device did not connect";
    ASSERT_NE(LightOfFile(device->GetDefaultProfileFile()).mode, mode)
        << "the default profile already holds the mode: the case shows nothing";
    const QString profile =
        device->GetUserDataFolder() + device->GetProfileBaseName() + QStringLiteral(".Json");
    EXPECT_EQ(LightOfFile(profile).mode, mode) << profile.toStdString();
    EXPECT_EQ(device->GetLightSettingsCopy().mode, mode);
    EXPECT_EQ(panel->GetLightMode(), mode);
}

INSTANTIATE_TEST_SUITE_P(Devices, LightBeforeConnect,
                         ::testing::Values(EarlyCase{"mousepad", 3}, EarlyCase{"mouse", 3},
                                           EarlyCase{"keyboard", 3}, EarlyCase{"headset", 3}),
                         [](const auto& info) { return std::string(info.param.kind); });

}  // namespace
