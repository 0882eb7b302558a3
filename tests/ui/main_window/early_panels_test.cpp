// A device page's settings before its device has connected (the selector item connects it a
// moment after the page shows, and the connect loads the profile a change would go into):
// every panel but the lighting panel waits for the connect, disabled, so a click changes
// nothing in the profile file or the device; once connected the same click reaches both. The
// requests of other programs that would change the device wait too, or are refused, or are
// ignored and logged.
#include <gtest/gtest.h>

#include <QDir>
#include <ostream>
#include <vector>

#include "app/automation.h"
#include "app/main_wnd.h"
#include "early_page.h"
#include "emulator/command_firmware.h"
#include "hid/command_report.h"
#include "panels/device_profile_ui.h"
#include "panels/profile_link_follower.h"
#include "platform/registered_messages.h"
#include "profiles/keyboard_profiledata.h"
#include "profiles/mouse_profiledata.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace {

using uitest::EarlyPage;

class PanelsBeforeConnect : public EarlyPage {
  public:
    QWidget* Named(const char* name) const {
        return CPaintManagerUI::FindSubControlByName(device_, QString::fromLatin1(name));
    }
    emu::CommandFirmware& Firmware() const { return bus_->Device(kind_)->Firmware(); }
    CDeviceProfileUI* ProfilePanel() const {
        return device_->findChild<CDeviceProfileUI*>(QLatin1String(CDeviceProfileUI::kItemName));
    }
    // A user's click: a control that is not shown cannot be clicked.
    void Click(const char* name) {
        QWidget* control = Named(name);
        ASSERT_NE(control, nullptr) << name;
        if (control->isVisible()) QTest::mouseClick(control, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    void Open(const char* kind) {
        kind_ = kind;
        StartBeforeConnect(kind);
    }

    std::string kind_;
};

// ---- Which parts wait ----

struct GateCase {
    const char* kind;
    std::vector<const char*> waiting;  // disabled until the connect
    std::vector<const char*> open;     // the lighting panel and the page's tabs
};
void PrintTo(const GateCase& c, std::ostream* out) { *out << c.kind; }

const char* const kProfileControls[] = {"device_profile_combo", "device_profile_name_edit",
                                        "device_profile_edit_save_btn", "profile_fun_spread_btn",
                                        "profile_menu_layout"};

const GateCase kGateCases[] = {
    {"keyboard",
     {"KeySetControlItem", "MacroControlItem", "kb_system_settings"},
     {"LightControlItem", "deng_Op_tab", "key_Op_tab", "system_Op_tab", "device_key_light"}},
    {"mouse",
     {"MouseSettingsItem", "KeySetControlItem", "MacroControlItem", "ShootControlItem"},
     {"LightControlItem", "mouse_device_seting_option_1", "mouse_device_key_light"}},
    {"mousepad", {}, {"LightControlItem"}},
    {"headset",
     {"Voice6533ControlItem", "MagicControlItem", "VirtualSetControlUI"},
     {"LightControlItem", "6533_voice_Op_tab", "deng_Op_tab"}},
};

class PanelGate : public PanelsBeforeConnect, public ::testing::WithParamInterface<GateCase> {
  protected:
    void ExpectEnabled(bool waitingEnabled) {
        std::vector<const char*> waiting = GetParam().waiting;
        waiting.insert(waiting.end(), std::begin(kProfileControls), std::end(kProfileControls));
        for (const char* name : waiting) {
            QWidget* part = Named(name);
            ASSERT_NE(part, nullptr) << name;
            EXPECT_EQ(part->isEnabled(), waitingEnabled) << name;
        }
        for (const char* name : GetParam().open) {
            QWidget* part = Named(name);
            ASSERT_NE(part, nullptr) << name;
            EXPECT_TRUE(part->isEnabled()) << name;
        }
        // The page's state says connecting while the settings wait, connected after.
        QWidget* state = Named(CSkelmoraUSBDevice::kPageStateName);
        ASSERT_NE(state, nullptr);
        const char* id = waitingEnabled ? CSkelmoraUSBDevice::kConnectedText
                                        : CSkelmoraUSBDevice::kConnectingText;
        EXPECT_EQ(ui::GetText(state).toStdString(),
                  CResourceManager::GetInstance().GetText(QLatin1String(id)).toStdString());
        EXPECT_NE(ui::GetText(state), QLatin1String(id)) << "no text for " << id;
    }
};

TEST_P(PanelGate, SettingsPanelsWaitForTheConnectAndAgainAfterAReplug) {
    Open(GetParam().kind);
    if (HasFatalFailure()) return;
    ExpectEnabled(false);

    WaitForConnect();
    if (HasFatalFailure()) return;
    ExpectEnabled(true);

    std::string error;
    ASSERT_TRUE(bus_->Unplug(GetParam().kind, error)) << error;
    ASSERT_TRUE(QTest::qWaitFor([&] { return Devices().VisibleItemCount() == 0; }, 5000));
    EXPECT_FALSE(device_->IsConnectDone());
    ExpectEnabled(false);

    ASSERT_TRUE(bus_->Plug(GetParam().kind, error)) << error;
    ASSERT_TRUE(QTest::qWaitFor([&] { return Devices().VisibleItemCount() == 1; }, 5000));
    EXPECT_FALSE(device_->IsConnectDone());
    ExpectEnabled(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return device_->IsConnectDone(); }, 5000));
    ExpectEnabled(true);
}

