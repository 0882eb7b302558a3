// The profile panel built from the shipped layout, offscreen, on a device that records the
// steps it is asked for: the switch steps and their messages, tab visibility, the buttons
// through the panel's dispatch table, import and export with their checks.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <string>
#include <vector>

#include "controls/composite_controls.h"
#include "devices/skelmora_usb_device.h"
#include "panels/device_profile_ui.h"
#include "panels/profile_link_follower.h"
#include "panels/profile_link_wnd.h"
#include "panels/profile_switch.h"
#include "profiles/json_file.h"
#include "support/ui_fixture.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"
#include "ui/control_timers.h"
#include "ui/layout_loader.h"
#include "ui/resource_manager.h"
#include "ui/skin_resources.h"

namespace {

// Records the device operations the panel calls, in order.
class RecordingDevice : public CSkelmoraUSBDevice {
  public:
    using CSkelmoraUSBDevice::CSkelmoraUSBDevice;
    int LoadProfile() override {
        steps.push_back("LoadProfile " + GetProfileBaseName().toStdString());
        return 1;
    }
    void ReloadLists() override { steps.push_back("ReloadLists"); }
    void RefreshPage() override { steps.push_back("RefreshPage"); }
    int WriteParameters(const ParameterWrite& v) override {
        steps.push_back("WriteParameters " + std::to_string(v.slot) + " " +
                        std::to_string(v.firstByte) + " " + std::to_string(v.flag));
        return parameters;
    }
    bool HoldsKeysAndMacros() const override { return keysAndMacros; }
    std::vector<int> BuildMacroList() override {
        steps.push_back("BuildMacroList");
        return {};
    }
    WriteOutcome WriteMacros(const std::vector<int>&) override {
        steps.push_back("WriteMacros");
        return macros;
    }
    WriteOutcome WriteCurrentKeyTable(profiles::CBasicProfiledata*) override {
        steps.push_back("WriteCurrentKeyTable");
        return {};
    }
    void SetFunctionPage(int type) override {
        steps.push_back("SetFunctionPage " + std::to_string(type));
    }

    std::vector<std::string> steps;
    WriteOutcome macros;
    int parameters = 1;
    bool keysAndMacros = true;
};

class ProfilePanelTest : public uitest::AppFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        saved_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home_.path().toUtf8());
        ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
        ASSERT_TRUE(CResourceManager::GetInstance().LoadLanguage(QStringLiteral("lan_en.xml")));
        controls::RegisterCompositeControls(CControlFactory::GetInstance());
        RegisterProfilePanel();
    }
    void TearDown() override {
        panel_ = nullptr;
        device_.reset();
        if (saved_.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", saved_);
    }

    // A device of kind with the panel built from the shipped layout inside it.
    void Build(int kind, const char* kindName = "mouse") {
        device_ = std::make_unique<RecordingDevice>();
        DeviceIdentity identity;
        identity.kind = static_cast<uint16_t>(kind);
        device_->SetIdentity(identity);
        device_->SetKind(kind);
        device_->SetKindName(QString::fromLatin1(kindName));
        device_->SetDefaultDataFolder(QStringLiteral(SKELMORA_SOURCE_ROOT "/DefaultData/"));
        BuildResult built = CDialogBuilder::Create(
            QStringLiteral("XML/CustomControlXML/DeviceProfile.xml"), device_.get());
        ASSERT_TRUE(built) << built.error.toStdString();
        panel_ = qobject_cast<CDeviceProfileUI*>(built.root);
        ASSERT_NE(panel_, nullptr);
        panel_->setObjectName(CDeviceProfileUI::kItemName);
        panel_->SetMessageHandler([this](const QString& text, int buttons) {
            messages_.push_back(text.toStdString());
            return buttons == 1 ? confirm_ : 1;
        });
        panel_->SetFileChooser([this](bool) { return chosenFile_; });
        panel_->AttachDevice(device_.get());
    }
    QWidget* Control(const char* name) const {
        return CPaintManagerUI::FindSubControlByName(panel_, QString::fromLatin1(name));
    }
    // A notification as the main window hands it on: through the device's Notify.
    void Send(const char* control, const char* type) {
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(type);
        msg.pSender = Control(control);
        ASSERT_TRUE(msg.pSender) << control;
        device_->Notify(msg);
    }
    void Click(const char* control) { Send(control, notify_type::kClick); }
    std::vector<std::string> ComboTexts() const {
        std::vector<std::string> texts;
        for (int i = 0; i < ui::GetCount(Control("device_profile_combo")); ++i)
            texts.push_back(ui::GetItemText(Control("device_profile_combo"), i).toStdString());
        return texts;
    }
    Json::Value ReadList() const {
        return profiles::JsonFile().ReadDocument(panel_->List()->ListPath());
    }
    std::string Folder() const { return panel_->List()->Folder().string(); }

    QTemporaryDir home_;
    QByteArray saved_;
    std::unique_ptr<RecordingDevice> device_;
    CDeviceProfileUI* panel_ = nullptr;
    std::vector<std::string> messages_;
    int confirm_ = 1;
    QString chosenFile_;
};

