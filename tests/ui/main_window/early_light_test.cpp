// A lighting change made on a device page before the device's connect has loaded its profile
// (the selector item connects the device a moment after its page appears): the change is laid
// over the loaded profile, so the profile file, the panel and the device all keep it.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

#include "app/device_manager.h"
#include "app/main_wnd.h"
#include "devices/device_option.h"
#include "devices/skelmora_usb_device.h"
#include "emulator/emulated_bus.h"
#include "panels/light_control_ui.h"
#include "profiles/basic_profiledata.h"
#include "support/program_controls.h"
#include "support/ui_fixture.h"
#include "tables/device_tables.h"
#include "tables/table_ids.h"
#include "ui/control_props.h"
#include "ui/control_timers.h"

namespace {

struct EarlyCase {
    const char* kind;
    int mode;  // a mode the device's default profile does not hold
};

class LightBeforeConnect : public uitest::AppFixture,
                           public ::testing::WithParamInterface<EarlyCase> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        qputenv("XDG_DATA_HOME", home_.filePath("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
        uitest::UseProgramSkinAndControls();
        // The mouse's and the pad's rows of the shipped tables name no device: give them the
        // emulated ones' ids.
        const std::string implied = tables::EmulatedTableIds(GetParam().kind);
        std::vector<tables::TableIdOverride> ids;
        std::string error;
        ASSERT_TRUE(implied.empty() || tables::ParseTableIds(implied, ids, error)) << error;
        tables::ApplyTableIds(ids);
    }
    void TearDown() override {
        window_.reset();
        RestoreShippedInterfaceTable();
        ui::SetResourcePath(QString());
    }

    static profiles::LightInfo LightOfFile(const QString& path) {
        profiles::CBasicProfiledata data;
        data.SetElementIndex(0);
        data.Load(path.toStdString());
        return data.ReadLightInfo();
    }

    QTemporaryDir home_;
    std::shared_ptr<emu::EmulatedBus> bus_ = emu::EmulatedBus::Create();
    std::unique_ptr<CMainWnd> window_;
};

TEST_P(LightBeforeConnect, AModeChosenBeforeTheProfileLoadsIsKept) {
    std::string error;
    ASSERT_TRUE(bus_->Plug(GetParam().kind, error)) << error;
    window_ = std::make_unique<CMainWnd>(bus_);
    window_->trayAvailable = [] { return false; };
    ASSERT_TRUE(window_->Create(nullptr, "test"));
    window_->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->Devices()->VisibleItemCount() == 1; }, 5000));
    CDeviceManager& devices = *window_->Devices();
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
