// The main window over the emulated devices: discovery shows their items, the selector's
// buttons move between them, the host-light-control switch reaches every device, and the
// close button without a tray ends the program's workers.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "app/automation.h"
#include "app/desktop_settings.h"
#include "app/device_discovery.h"
#include "app/device_manager.h"
#include "app/dpi_layout.h"
#include "app/main_audio.h"
#include "app/main_wnd.h"
#include "app/sync_light_thread.h"
#include "controls/composite_controls.h"
#include "controls/picture_controls.h"
#include "devices/device_option.h"
#include "devices/device_registration.h"
#include "devices/skelmora_hs6533_device.h"
#include "devices/skelmora_usb_device.h"
#include "emulator/emulated_bus.h"
#include "emulator/emulated_headset.h"
#include "panels/color_select_wnd.h"
#include "panels/device_profile_ui.h"
#include "panels/key_set_control_ui.h"
#include "panels/keyboard_settings_panel.h"
#include "panels/light_control_ui.h"
#include "panels/macro_control_ui.h"
#include "panels/magic_control_ui.h"
#include "panels/mouse_settings_ui.h"
#include "panels/voice6533_control_ui.h"
#include "platform/registered_messages.h"
#include "profiles/json_file.h"
#include "support/ui_fixture.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"
#include "ui/menu_wnd.h"
#include "ui/notify_table.h"
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
            RegisterLightControl();
            RegisterProfilePanel();
            RegisterKeySetControl();
            RegisterMacroControl();
            RegisterMouseSettingsPanel();
            RegisterVoice6533Control();
            RegisterMagicControl();
            panels::RegisterKeyboardSettingsPanel();
            registered = true;
        }
    }

    // Starts the window with these devices plugged and waits for discovery to show them.
    void Start(std::initializer_list<const char*> kinds, bool tray = false) {
        std::string error;
        for (const char* kind : kinds) ASSERT_TRUE(bus_->Plug(kind, error)) << error;
        window_ = std::make_unique<CMainWnd>(bus_);
        window_->trayAvailable = [tray] { return tray; };
        window_->broadcast = [this](quint32 number, quint64 w, qint64 l) {
            broadcasts_.push_back({number, w, l});
        };
        ASSERT_TRUE(window_->Create(nullptr, "test"));
        window_->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window_->FirstPassDone(); }, 5000));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return Devices().VisibleItemCount() == static_cast<int>(kinds.size()); }, 5000));
    }

    CDeviceManager& Devices() { return *window_->Devices(); }
    // The selector items connect their devices a moment after their pages show: until then
    // the pages take no settings changes.
    void WaitForConnects() {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                for (auto* device : Devices().AllDevices())
                    if (device->CommandChannel().IsOpened() && !device->IsConnectDone())
                        return false;
                return true;
            },
            5000));
    }
    void Click(const char* name) {
        QWidget* button = window_->FindControl(name);
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    int ShownPage() {
        return qobject_cast<QStackedWidget*>(window_->FindControl("device_switch"))->currentIndex();
    }

    struct Broadcast {
        quint32 number;
        quint64 wParam;
        qint64 lParam;
        bool operator==(const Broadcast&) const = default;
    };
    std::vector<Broadcast> broadcasts_;
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
    EXPECT_TRUE(Devices().DevicesOfKind(kKindKeyboard).front()->IsHostLightControl());
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

namespace {

bool Paused(CDeviceManager& devices) {
    for (int kind : {kKindMouse, kKindKeyboard})
        for (auto* device : devices.DevicesOfKind(kind))
            if (!device->IsStatusRefreshPaused()) return false;
    return true;
}

TEST_F(MainWindowTest, CloseToTrayAndBackWithATray) {
    Start({"keyboard"}, true);
    ASSERT_TRUE(window_->HasTray());
    Click("closebtn");
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(Paused(Devices()));
    EXPECT_FALSE(window_->Discovery()->Finished());  // still running in the tray

    window_->OnTrayLeftClick();
    EXPECT_TRUE(window_->isVisible());
    EXPECT_FALSE(Paused(Devices()));
    EXPECT_EQ(window_->size(), QSize(1000, 640));  // the DPI layout ran

    window_->OnTrayLeftClick();  // visible: back to the tray
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(MainWindowTest, NoDeviceOkMinimisesWithoutATray) {
    Start({"keyboard"});
    ASSERT_FALSE(window_->HasTray());
    QWidget* ok = window_->FindControl("nodevice_ok_btn");
    ASSERT_NE(ok, nullptr);
    TNotifyUI msg{"click", ok};
    window_->Notify(msg);
    EXPECT_TRUE(window_->windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(window_->Discovery()->Finished());
}

TEST_F(MainWindowTest, LightStatusSwitchBroadcastsAndTellsTheWiredKeyboardOnce) {
    Start({"keyboard"});
    auto& firmware = bus_->Device("keyboard")->Firmware();
    const quint32 kEbf16 = platform::kMsgGuid16;
    ASSERT_EQ(broadcasts_, (std::vector<Broadcast>{{kEbf16, 1, 1}}));  // at initialisation
    ASSERT_FALSE(firmware.LightControlNotified());

    Click("control_light_status");
    EXPECT_FALSE(window_->IsHostLightControl());
    EXPECT_FALSE(firmware.LightControlNotified());
    Click("control_light_status");
    EXPECT_TRUE(window_->IsHostLightControl());
    EXPECT_TRUE(firmware.LightControlNotified());
    EXPECT_EQ(broadcasts_,
              (std::vector<Broadcast>{{kEbf16, 1, 1}, {kEbf16, 1, 0}, {kEbf16, 1, 1}}));

    // From another program: the same switch, no broadcast.
    window_->OnRegisteredMessage(platform::kMsgGuid17, 1, 0);
    EXPECT_FALSE(window_->IsHostLightControl());
    EXPECT_EQ(broadcasts_.size(), 3u);
}

TEST_F(MainWindowTest, SuspendHandsTheLightBackAndResumeRestoresTheWindowsState) {
    Start({"keyboard"});
    struct Step {
        const char* what;
        std::function<void()> act;
        bool windowState;
        bool deviceState;
        bool awake;
    };
    const Step steps[] = {
        {"suspend while on", [&] { window_->OnPrepareForSleep(true); }, true, false, false},
        {"resume", [&] { window_->OnPrepareForSleep(false); }, true, true, true},
        {"switched off", [&] { window_->SetHostLightControl(false); }, false, false, true},
        {"suspend while off", [&] { window_->OnPrepareForSleep(true); }, false, false, false},
        {"resume while off", [&] { window_->OnPrepareForSleep(false); }, false, false, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(window_->IsHostLightControl(), step.windowState);
        EXPECT_EQ(window_->IsAwake(), step.awake);
        for (int kind : {kKindMouse, kKindMousePad, kKindKeyboard})
            for (auto* device : Devices().DevicesOfKind(kind))
                EXPECT_EQ(device->IsHostLightControl(), step.deviceState);
    }
}

// The headset's LEDs are fed by its light thread: the switch, another program's message and
// suspend stop its LED reports, and switching back on (or resuming) sends a frame again.
TEST_F(MainWindowTest, HostLightControlAndSuspendStartAndStopTheHeadsetsLedReports) {
    Start({"headset"});
    auto* headset = dynamic_cast<emu::EmulatedHeadset*>(bus_->Device("headset"));
    ASSERT_NE(headset, nullptr);
    const auto reports = [headset] { return headset->Counters().reports; };
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports() > 0; }, 5000)) << "no frame at connect";

    struct Step {
        const char* what;
        std::function<void()> act;
        bool sending;
    };
    const Step steps[] = {
        {"switched off", [&] { Click("control_light_status"); }, false},
        {"switched on", [&] { Click("control_light_status"); }, true},
        {"off from another program",
         [&] { window_->OnRegisteredMessage(platform::kMsgGuid17, 1, 0); }, false},
        {"on from another program",
         [&] { window_->OnRegisteredMessage(platform::kMsgGuid17, 1, 1); }, true},
        {"suspend", [&] { window_->OnPrepareForSleep(true); }, false},
        {"resume", [&] { window_->OnPrepareForSleep(false); }, true},
        {"switched off, then a suspend",
         [&] {
             window_->SetHostLightControl(false);
             window_->OnPrepareForSleep(true);
         },
         false},
        {"resume while off", [&] { window_->OnPrepareForSleep(false); }, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        for (auto* device : Devices().DevicesOfKind(kKindHeadset))
            EXPECT_EQ(device->IsHostLightControl(), step.sending);
        if (step.sending) {
            // The frame goes out at once, though the LEDs did not change.
            const uint64_t before = reports();
            EXPECT_TRUE(QTest::qWaitFor([&] { return reports() >= before + 12; }, 3000));
            continue;
        }
        QTest::qWait(100);  // a pass that had begun ends
        const uint64_t before = reports();
        // Longer than the second after which an unchanged frame is sent again.
        QTest::qWait(static_cast<int>(CSkelmoraHS6533Device::kLedRefreshMs) + 300);
        EXPECT_EQ(reports(), before);
    }
    EXPECT_EQ(headset->Counters().bad, 0u);
}

TEST_F(MainWindowTest, DpiLayoutOnTheOffscreenScreenIs96And1000By640) {
    Start({"keyboard"});
    window_->RunDpiLayout();
    EXPECT_EQ(window_->LayoutDpi(), 96);
    EXPECT_EQ(window_->size(), QSize(1000, 640));
    EXPECT_TRUE(window_->isVisible());
    window_->hide();
    window_->RunDpiLayout();  // a hidden window is laid out but stays hidden
    EXPECT_FALSE(window_->isVisible());
}

TEST(DpiLayoutRule, ScreensAndWindowSizes) {
    struct Case {
        QSize screen;  // device-independent pixels, as QScreen::geometry gives them
        int dpi;
    };
    const Case cases[] = {
        {{1920, 1080}, 144}, {{1366, 768}, 96},  {{1920, 1080}, 144},  // 3840 x 2160 at 200 %
        {{1500, 960}, 96},   {{1501, 961}, 144}, {{1501, 960}, 96},
        {{0, 0}, 96},        {{800, 600}, 96},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            QStringLiteral("%1x%2").arg(c.screen.width()).arg(c.screen.height()).toStdString());
        const int dpi = ChooseLayoutDpi(c.screen);
        EXPECT_EQ(dpi, c.dpi);
        const QSize window = LayoutWindowSize(dpi);
        EXPECT_EQ(window.width() * 96 / dpi, 1000);
        EXPECT_EQ(window.height() * 96 / dpi, 640);
    }
    EXPECT_EQ(LayoutWindowSize(144), QSize(1500, 960));
}

TEST_F(MainWindowTest, GameEventsSwitchTheModeAndTheTimerPutsItBack) {
    Start({"keyboard"});
    WaitForConnects();
    auto* device = Devices().DeviceOfItem(Devices().SelectedItem());
    ASSERT_NE(device, nullptr);
    auto settings = device->GetLightSettingsCopy();
    settings.mode = 0;
    device->SetLightSettings(light::ToWords(settings));
    device->SetSynchroMember(true);
    auto mode = [&] { return device->GetLightSettingsCopy().mode; };
    auto oldMode = [&] { return device->GetLightSettingsCopy().extra[13 - 8]; };

    window_->OnRegisteredMessage(platform::kMsgGameStart, 0, 5);
    EXPECT_EQ(mode(), 5);
    EXPECT_EQ(oldMode(), 1);  // mode 0 is remembered as 1
    EXPECT_FALSE(device->IsSynchroMember());
    EXPECT_TRUE(window_->GameEffectActive());

    struct Ignored {
        quint32 message;
        quint64 wParam;
        qint64 lParam;
    };
    const Ignored ignored[] = {
        {platform::kMsgGameKill, 0, qint64{1} << 40},  // fits the port, not the mode list
        {platform::kMsgGameKill, 0, -1},
        {platform::kMsgGameEnd, 3, 2},  // another wParam changes nothing
    };
    for (const Ignored& i : ignored) {
        window_->OnRegisteredMessage(i.message, i.wParam, i.lParam);
        EXPECT_EQ(mode(), 5);
    }
    window_->OnRegisteredMessage(platform::kMsgGameDeath, 1, 7);  // during the effect
    EXPECT_EQ(mode(), 7);
    EXPECT_EQ(oldMode(), 1);  // still the mode from before the effect

    window_->EndGameEffect();  // timer 1066
    EXPECT_EQ(mode(), 1);
    EXPECT_FALSE(window_->GameEffectActive());
    window_->EndGameEffect();  // nothing to put back
    EXPECT_EQ(mode(), 1);

    window_->OnPrepareForSleep(true);
    window_->OnRegisteredMessage(platform::kMsgGameStart, 0, 9);  // asleep: ignored
    EXPECT_EQ(mode(), 1);
    window_->OnPrepareForSleep(false);

    window_->OnRegisteredMessage(platform::kMsgGameStart, 2, 9);
    EXPECT_EQ(mode(), 9);
    window_->Teardown();  // ending during an effect puts the mode back first
    EXPECT_EQ(mode(), 1);
}

// Every device page's lighting panel: same mode is available with two listed devices only,
// and a game mode past the shown device's own mode list (the headset has nine) is ignored
// while one inside it shows on the panel.
TEST_F(MainWindowTest, LightingPanelsFollowTheListAndTheirModeLists) {
    Start({"keyboard", "headset"});
    WaitForConnects();
    std::vector<CLightControlUI*> panels;
    for (auto* device : Devices().AllDevices()) {
        if (auto* panel = CLightControlUI::OfPage(device)) panels.push_back(panel);
    }
    ASSERT_GE(panels.size(), 2u);
    for (auto* panel : panels) EXPECT_TRUE(panel->IsSameModeAvailable());

    Click("device_select_next");
    auto* headset = Devices().DeviceOfItem(Devices().SelectedItem());
    ASSERT_NE(headset, nullptr);
    ASSERT_EQ(headset->GetKind(), kKindHeadset);
    CLightControlUI* panel = CLightControlUI::OfPage(headset);
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->ModeCount(), 9);
    const uint8_t before = headset->GetLightSettingsCopy().mode;
    window_->OnRegisteredMessage(platform::kMsgGameStart, 0, 15);
    EXPECT_EQ(headset->GetLightSettingsCopy().mode, before);
    EXPECT_FALSE(window_->GameEffectActive());
    window_->OnRegisteredMessage(platform::kMsgGameStart, 0, 4);
    EXPECT_EQ(headset->GetLightSettingsCopy().mode, 4);
    EXPECT_EQ(panel->GetLightMode(), 4);
    window_->EndGameEffect();
    EXPECT_EQ(panel->GetLightMode(), headset->GetLightSettingsCopy().mode);

    std::string error;
    ASSERT_TRUE(bus_->Unplug("headset", error)) << error;
    ASSERT_TRUE(QTest::qWaitFor([&] { return Devices().VisibleItemCount() == 1; }, 5000));
    for (auto* p : panels) EXPECT_FALSE(p->IsSameModeAvailable());
}

TEST_F(MainWindowTest, GameTimerEndsTheEffectFiveSecondsAfterTheLastEvent) {
    Start({"keyboard"});
    WaitForConnects();
    auto* device = Devices().DeviceOfItem(Devices().SelectedItem());
    auto settings = device->GetLightSettingsCopy();
    settings.mode = 3;
    device->SetLightSettings(light::ToWords(settings));
    window_->OnRegisteredMessage(platform::kMsgGameStart, 0, 5);
    ASSERT_TRUE(window_->GameEffectActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->GameEffectActive(); }, 15000));
    EXPECT_EQ(device->GetLightSettingsCopy().mode, 3);
}