INSTANTIATE_TEST_SUITE_P(Devices, PanelGate, ::testing::ValuesIn(kGateCases),
                         [](const auto& info) { return std::string(info.param.kind); });

// ---- A change before and after the connect ----

struct ChangeCase {
    const char* name;
    const char* kind;
    std::vector<const char*> first;  // clicked first: tabs, a menu (never the change itself)
    const char* control;             // the click that changes the setting
    int changed;                     // the value the click gives
    int (*inFile)(PanelsBeforeConnect&);
    int (*inDevice)(PanelsBeforeConnect&);  // nullptr: the device does not hold it
};
void PrintTo(const ChangeCase& c, std::ostream* out) { *out << c.name; }

const ChangeCase kChangeCases[] = {
    {"KeyboardPollingRate",
     "keyboard",
     {"system_Op_tab"},
     "polling_rate_option_2",
     2,
     [](PanelsBeforeConnect& page) {
         return int{page.ProfileOf<profiles::CKeyboardProfiledata>(page.UserProfile())
                        .ReadSystemStages()
                        .polling_rate};
     },
     [](PanelsBeforeConnect& page) {  // the polling byte of parameter record 0
         return int{page.Firmware().Area(hid::kCmdWriteParameters)[22]};
     }},
    {"MouseReportRate",
     "mouse",
     {"mouse_device_seting_option_1"},
     "polling_rate_option_2",
     2,
     [](PanelsBeforeConnect& page) {
         return int{page.ProfileOf<profiles::CMouseProfiledata>(page.UserProfile())
                        .ReadMouseSystemStages()
                        .report_rate_stage};
     },
     [](PanelsBeforeConnect& page) {  // the report rate byte of slot 0's block
         return int{(*page.Firmware().Dump(emu::AreaId::Params))[11]};
     }},
    {"PadProfileAdded",
     "mousepad",
     {"profile_fun_spread_btn"},
     "device_add_btn",
     2,
     [](PanelsBeforeConnect& page) { return page.ProfilePanel()->GetProfileCount(); },
     nullptr},
};

class SettingChange : public PanelsBeforeConnect,
                      public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(SettingChange, AClickBeforeTheConnectChangesNothingAndAfterItReachesFileAndDevice) {
    const ChangeCase& c = GetParam();
    Open(c.kind);
    if (HasFatalFailure()) return;
    const int deviceBefore = c.inDevice ? c.inDevice(*this) : 0;
    for (const char* name : c.first) Click(name);
    Click(c.control);
    if (HasFatalFailure()) return;

    WaitForConnect();
    if (HasFatalFailure()) return;
    ASSERT_NE(c.inFile(*this), c.changed) << "the profile holds the value already";
    if (c.inDevice) {
        EXPECT_EQ(c.inDevice(*this), deviceBefore);
    }
    ASSERT_NE(deviceBefore, c.changed) << "the device holds the value already";

    for (const char* name : c.first) Click(name);
    ASSERT_TRUE(Named(c.control)->isVisible()) << c.control;
    ASSERT_TRUE(Named(c.control)->isEnabled()) << c.control;
    Click(c.control);
    EXPECT_EQ(c.inFile(*this), c.changed) << UserProfile().toStdString();
    if (c.inDevice) {
        EXPECT_EQ(c.inDevice(*this), c.changed);
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, SettingChange, ::testing::ValuesIn(kChangeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Requests of other programs ----

// An automation request that would change a waiting setting is refused, saying why; the
// lighting panel's are taken. Once connected the setting's request is taken.
TEST_F(PanelsBeforeConnect, AutomationIsToldToTryAgainAfterTheConnect) {
    Open("keyboard");
    if (HasFatalFailure()) return;
    CAutomation automation(*window_);
    ASSERT_TRUE(automation.Handle("show keyboard:system").ok);
    QCoreApplication::processEvents();
    const auto refused = automation.Handle("click polling_rate_option_2");
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.text.find("until the keyboard has connected"), std::string::npos)
        << refused.text;
    EXPECT_TRUE(automation.Handle("get polling_rate_option_2").ok) << "reading is not a change";
    EXPECT_TRUE(automation.Handle("show keyboard:light").ok);
    QCoreApplication::processEvents();
    EXPECT_TRUE(automation.Handle("item light_combo_modeSelect 3").ok);

    WaitForConnect();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(automation.Handle("show keyboard:system").ok);
    QCoreApplication::processEvents();
    const auto taken = automation.Handle("click polling_rate_option_2");
    EXPECT_TRUE(taken.ok) << taken.text;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return ProfileOf<profiles::CKeyboardProfiledata>(UserProfile())
                       .ReadSystemStages()
                       .polling_rate == 2;
        },
        2000));
}