TEST_F(ProfilePanelTest, AttachLoadsTheListAndGivesTheDeviceItsProfile) {
    Build(kKindMouse);
    EXPECT_EQ(ComboTexts(), std::vector<std::string>{"profile1"});
    EXPECT_EQ(ui::GetText(Control("device_profile_name_edit")).toStdString(), "profile1");
    EXPECT_EQ(device_->GetProfileBaseName(), panel_->GetActiveIdentifier());
    EXPECT_FALSE(panel_->GetActiveIdentifier().isEmpty());
    EXPECT_EQ(device_->GetProfilePanel(), panel_);
    EXPECT_TRUE(ui::IsSelected(Control("deng_Op_tab")));
    EXPECT_FALSE(panel_->IsMenuShown());
}

TEST_F(ProfilePanelTest, TabVisibilityByDeviceType) {
    // Visible tabs, in the order deng key macro system cursor voice magic surround.
    struct Case {
        int kind;
        const char* visible;
    };
    const Case cases[] = {
        {kKindKeyboard, "11110000"},
        {kKindKeyboardReceiver, "11110000"},
        // The mouse page switches its pages with its own tab row.
        {kKindMouse, "00000000"},
        {kKindMouseReceiver, "00000000"},
        {kKindMousePad, "10000000"},
        {kKindHeadset, "10000111"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Build(c.kind);
        std::string visible;
        for (const char* name : CDeviceProfileUI::kTabNames)
            visible += ui::IsVisible(Control(name)) ? '1' : '0';
        EXPECT_EQ(visible, c.visible);
    }
}

TEST_F(ProfilePanelTest, ComboSelectionSwitchesAfterTheTimer) {
    Build(kKindMouse);
    Click("device_add_btn");
    device_->steps.clear();
    ui::SelectItem(Control("device_profile_combo"), 1, false);
    Send("device_profile_combo", notify_type::kItemSelect);
    EXPECT_TRUE(ui::IsTimerActive(panel_, CDeviceProfileUI::kSwitchTimerId));
    EXPECT_TRUE(device_->steps.empty());
    panel_->DoTimer(CDeviceProfileUI::kSwitchTimerId);
    EXPECT_FALSE(ui::IsTimerActive(panel_, CDeviceProfileUI::kSwitchTimerId));
    const std::string id = panel_->List()->Entries()[1].identifier;
    EXPECT_EQ(device_->steps,
              (std::vector<std::string>{"LoadProfile " + id, "ReloadLists", "RefreshPage",
                                        "WriteParameters 0 0 1", "BuildMacroList", "WriteMacros",
                                        "WriteCurrentKeyTable"}));
    EXPECT_EQ(ReadList()["profileselect"].asInt(), 1);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ProfilePanelTest, MacroOutcomesAndTheirMessages) {
    struct Case {
        WriteOutcome macros;
        const char* message;
        bool keyTable;
    };
    const Case cases[] = {
        {WriteOutcome::Failed("macros", -101), "Writing to the device failed.", true},
        {WriteOutcome::TooLarge(37),
         "The macros do not fit in the device's memory: 37 events too many. Nothing was written.",
         false},
    };
    for (const Case& c : cases) {
        Build(kKindKeyboard, "keyboard");
        messages_.clear();
        device_->macros = c.macros;
        device_->steps.clear();
        panel_->SwitchToSelection();
        EXPECT_EQ(messages_, std::vector<std::string>{c.message});
        EXPECT_EQ(device_->steps.back() == "WriteCurrentKeyTable", c.keyTable);
    }
    // The translated text is never a format: a "%s" in it stays as it is.
    EXPECT_EQ(profile_switch::ComposeMessage(QStringLiteral("%s over by %d (%d)"), 5).toStdString(),
              "%s over by 5 (%d)");
}

// What a switch writes follows what the device keeps, whatever the panel's device type: a
// device without keys and macros gets its parameters only, and the first write that fails is
// the one the user hears of (once: the writes after it still go out).
TEST_F(ProfilePanelTest, SwitchWritesWhatTheDeviceKeepsAndTellsTheFirstFailure) {
    struct Case {
        const char* name;
        bool keysAndMacros;
        int parameters;
        WriteOutcome macros;
        std::vector<std::string> writes;  // the steps after RefreshPage
        std::vector<std::string> messages;
    };
    const std::string params = "WriteParameters 0 0 1";
    const Case cases[] = {
        {"pad", false, 1, WriteOutcome::Failed("no macros", 0), {params}, {}},
        {"pad failing", false, 0, {}, {params}, {"Writing to the device failed."}},
        {"keys",
         true,
         1,
         {},
         {params, "BuildMacroList", "WriteMacros", "WriteCurrentKeyTable"},
         {}},
        {"keys, parameters failing",
         true,
         -102,
         WriteOutcome::Failed("macros", 0),
         {params, "BuildMacroList", "WriteMacros", "WriteCurrentKeyTable"},
         {"Writing to the device failed."}},
    };
    for (const Case& c : cases) {
        Build(kKindMousePad, "MousePad");
        messages_.clear();
        device_->keysAndMacros = c.keysAndMacros;
        device_->parameters = c.parameters;
        device_->macros = c.macros;
        device_->steps.clear();
        panel_->SwitchToSelection();
        const auto refreshed =
            std::find(device_->steps.begin(), device_->steps.end(), "RefreshPage");
        ASSERT_NE(refreshed, device_->steps.end()) << c.name;
        EXPECT_EQ(std::vector<std::string>(refreshed + 1, device_->steps.end()), c.writes)
            << c.name;
        EXPECT_EQ(messages_, c.messages) << c.name;
    }
}

TEST_F(ProfilePanelTest, AddCopyAndRenameThroughTheButtons) {
    Build(kKindMouse);
    Click("device_add_btn");
    Click("device_copy_btn");
    EXPECT_EQ(ComboTexts(), (std::vector<std::string>{"profile1", "profile2", "profile1 copy"}));
    // The selection and the device's profile stay where they were.
    EXPECT_EQ(panel_->GetSelection(), 0);
    EXPECT_EQ(ReadList()["profileselect"].asInt(), 0);
    ui::SetText(Control("device_profile_name_edit"), QStringLiteral("  "));
    Click("device_profile_edit_save_btn");
    ui::SetText(Control("device_profile_name_edit"), QStringLiteral("PROFILE2"));
    Click("device_profile_edit_save_btn");
    EXPECT_EQ(messages_, (std::vector<std::string>{"The name cannot be empty.",
                                                   "That name is already in use."}));
    ui::SetText(Control("device_profile_name_edit"), QStringLiteral("Shooter"));
    Click("device_profile_edit_save_btn");
    EXPECT_EQ(ComboTexts()[0], "Shooter");
}

TEST_F(ProfilePanelTest, DeletingTheActiveProfileSwitchesTheDevice) {
    Build(kKindMouse);
    Click("device_add_btn");
    Click("device_add_btn");
    panel_->SelectProfile(2, false);  // profile3 active
    device_->steps.clear();
    const std::string deleted = panel_->List()->Entries()[2].identifier;
    Click("device_sub_btn");
    EXPECT_EQ(panel_->GetSelection(), 1);
    EXPECT_EQ(ReadList()["profileselect"].asInt(), 1);
    ASSERT_FALSE(device_->steps.empty());
    EXPECT_EQ(device_->steps[0], "LoadProfile " + panel_->List()->Entries()[1].identifier);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Folder() + "/" + deleted + ".Json")));
    // Deleting another entry leaves the device alone.
    device_->steps.clear();
    ui::SelectItem(Control("device_profile_combo"), 0, false);
    Click("device_sub_btn");
    EXPECT_TRUE(device_->steps.empty());
    EXPECT_EQ(ReadList()["profileselect"].asInt(), 0);
}