TEST_F(MainWindowTest, ToolReportByteForByte) {
    Start({"keyboard"});
    const std::string hex = window_->OnRegisteredMessage(platform::kMsgGuid18, 0, 0);
    ASSERT_EQ(hex.size(), 2048u);
    const std::string head =
        "02000000"
        "03000000"
        "00000000"
        "02000000"
        "04000000"  // 2, 3, 0, 2; four rows
        "00000000"
        "00000000"
        "02000000"  // mouse: ids 0, kind 2
        "0f320000"
        "55500000"
        "01000000"  // keyboard 0x320F 0x5055 1
        "00000000"
        "00000000"
        "03000000"  // mouse pad: ids 0, kind 3
        "760c0000"
        "30160000"
        "07000000";  // headset 0x0C76 0x1630 7
    EXPECT_EQ(hex.substr(0, head.size()), head);
    EXPECT_EQ(hex.substr(head.size()), std::string(2048 - head.size(), '0'));
}

TEST_F(MainWindowTest, WindowRowsNameControlsOfTheLayoutAndTheMenu) {
    Start({"keyboard"});
    // Rows of controls that the device pages carry (their issues add them).
    const QStringList onPages{"keyset_keyboard_text_edit", "windowdeviceset_", "music_setting_btn"};
    for (std::size_t i = 0; i < CMainWnd::kNotifyRowCount; ++i) {
        const auto& row = CMainWnd::kNotifyRows[i];
        if (!row.control || onPages.contains(QLatin1String(row.control))) continue;
        SCOPED_TRACE(row.control);
        EXPECT_NE(window_->FindControl(QLatin1String(row.control)), nullptr);
    }
    QMenu* menu = CMenuWnd::Build("menu.xml", window_.get(), [](const QString&) {});
    ASSERT_NE(menu, nullptr);
    QStringList items;
    for (QAction* action : menu->actions())
        if (!action->isSeparator()) items << action->objectName();
    EXPECT_EQ(items, (QStringList{"setwnd_menu", "about_menu", "exit"}));
}

