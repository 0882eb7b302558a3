// The settings window offscreen: rows and summary offline, with updates, up to date and
// without a configured server; the language combo; closing while a transfer stalls.
// SKELMORA_SCREENSHOT_DIR=folder saves the offline and update-available windows there.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include "app/language.h"
#include "controls/picture_controls.h"
#include "platform/autostart.h"
#include "profiles/json_file.h"
#include "support/ui_fixture.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"
#include "ui/resource_list.h"
#include "ui/resource_manager.h"
#include "ui/skin_resources.h"
#include "update/curl_http_client.h"
#include "update/set_wnd.h"
#include "update/set_wnd_opener.h"
#include "update/update_list_item.h"
#include "update_server_fixture.h"

using namespace update;

namespace {

class SettingsWindowTest : public uitest::AppFixture {
  protected:
    void SetUp() override {
        update_test::ClearProxyEnvironment();
        qputenv("XDG_DATA_HOME", home_.filePath("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
        ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
        CResourceList::GetInstance().Load();
        static bool registered = false;
        if (!registered) {
            controls::RegisterPictureControls(CControlFactory::GetInstance());
            RegisterSetWndControls();
            ui::ApplySkinStyleSheet();
            SetFonts(QString::fromLatin1(kFontFace));
            registered = true;
        }
        LoadLanguage("lan_en.xml");
    }
    void TearDown() override {
        if (wnd_) wnd_->close();
        wnd_.reset();
    }

    static void LoadLanguage(const char* file) {
        ASSERT_TRUE(CResourceManager::GetInstance().LoadLanguage(file));
        CResourceManager::GetInstance().ReloadText();
    }

    std::filesystem::path LastCheckFile() const {
        return std::filesystem::path(home_.filePath("data/updatetime.config").toStdString());
    }

    static std::vector<CheckRow> AllRows() {
        return {CheckRow{kMouseRow, 0x0105, {}}, CheckRow{kKeyboardRow, 0x0105, {}},
                CheckRow{kReceiverMouseRow, 0x0100, {}},
                CheckRow{kApplicationRow, 0, *ParseDottedVersion("1.0.2.5")}};
    }

    // Opens the window (not modally) on these rows and this address.
    void Open(std::vector<CheckRow> rows, std::optional<std::string> endpoint,
              const std::function<void(SetWndSetup&)>& adjust = {}) {
        SetWndSetup setup;
        setup.rows = std::move(rows);
        setup.languageIndex = 1;  // English, as the texts loaded
        setup.endpoint = std::move(endpoint);
        setup.lastCheckFile = LastCheckFile();
        setup.today = "2030-12-31";
        setup.languageConfigPath =
            QStringLiteral(SKELMORA_SOURCE_ROOT) + "/DefaultData/Language.config";
        setup.makeClient = [] {
            HttpLimits limits;
            limits.connectTimeoutMs = 5000;
            return std::make_unique<CCurlHttpClient>(limits);
        };
        setup.applyLanguage = [this](int index) { applied_.push_back(index); };
        setup.latestShown = [this] { ++latestShown_; };
        if (adjust) adjust(setup);
        wnd_ = std::make_unique<CSetWnd>(std::move(setup));
        ASSERT_TRUE(wnd_->Create(nullptr, "settings", Qt::Tool));
        wnd_->resize(CSetWnd::kWidth, CSetWnd::kHeight);
        wnd_->show();
    }
    bool WaitForSummary() {
        return QTest::qWaitFor([&] { return wnd_->SummaryState() != 0; }, 60000);
    }

    QString Text(const char* name) const { return ui::GetText(wnd_->FindControl(name)); }
    QString Shown(QWidget* control) const {
        auto* label = qobject_cast<QLabel*>(control);
        if (label) return label->text();
        auto* button = qobject_cast<QAbstractButton*>(control);
        return button ? button->text() : QString();
    }
    QString RowText(int row, const char* child) const {
        return Shown(wnd_->Row(row)->findChild<QWidget*>(child));
    }
    void Click(const char* name) {
        auto* button = qobject_cast<QAbstractButton*>(wnd_->FindControl(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    void Screenshot(const char* name) {
        const QByteArray dir = qgetenv("SKELMORA_SCREENSHOT_DIR");
        if (dir.isEmpty()) return;
        QCoreApplication::processEvents();
        EXPECT_TRUE(wnd_->grab().save(QString::fromUtf8(dir) + '/' + name));
    }

    QTemporaryDir home_;
    std::unique_ptr<CSetWnd> wnd_;
    std::vector<int> applied_;
    int latestShown_ = 0;
};

}  // namespace

TEST_F(SettingsWindowTest, OfflineEveryRowCouldNotCheck) {
    ASSERT_TRUE(WriteLastCheck(LastCheckFile(), "2024-3-4"));
    const int port = update_test::ClosedPort();
    Open(AllRows(), "http://127.0.0.1:" + std::to_string(port) + "/api/updates");
    ASSERT_TRUE(WaitForSummary());
    EXPECT_EQ(wnd_->SummaryState(), 2);
    EXPECT_EQ(Shown(wnd_->FindControl("Update_Status_text")), "No update information");
    ASSERT_EQ(wnd_->RowCount(), 4);
    const char* current[] = {"V0105", "V0105", "V0100", "V1.0.2.5"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(wnd_->Row(i)->GetStatus(), 9);
        EXPECT_EQ(RowText(i, "update_status_text"), "Could not check");
        EXPECT_EQ(RowText(i, "OldRev"), current[i]);
        EXPECT_FALSE(ui::IsVisible(wnd_->Row(i)->findChild<QWidget*>("updateRev")));
        EXPECT_FALSE(wnd_->Row(i)->Option()->isEnabled());
    }
    EXPECT_FALSE(ui::IsVisible(wnd_->FindControl("update_fw_and_ap")));
    EXPECT_EQ(wnd_->LastCheckDate(), "2024-3-4");
    EXPECT_EQ(profiles::JsonFile().ReadDocument(LastCheckFile())["updatelasttime"]["value"],
              "2024-3-4");
    EXPECT_EQ(latestShown_, 0);
    Screenshot("settings_offline_en.png");
}

TEST_F(SettingsWindowTest, UpdatesAvailableAndQueued) {
    update_test::UpdateServer server;
    ASSERT_TRUE(server.Start()) << server.Error().toStdString();
    Open(AllRows(), server.Url("/good/api/updates"));
    // The first opening creates updatetime.config with today's date.
    EXPECT_EQ(profiles::JsonFile().ReadDocument(LastCheckFile())["updatelasttime"]["value"],
              "2030-12-31");
    ASSERT_TRUE(WaitForSummary());
    EXPECT_EQ(wnd_->SummaryState(), 1);
    EXPECT_EQ(Shown(wnd_->FindControl("Update_Status_text")), "New versions are available");
    struct Expected {
        int status;
        const char* current;
        const char* latest;
        bool chosen;
    };
    const Expected expected[] = {{1, "V0105", "V0106", true},
                                 {7, "V0105", "", false},
                                 {7, "V0100", "", false},
                                 {1, "V1.0.2.5", "V9.0 (test)", true}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(wnd_->Row(i)->GetStatus(), expected[i].status);
        EXPECT_EQ(RowText(i, "OldRev"), expected[i].current);
        EXPECT_EQ(RowText(i, "updateRev"), expected[i].latest);
        EXPECT_EQ(wnd_->Row(i)->IsChosen(), expected[i].chosen);
        EXPECT_EQ(wnd_->Row(i)->Option()->isEnabled(), expected[i].chosen);
    }
    EXPECT_EQ(RowText(0, "update_status_text"), "Update available");
    EXPECT_EQ(RowText(1, "update_status_text"), "Updated");
    EXPECT_EQ(ui::GetUserData(wnd_->Row(0)), "https://updates.invalid/ms.bin");
    EXPECT_TRUE(ui::IsVisible(wnd_->FindControl("update_fw_and_ap")));
    Screenshot("settings_update_available_en.png");

    // The application row is left out; the mouse row waits to be downloaded.
    wnd_->Row(3)->SetChosen(false);
    Click("update_fw_and_ap");
    auto* tabs = qobject_cast<QStackedWidget*>(wnd_->FindControl("get_update_tab_layout"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->currentIndex(), 1);
    Click("update_OK_btn");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(wnd_->Row(0)->GetStatus(), 3);
    EXPECT_EQ(RowText(0, "update_status_text"), "Waiting to download");
    EXPECT_EQ(wnd_->Row(3)->GetStatus(), 1);
    EXPECT_FALSE(wnd_->Row(3)->IsChosen());
    EXPECT_FALSE(wnd_->FindControl("update_fw_and_ap")->isEnabled());
    // The forwarded progress message changes nothing: no row is being updated.
    wnd_->OnUpdateProgress(1, 0);
    EXPECT_EQ(wnd_->Row(0)->GetStatus(), 3);
    EXPECT_EQ(wnd_->LastCheckDate(), "2030-12-31");
}

TEST_F(SettingsWindowTest, UpToDateShowsTheDateInTheNewLanguage) {
    update_test::UpdateServer server;
    ASSERT_TRUE(server.Start()) << server.Error().toStdString();
    ASSERT_TRUE(WriteLastCheck(LastCheckFile(), "2024-3-4"));
    Open({CheckRow{kKeyboardRow, 0x0105, {}}}, server.Url("/good/api/updates"));
    ASSERT_TRUE(WaitForSummary());
    EXPECT_EQ(wnd_->SummaryState(), 4);
    EXPECT_EQ(Shown(wnd_->FindControl("Update_Status_text")),
              "You have the latest version 2030-12-31");
    EXPECT_EQ(latestShown_, 1);  // 0xC16 to the main window
    LoadLanguage("lan_cn.xml");
    wnd_->OnLanguageApplied(1);
    EXPECT_EQ(Shown(wnd_->FindControl("Update_Status_text")), "已是最新版本 2030-12-31");
    EXPECT_EQ(RowText(0, "update_status_text"), "更新完成");
    LoadLanguage("lan_en.xml");
}

TEST_F(SettingsWindowTest, NotConfiguredSendsNothing) {
    Open(AllRows(), std::nullopt);
    ASSERT_TRUE(WaitForSummary());
    EXPECT_EQ(wnd_->SummaryState(), 2);
    EXPECT_EQ(Shown(wnd_->FindControl("Update_Status_text")),
              "This build does not check for updates.");
    for (int i = 0; i < wnd_->RowCount(); ++i) EXPECT_EQ(wnd_->Row(i)->GetStatus(), 9);
}

TEST_F(SettingsWindowTest, StaysResponsiveWhileTheServerStallsAndClosesAtOnce) {
    update_test::UpdateServer server;
    ASSERT_TRUE(server.Start()) << server.Error().toStdString();
    Open(AllRows(), server.Url("/stall/"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !server.Requests().empty(); }, 20000));
    EXPECT_TRUE(wnd_->CheckRunning());
    EXPECT_EQ(wnd_->SummaryState(), 0);
    EXPECT_TRUE(ui::IsVisible(wnd_->FindControl("update_status_ring")));
    // The language combo answers while the transfer hangs and sends 0xC11 with the index.
    auto* combo = qobject_cast<QComboBox*>(wnd_->FindControl("Language_combox_info"));
    ASSERT_NE(combo, nullptr);
    ASSERT_GE(combo->count(), 2);
    // As the user picks an entry: the list's activation.
    EXPECT_EQ(combo->currentIndex(), 1);
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    EXPECT_EQ(applied_, std::vector<int>{0});
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_EQ(applied_, (std::vector<int>{0, 1}));
    // Closing from the window manager stops the check; the program keeps running.
    wnd_->close();
    EXPECT_FALSE(wnd_->CheckRunning());
    EXPECT_FALSE(wnd_->isVisible());
    EXPECT_FALSE(QCoreApplication::closingDown());
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(SettingsWindowTest, DpiOutsideTheListFallsBackTo96) {
    SetWndSetup setup;
    CSetWnd wnd(setup);
    wnd.SetDPI(100);
    EXPECT_EQ(wnd.GetDPI(), 96);
    wnd.SetDPI(144);
    EXPECT_EQ(wnd.GetDPI(), 144);
}

// "autostart_check" writes and removes the desktop's autostart entry (a real file under
// XDG_CONFIG_HOME); a switch that fails is put back; without the hooks the option is hidden.
TEST_F(SettingsWindowTest, AutostartOptionWritesAndRemovesTheEntry) {
    const auto real = [](SetWndSetup& setup) {
        setup.autostartEnabled = [] { return platform::IsAutostartEnabled(); };
        setup.setAutostart = [](bool on, std::string& error) {
            return platform::SetAutostart(on, "/opt/skelmora/bin/skelmora", error);
        };
    };
    Open(AllRows(), std::nullopt, real);
    QWidget* check = wnd_->FindControl("autostart_check");
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->isVisibleTo(wnd_.get()));
    EXPECT_FALSE(ui::IsSelected(check));
    Click("autostart_check");
    EXPECT_TRUE(std::filesystem::exists(platform::AutostartEntryPath()));
    EXPECT_TRUE(ui::IsSelected(check));
    QTest::qWait(100);  // the layout settles around the summary text
    Screenshot("settings_autostart_en.png");
    Click("autostart_check");
    EXPECT_FALSE(std::filesystem::exists(platform::AutostartEntryPath()));
    EXPECT_FALSE(ui::IsSelected(check));

    Open(AllRows(), std::nullopt, [](SetWndSetup& setup) {
        setup.autostartEnabled = [] { return false; };
        setup.setAutostart = [](bool, std::string& error) {
            error = "read-only folder";
            return false;
        };
    });
    Click("autostart_check");
    EXPECT_FALSE(ui::IsSelected(wnd_->FindControl("autostart_check")));

    Open(AllRows(), std::nullopt);
    EXPECT_FALSE(wnd_->FindControl("autostart_check")->isVisibleTo(wnd_.get()));
}