TEST_F(ProfilePanelTest, ResetAsksAndReloadsTheActiveProfile) {
    Build(kKindMouse);
    confirm_ = 0;
    Click("device_reset_btn");
    EXPECT_EQ(messages_, std::vector<std::string>{"Reset this profile to its defaults?"});
    EXPECT_TRUE(device_->steps.empty() || device_->steps.back() != "RefreshPage");
    confirm_ = 1;
    device_->steps.clear();
    Click("device_reset_btn");
    EXPECT_EQ(device_->steps, (std::vector<std::string>{
                                  "LoadProfile " + panel_->GetActiveIdentifier().toStdString(),
                                  "RefreshPage", "WriteParameters 0 0 1", "BuildMacroList",
                                  "WriteMacros", "WriteCurrentKeyTable"}));
    const Json::Value file = profiles::JsonFile().ReadDocument(*panel_->List()->ProfilePath(0));
    EXPECT_TRUE(file["Device"].isArray());
    EXPECT_EQ(file["profilename"].asString(), "profile1");
}

TEST_F(ProfilePanelTest, ImportRefusesBadFilesWithAMessageAndExportWritesOrExplains) {
    Build(kKindMouse);
    QTemporaryDir files;
    const QString bad = files.filePath("bad.json");
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"({"profilename":"x","profileUUID":"y","Device":"oops"})");
    }
    chosenFile_ = bad;
    Click("device_import_btn");
    EXPECT_EQ(ComboTexts().size(), 1u);
    EXPECT_EQ(messages_,
              std::vector<std::string>{
                  "This file is not a profile that can be imported. Nothing was changed."});

    // Export, then import the same file: "profile1(1)".
    messages_.clear();
    chosenFile_ = files.filePath("out.json");
    Click("device_export_btn");
    EXPECT_TRUE(messages_.empty());
    ASSERT_TRUE(QFile::exists(chosenFile_));
    Click("device_import_btn");
    EXPECT_EQ(ComboTexts(), (std::vector<std::string>{"profile1", "profile1(1)"}));

    chosenFile_ = QStringLiteral("/proc/no-such-folder/out.json");
    Click("device_export_btn");
    EXPECT_EQ(messages_,
              std::vector<std::string>{"The profile could not be written to that file."});
    EXPECT_FALSE(QFile::exists(chosenFile_));
}

