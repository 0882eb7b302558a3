// The main window over the emulated devices: discovery shows their items, the selector's
// buttons move between them, the host-light-control switch reaches every device, and the
// close button without a tray ends the program's workers.
#include <gtest/gtest.h>

#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include "app/device_discovery.h"
#include "app/device_manager.h"
#include "app/main_wnd.h"
#include "controls/composite_controls.h"
#include "controls/picture_controls.h"
#include "devices/device_option.h"
#include "devices/device_registration.h"
#include "devices/skelmora_usb_device.h"
#include "emulator/emulated_bus.h"
#include "panels/device_profile_ui.h"
#include "panels/key_set_control_ui.h"
#include "panels/keyboard_settings_panel.h"
#include "panels/macro_control_ui.h"
#include "panels/mouse_settings_ui.h"
#include "platform/registered_messages.h"
#include "support/ui_fixture.h"
#include "ui/control_factory.h"
#include "ui/resource_list.h"

namespace {

class MainWindowTest : public uitest::AppFixture {
  protected:
    void SetUp() override {
        qputenv("XDG_DATA_HOME", home_.filePath("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
        ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
        CResourceList::GetInstance().Load();
        static bool registered = false;
        if (!registered) {
            controls::RegisterPictureControls(CControlFactory::GetInstance());
            RegisterDeviceControls();
            controls::RegisterCompositeControls(CControlFactory::GetInstance());
            RegisterProfilePanel();
            RegisterKeySetControl();
            RegisterMacroControl();
            RegisterMouseSettingsPanel();
            panels::RegisterKeyboardSettingsPanel();
            registered = true;
        }
    }

    // Starts the window with these devices plugged and waits for discovery to show them.
    void Start(std::initializer_list<const char*> kinds) {
        std::string error;
        for (const char* kind : kinds) ASSERT_TRUE(bus_->Plug(kind, error)) << error;
        window_ = std::make_unique<CMainWnd>(bus_);
        ASSERT_TRUE(window_->Create(nullptr, "test"));
        window_->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window_->FirstPassDone(); }, 5000));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return Devices().VisibleItemCount() == static_cast<int>(kinds.size()); }, 5000));
    }

    CDeviceManager& Devices() { return *window_->Devices(); }
    void Click(const char* name) {
        QWidget* button = window_->FindControl(name);
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    int ShownPage() {
        return qobject_cast<QStackedWidget*>(window_->FindControl("device_switch"))->currentIndex();
    }

    QTemporaryDir home_;
    std::shared_ptr<emu::EmulatedBus> bus_ = emu::EmulatedBus::Create();
    std::unique_ptr<CMainWnd> window_;
};

TEST_F(MainWindowTest, SelectorButtonsMoveBetweenVisibleItems) {
    Start({"keyboard", "headset"});
    const int keyboard = Devices().SelectedItem();
    ASSERT_GE(keyboard, 0);
    EXPECT_EQ(Devices().DeviceOfItem(keyboard)->GetKind(), kKindKeyboard);
    const int keyboardPage = ShownPage();

    Click("device_select_next");
    const int headset = Devices().SelectedItem();
    EXPECT_NE(headset, keyboard);
    EXPECT_EQ(Devices().DeviceOfItem(headset)->GetKind(), kKindHeadset);
    EXPECT_NE(ShownPage(), keyboardPage);

    Click("device_select_next");  // at the end nothing changes
    EXPECT_EQ(Devices().SelectedItem(), headset);
    Click("device_select_prev");
    EXPECT_EQ(Devices().SelectedItem(), keyboard);
    EXPECT_EQ(ShownPage(), keyboardPage);
}

TEST_F(MainWindowTest, HidingTheSelectedItemSelectsAnotherAndTheLastShowsNoDevice) {
    Start({"keyboard", "headset"});
    const int keyboard = Devices().SelectedItem();
    window_->OnSelectorVisibility(keyboard, 0);
    EXPECT_FALSE(Devices().Item(keyboard)->IsShown());
    const int other = Devices().SelectedItem();
    ASSERT_GE(other, 0);
    EXPECT_NE(other, keyboard);
    EXPECT_FALSE(window_->FindControl("No_device_Link")->isVisibleTo(window_.get()));

    window_->OnSelectorVisibility(other, 0);
    EXPECT_EQ(Devices().VisibleItemCount(), 0);
    EXPECT_TRUE(window_->FindControl("No_device_Link")->isVisibleTo(window_.get()));

    window_->OnSelectorVisibility(keyboard, 1);  // shown again, and selected: none was visible
    EXPECT_EQ(Devices().SelectedItem(), keyboard);
}

TEST_F(MainWindowTest, HostLightControlReachesEveryDeviceAndTellsTheWiredKeyboardWhenOn) {
    Start({"keyboard"});
    auto& firmware = bus_->Device("keyboard")->Firmware();
    window_->OnRegisteredMessage(platform::kMsgGuid17, 1, 0);
    EXPECT_FALSE(window_->IsHostLightControl());
    for (auto* device : Devices().DevicesOfKind(kKindKeyboard)) {
        EXPECT_FALSE(device->IsHostLightControl());
    }
    EXPECT_FALSE(firmware.LightControlNotified());

    window_->OnRegisteredMessage(platform::kMsgGuid17, 1, 1);
    EXPECT_TRUE(window_->IsHostLightControl());
    EXPECT_TRUE(Devices().DevicesOfKind(kKindMouse).front()->IsHostLightControl());
    EXPECT_TRUE(firmware.LightControlNotified());

    window_->OnRegisteredMessage(platform::kMsgGuid17, 2, 0);  // another wParam: ignored
    EXPECT_TRUE(window_->IsHostLightControl());
}

TEST_F(MainWindowTest, CloseButtonWithoutATrayEndsTheWorkers) {
    Start({"keyboard"});
    Click("closebtn");
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(window_->Discovery()->Finished());
    for (auto* device : Devices().AllDevices()) EXPECT_FALSE(device->IsLightThreadRunning());
}

}  // namespace