// A game event is taken but changes nothing before the connect (the connect would replace its
// mode, and its end would store a mode nobody chose); afterwards it shows its mode.
TEST_F(PanelsBeforeConnect, AGameEventBeforeTheConnectIsIgnored) {
    Open("keyboard");
    if (HasFatalFailure()) return;
    constexpr int kGameMode = 7;
    const int mode = device_->GetLightSettingsCopy().mode;
    window_->OnRegisteredMessage(platform::kMsgGameStart, 0, kGameMode);
    EXPECT_EQ(device_->GetLightSettingsCopy().mode, mode);
    EXPECT_FALSE(window_->GameEffectActive());

    WaitForConnect();
    if (HasFatalFailure()) return;
    ASSERT_NE(device_->GetLightSettingsCopy().mode, kGameMode);
    window_->OnRegisteredMessage(platform::kMsgGameStart, 0, kGameMode);
    EXPECT_EQ(device_->GetLightSettingsCopy().mode, kGameMode);
    EXPECT_TRUE(window_->GameEffectActive());
}

// A profile linked to the program in front: its switch waits for the connect, then runs.
TEST_F(PanelsBeforeConnect, AProfileLinkSwitchWaitsForTheConnect) {
    Open("keyboard");
    if (HasFatalFailure()) return;
    CDeviceProfileUI* panel = ProfilePanel();
    ASSERT_NE(panel, nullptr);
    auto* follower = panel->findChild<CProfileLinkFollower*>();
    ASSERT_NE(follower, nullptr);
    std::vector<std::string> messages;
    panel->SetMessageHandler([&messages](const QString& text, int) {
        messages.push_back(text.toStdString());
        return 1;
    });
    ASSERT_TRUE(panel->AddProfile());
    ui::SelectItem(Named("device_profile_combo"), 1, false);
    ASSERT_TRUE(panel->LinkProfile(QStringLiteral("game.exe")));
    const std::string linked = panel->List()->Entries()[1].identifier;
    const QString before = panel->GetActiveIdentifier();
    ASSERT_NE(before.toStdString(), linked);

    follower->OnForeground(QStringLiteral("game.exe"));
    ASSERT_EQ(follower->Pending(), linked);
    follower->RunPendingSwitch();
    EXPECT_EQ(follower->Pending(), linked) << "the switch waits";
    EXPECT_EQ(panel->GetActiveIdentifier(), before);

    WaitForConnect();
    if (HasFatalFailure()) return;
    follower->RunPendingSwitch();
    EXPECT_FALSE(follower->Pending().has_value());
    EXPECT_EQ(panel->GetActiveIdentifier().toStdString(), linked);
    EXPECT_TRUE(messages.empty()) << messages.front();
}

// The pages before and after the connect, for a look at the waiting panels.
TEST_F(PanelsBeforeConnect, ScreenshotsBeforeAndAfterTheConnect) {
    const QString folder = qEnvironmentVariable("SKELMORA_SCREENSHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "SKELMORA_SCREENSHOT_DIR not set";
    struct Shot {
        const char* kind;
        const char* tab;
    };
    for (const Shot& shot :
         {Shot{"keyboard", "system_Op_tab"}, Shot{"mouse", "mouse_device_seting_option_1"},
          Shot{"headset", "6533_voice_Op_tab"}}) {
        window_.reset();
        bus_ = emu::EmulatedBus::Create();
        Open(shot.kind);
        if (HasFatalFailure()) return;
        window_->resize(1000, 640);
        Click(shot.tab);
        QTest::qWait(50);
        EXPECT_TRUE(window_->grab().save(
            QStringLiteral("%1/%2-before-connect.png").arg(folder, shot.kind)));
        WaitForConnect();
        if (HasFatalFailure()) return;
        QTest::qWait(100);
        EXPECT_TRUE(
            window_->grab().save(QStringLiteral("%1/%2-after-connect.png").arg(folder, shot.kind)));
    }
}

}  // namespace