TEST_F(ProfilePanelTest, MenuAndTabs) {
    Build(kKindMouse);
    Click("profile_fun_spread_btn");
    EXPECT_TRUE(panel_->IsMenuShown());
    Click("profile_fun_spread_btn");
    EXPECT_FALSE(panel_->IsMenuShown());
    device_->steps.clear();
    Send("macro_Op_tab", notify_type::kSelectChanged);
    EXPECT_EQ(device_->steps, std::vector<std::string>{"SetFunctionPage 3"});
    EXPECT_TRUE(ui::IsSelected(Control("macro_Op_tab")));
    EXPECT_FALSE(ui::IsSelected(Control("deng_Op_tab")));
}

// SKELMORA_SCREENSHOT_DIR set: the panel with its menu open is saved there.
TEST_F(ProfilePanelTest, ScreenshotWithTheMenuOpen) {
    const QString folder = qEnvironmentVariable("SKELMORA_SCREENSHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "SKELMORA_SCREENSHOT_DIR not set";
    ui::ApplySkinStyleSheet();
    Build(kKindHeadset, "HD");
    panel_->AddProfile();
    panel_->SetLinkChooser(
        [](const QString&) { return std::optional<QString>(QStringLiteral("Hero.exe")); });
    Click("device_link_btn");
    panel_->ShowMenu(true);
    panel_->resize(620, 130);
    panel_->setAttribute(Qt::WA_StyledBackground);
    panel_->setStyleSheet(QStringLiteral("CDeviceProfileUI { background: #1d222a; }"));
    EXPECT_TRUE(panel_->grab().save(folder + "/profile_panel_menu.png"));
}

TEST_F(ProfilePanelTest, LinkedEntryShowsItsProgram) {
    Build(kKindMouse);
    panel_->SetLinkChooser(
        [](const QString&) { return std::optional<QString>(QStringLiteral("game.exe")); });
    Click("device_link_btn");
    EXPECT_EQ(ComboTexts(), std::vector<std::string>{"profile1 [game.exe]"});
    EXPECT_EQ(ui::GetText(Control("device_profile_name_edit")).toStdString(), "profile1");
}

// The program in front drives the panel: the linked profile after the delay with the switch
// steps, a busy device waits, the user's own switch cancels one still waiting, and the profile
// from before comes back when the program leaves.
TEST_F(ProfilePanelTest, TheProgramInFrontSwitchesAfterTheDelay) {
    Build(kKindKeyboard, "keyboard");
    panel_->AddProfile();
    ui::SelectItem(Control("device_profile_combo"), 1, false);
    ASSERT_TRUE(panel_->LinkProfile(QStringLiteral("game.exe")));
    const std::string first = panel_->List()->Entries()[0].identifier;
    const std::string linked = panel_->List()->Entries()[1].identifier;
    auto* follower = new CProfileLinkFollower(panel_);
    bool busy = true;
    follower->SetBusyCheck([&busy] { return busy; });
    device_->steps.clear();

    follower->OnForeground(QStringLiteral("Game.exe"));
    ASSERT_EQ(follower->Pending(), linked);
    EXPECT_TRUE(device_->steps.empty());  // nothing before the delay
    follower->RunPendingSwitch();         // key edits pending: waits again
    EXPECT_EQ(follower->Pending(), linked);
    EXPECT_TRUE(device_->steps.empty());
    busy = false;
    follower->RunPendingSwitch();
    EXPECT_EQ(ReadList()["profileselect"].asInt(), 1);
    ASSERT_FALSE(device_->steps.empty());
    EXPECT_EQ(device_->steps.front(), "LoadProfile " + linked);

    // Leaving for an unlinked program brings the first profile back; the user's own switch
    // before the delay ends cancels that.
    follower->OnForeground(QStringLiteral("terminal"));
    EXPECT_EQ(follower->Pending(), first);
    ui::SelectItem(Control("device_profile_combo"), 1, false);
    panel_->SwitchToSelection();
    EXPECT_FALSE(follower->Pending().has_value());
    // The user's choice is now the profile from before: the game and away again change nothing.
    follower->OnForeground(QStringLiteral("game.exe"));
    EXPECT_FALSE(follower->Pending().has_value());
    follower->OnForeground(QStringLiteral(""));
    EXPECT_FALSE(follower->Pending().has_value());
    EXPECT_EQ(ReadList()["profileselect"].asInt(), 1);
    // A switch that waits and a program that leaves before the delay ends: nothing to do.
    ui::SelectItem(Control("device_profile_combo"), 0, false);
    panel_->SwitchToSelection();
    follower->OnForeground(QStringLiteral("game.exe"));
    ASSERT_EQ(follower->Pending(), linked);
    follower->OnForeground(QStringLiteral("terminal"));
    EXPECT_FALSE(follower->Pending().has_value());
    EXPECT_EQ(ReadList()["profileselect"].asInt(), 0);
}

// The link window: the running programs by the name a link uses, the choices it gives back.
class ProfileLinkWndTest : public ProfilePanelTest {
  protected:
    std::unique_ptr<CProfileLinkWnd> Open(const QString& current) {
        auto wnd = std::make_unique<CProfileLinkWnd>(current);
        wnd->SetProgramSource([] {
            platform::ProcessInfo wine, editor, nameless;
            wine.pid = 7;
            wine.exeName = "wine64-preloader";
            wine.argumentName = "Hero.exe";
            editor.pid = 3;
            editor.exeName = "editor";
            editor.argumentName = "editor";
            nameless.pid = 9;
            return std::vector<platform::ProcessInfo>{wine, editor, nameless};
        });
        wnd->SetFileChooser([] { return QStringLiteral("/opt/games/Shooter.x86_64"); });
        EXPECT_TRUE(wnd->Create(nullptr, QStringLiteral("profilelink"), Qt::Tool));
        return wnd;
    }
    static void Send(CProfileLinkWnd& wnd, const char* control, const char* type) {
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(type);
        msg.pSender = wnd.FindControl(QString::fromLatin1(control));
        ASSERT_TRUE(msg.pSender) << control;
        wnd.Notify(msg);
    }
};

TEST_F(ProfileLinkWndTest, ListsProgramsAndGivesBackTheChoice) {
    auto wnd = Open(QStringLiteral("old.exe"));
    QWidget* list = wnd->FindControl(QStringLiteral("link_program_list"));
    ASSERT_EQ(ui::GetCount(list), 2);  // a process without a name is not listed
    EXPECT_EQ(ui::GetItemText(list, 0).toStdString(), "editor (3)");
    EXPECT_EQ(ui::GetItemText(list, 1).toStdString(), "Hero.exe (7)");
    QWidget* edit = wnd->FindControl(QStringLiteral("link_program_edit"));
    EXPECT_EQ(ui::GetText(edit).toStdString(), "old.exe");

    struct Case {
        const char* label;
        void (*act)(CProfileLinkWnd&);
        std::optional<std::string> result;
    };
    const Case cases[] = {
        {"a running program",
         [](CProfileLinkWnd& w) {
             ui::SelectItem(w.FindControl(QStringLiteral("link_program_list")), 1, false);
             Send(w, "link_program_list", notify_type::kItemSelect);
             Send(w, "confirm_btn", notify_type::kClick);
         },
         "Hero.exe"},
        {"a program file",
         [](CProfileLinkWnd& w) {
             Send(w, "link_browse_btn", notify_type::kClick);
             Send(w, "confirm_btn", notify_type::kClick);
         },
         "Shooter.x86_64"},
        {"a typed name with blanks around it",
         [](CProfileLinkWnd& w) {
             ui::SetText(w.FindControl(QStringLiteral("link_program_edit")), "  game  ");
             Send(w, "confirm_btn", notify_type::kClick);
         },
         "game"},
        {"no name at all unlinks",
         [](CProfileLinkWnd& w) {
             ui::SetText(w.FindControl(QStringLiteral("link_program_edit")), " ");
             Send(w, "confirm_btn", notify_type::kClick);
         },
         ""},
        {"unlink", [](CProfileLinkWnd& w) { Send(w, "link_unlink_btn", notify_type::kClick); }, ""},
        {"cancel", [](CProfileLinkWnd& w) { Send(w, "cancel_btn", notify_type::kClick); },
         std::nullopt},
        {"the close button", [](CProfileLinkWnd& w) { Send(w, "closebtn", notify_type::kClick); },
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        auto w = Open(QStringLiteral("old.exe"));
        c.act(*w);
        const std::optional<QString> result = w->Result();
        EXPECT_EQ(result.has_value(), c.result.has_value());
        if (result && c.result) {
            EXPECT_EQ(result->toStdString(), *c.result);
        }
    }
}

// SKELMORA_SCREENSHOT_DIR set: the link window is saved there.
TEST_F(ProfileLinkWndTest, Screenshot) {
    const QString folder = qEnvironmentVariable("SKELMORA_SCREENSHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "SKELMORA_SCREENSHOT_DIR not set";
    ui::ApplySkinStyleSheet();
    auto wnd = Open(QStringLiteral("Hero.exe"));
    ui::SelectItem(wnd->FindControl(QStringLiteral("link_program_list")), 1, false);
    EXPECT_TRUE(wnd->grab().save(folder + "/profile_link_dialog.png"));
}

}  // namespace