TEST_F(MainWindowTest, RowsDispatchByNameNumberedPrefixAndDropTheIgnoredTypes) {
    Start({"keyboard"});
    QWidget probe(window_.get());
    struct Case {
        const char* type;
        const char* name;
        bool handledByWindow;
    };
    const Case cases[] = {
        {"click_wpremove", "anything", true},
        {"click_wpedit", "key_3", true},
        {"click", "windowdeviceset_7", true},
        {"click", "windowdeviceset_x", false},
        {"setfocus", "keyset_keyboard_text_edit", true},
        {"click", "unknown_control", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.name);
        probe.setObjectName(QLatin1String(c.name));
        TNotifyUI msg{QLatin1String(c.type), &probe};
        EXPECT_EQ(
            ui::DispatchNotify(window_.get(),
                               std::span(CMainWnd::kNotifyRows, CMainWnd::kNotifyRowCount), msg),
            c.handledByWindow);
    }
    EXPECT_TRUE(window_->IsMacroHookOn());
    probe.setObjectName("keyset_keyboard_text_edit");
    TNotifyUI blur{"killfocus", &probe};
    window_->Notify(blur);
    EXPECT_FALSE(window_->IsMacroHookOn());
}

TEST_F(MainWindowTest, SyncThreadWithoutMembersWritesNothingAndMembersStepAtTheThreshold) {
    Start({"keyboard"});
    auto* keyboard = Devices().DevicesOfKind(kKindKeyboard).front();
    ASSERT_TRUE(keyboard->CommandChannel().IsOpened());
    CSyncLightEngine engine;
    for (auto* device : Devices().AllDevices()) engine.AddCandidate(device);
    keyboard->SetSynchroMember(false);
    EXPECT_EQ(engine.Pass(0), 1000u);  // looks again in a second
    EXPECT_EQ(engine.StepCount(), 0u);

    keyboard->SetSynchroMember(true);
    struct Case {
        uint8_t speed;
        uint32_t ticks;
    };
    for (const Case c : {Case{4, 7}, Case{0, 28}}) {
        SCOPED_TRACE(c.speed);
        light::SyncSettings settings;
        settings.mode = light::kSyncStatic;
        settings.speed = c.speed;
        settings.brightness = 4;
        settings.colour = {1, 2, 3};
        engine.Settings().Store(settings);
        keyboard->SetLed(0, 0, 0);
        const uint64_t before = engine.StepCount();
        uint32_t now = 100000u * (c.speed + 1);
        engine.Pass(now);  // the count starts
        EXPECT_EQ(engine.Pass(now + (c.ticks - 1) * light::kTickMs), light::kTickMs);
        EXPECT_EQ(engine.StepCount(), before);
        EXPECT_EQ(engine.Pass(now + c.ticks * light::kTickMs), c.ticks * light::kTickMs);
        EXPECT_EQ(engine.StepCount(), before + 1);
        EXPECT_EQ(keyboard->GetLed(0).first, 0xFF030201u);
        // Without a member the count stops; it starts again with the next member.
        keyboard->SetSynchroMember(false);
        EXPECT_EQ(engine.Pass(0), 1000u);
        keyboard->SetSynchroMember(true);
    }
}

}  // namespace

namespace {

TEST(DesktopSettings, CommandByDesktopAndWhatIsInstalled) {
    struct Case {
        const char* desktop;
        bool mouse;
        QStringList installed;
        const char* program;  // nullptr: none
        QStringList arguments;
    };
    const Case cases[] = {
        {"GNOME", true, {"gnome-control-center"}, "gnome-control-center", {"mouse"}},
        {"ubuntu:GNOME", false, {"gnome-control-center"}, "gnome-control-center", {"keyboard"}},
        {"KDE", true, {"systemsettings"}, "systemsettings", {"kcm_mouse"}},
        {"XFCE", false, {"xfce4-keyboard-settings"}, "xfce4-keyboard-settings", {}},
        {"X-Cinnamon", true, {"cinnamon-settings"}, "cinnamon-settings", {"mouse"}},
        {"MATE", true, {"mate-mouse-properties"}, "mate-mouse-properties", {}},
        {"GNOME", true, {}, nullptr, {}},                       // not installed
        {"sway", true, {"gnome-control-center"}, nullptr, {}},  // a desktop without a table row
        {"", true, {"systemsettings"}, nullptr, {}},
        {"Unity:KDE", true, {"systemsettings"}, "systemsettings", {"kcm_mouse"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desktop);
        const auto command = ChooseDesktopSettingsCommand(
            QLatin1String(c.desktop), c.mouse,
            [&](const QString& program) { return c.installed.contains(program); });
        if (!c.program) {
            EXPECT_FALSE(command.has_value());
            continue;
        }
        ASSERT_TRUE(command.has_value());
        EXPECT_EQ(command->program, QLatin1String(c.program));
        EXPECT_EQ(command->arguments, c.arguments);
    }
}

}  // namespace

namespace {

TEST_F(MainWindowTest, AutomationRequestsActOnTheWindowAndTheShownPageOnly) {
    Start({"keyboard", "headset"});
    WaitForConnects();
    CAutomation automation(*window_);
    auto run = [&](const char* request) { return automation.Handle(request); };
    struct Case {
        const char* request;
        bool ok;
        const char* text;  // the reply, or a part of the refusal
    };
    const Case cases[] = {
        {"show headset:voice", true, "ok"},
        {"get device_profile_name_edit", true, ""},  // the headset page's own, shown
        {"show mousepad", false, "no mousepad is shown"},
        {"show headset:nowhere", false, "no tab"},
        {"click nothing_of_that_name", false, "no control"},
        {"click No_device_Link", false, "is hidden or disabled"},
        {"get nodevice_ok_btn", true, ""},  // hidden controls can be read
        {"value control_light_status 3", false, "not a slider"},
        {"item device_profile_combo 99", false, "row 99 is not in"},
        {"item device_profile_combo", false, "wrong number of arguments"},
        {"click", false, "no control name"},
        {"dance closebtn", false, "unknown request"},
        {"power nap", false, "power suspend"},
        {"power suspend", true, "ok"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        const auto result = run(c.request);
        EXPECT_EQ(result.ok, c.ok) << result.text;
        EXPECT_NE(result.text.find(c.text), std::string::npos) << result.text;
    }
    EXPECT_EQ(Devices().DeviceOfItem(Devices().SelectedItem())->GetKind(), kKindHeadset);
    EXPECT_FALSE(window_->IsAwake());
    EXPECT_TRUE(run("power resume").ok);

    // A click is queued: it is done once the reply has gone, through the usual notification.
    const bool before = window_->IsHostLightControl();
    ASSERT_TRUE(run("click control_light_status").ok);
    EXPECT_EQ(window_->IsHostLightControl(), before);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->IsHostLightControl() != before; }, 2000));
    EXPECT_EQ(broadcasts_.back().lParam, before ? 0 : 1);
    EXPECT_EQ(QString::fromStdString(run("get control_light_status").text),
              ui::GetText(window_->FindControl("control_light_status")));
}

}  // namespace

namespace {

TEST_F(MainWindowTest, AboutWindowIsModalOnceAndClosesWithTheWindowToTheTray) {
    Start({"keyboard"}, true);
    bool checked = false;
    QTimer::singleShot(0, window_.get(), [&] {
        QWidget* about = window_->SecondaryWindow(CMainWnd::kAboutWindow);
        ASSERT_NE(about, nullptr);
        EXPECT_TRUE(about->isVisible());
        EXPECT_EQ(about->size(), QSize(CMainWnd::kWidth, CMainWnd::kHeight));
        window_->OnMenuItem("about_menu");  // a second open does nothing
        EXPECT_EQ(window_->SecondaryWindow(CMainWnd::kAboutWindow), about);
        checked = true;
        window_->HideToTray();  // closes the secondary windows
    });
    window_->OnMenuItem("about_menu");  // modal: returns once it is closed
    EXPECT_TRUE(checked);
    EXPECT_EQ(window_->SecondaryWindow(CMainWnd::kAboutWindow), nullptr);
    EXPECT_FALSE(window_->isVisible());
}

}  // namespace

namespace {

TEST_F(MainWindowTest, ThePaletteDialogIsASecondaryWindowOfTheMainWindow) {
    Start({"keyboard"}, true);
    std::optional<uint32_t> picked = 0xFF123456u;
    QTimer::singleShot(0, window_.get(), [&] {
        CColorSelectWnd* dialog = CColorSelectWnd::OpenDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(window_->SecondaryWindow(CMainWnd::kPaletteWindow), dialog);
        EXPECT_EQ(dialog->parentWidget(), window_.get());
        window_->ApplyLanguage(0);  // the language message reaches it and repaints it
        window_->HideToTray();      // closes the secondary windows: a cancel
    });
    picked = CColorSelectWnd::PickColour(nullptr, 0xFF0099FFu);
    EXPECT_EQ(picked, std::nullopt);
    EXPECT_EQ(window_->SecondaryWindow(CMainWnd::kPaletteWindow), nullptr);
}

// Resetting a profile restores the audio styles from the shipped file, whatever the device.
TEST_F(MainWindowTest, AProfileResetRestoresTheAudioStyles) {
    Start({"keyboard"});
    const profiles::AudioFilePaths paths = CMainAudio::ProgramAudioFilePaths();
    std::filesystem::create_directories(paths.user.parent_path());
    {
        std::ofstream user(paths.user, std::ios::trunc);
        user << R"({"Device":{"AudioLightInfo":[{"Name":"mine"}]}})";
        ASSERT_TRUE(user.good());
    }
    auto* device = Devices().DevicesOfKind(kKindKeyboard).front();
    auto* panel = device->findChild<CDeviceProfileUI*>(QLatin1String(CDeviceProfileUI::kItemName));
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(panel->ResetProfile());
    const Json::Value shipped = profiles::JsonFile().ReadDocument(paths.shipped);
    ASSERT_TRUE(shipped.isObject());
    EXPECT_EQ(profiles::JsonFile().ReadDocument(paths.user), shipped);
}

}  // namespace
