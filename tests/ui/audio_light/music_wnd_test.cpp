// The music window from the main window: its handlers, what OK and cancel leave in
// "AudioFile.json", and that closing it from the window manager cancels and leaves the
// program running. SKELMORA_SCREENSHOT_DIR=folder saves the window there.
#include "app/music_wnd.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "app/main_audio.h"
#include "app/main_wnd.h"
#include "emulator/emulated_bus.h"
#include "profiles/json_file.h"
#include "support/ui_fixture.h"
#include "ui/control_props.h"
#include "ui/resource_list.h"
#include "ui/skin_resources.h"

namespace {

class MusicWindowTest : public uitest::AppFixture {
  protected:
    void SetUp() override {
        qputenv("XDG_DATA_HOME", home_.filePath("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
        ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
        CResourceList::GetInstance().Load();
    }
    void TearDown() override {
        if (window_) window_->Teardown();
    }
    std::filesystem::path UserFile() const { return CMainAudio::ProgramAudioFilePaths().user; }
    void Start() {
        window_ = std::make_unique<CMainWnd>(bus_);
        window_->trayAvailable = [] { return false; };
        window_->audioSource = [] { return std::unique_ptr<platform::IAudioSource>(); };
        ASSERT_TRUE(window_->Create(nullptr, "test"));
        window_->show();
    }
    // Opens the music window, runs `drive` on it once it shows, and returns when it closed.
    void OpenAndDrive(std::function<void(CMusicWnd&)> drive) {
        window_->musicWindowOpened = [drive](QWidget* w) {
            auto* music = static_cast<CMusicWnd*>(w);
            QTimer::singleShot(0, music, [music, drive] { drive(*music); });
        };
        TNotifyUI msg;
        msg.sType = "click";
        QPushButton button;
        button.setObjectName("music_setting_btn");
        msg.pSender = &button;
        window_->Notify(msg);  // through the window's table; returns once the window closed
    }
    static void Click(CMusicWnd& music, const char* name) {
        auto* button = qobject_cast<QAbstractButton*>(music.FindControl(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    static void Slide(CMusicWnd& music, const char* name, int value) {
        auto* slider = qobject_cast<QSlider*>(music.FindControl(name));
        ASSERT_NE(slider, nullptr) << name;
        // As the user moves it: one step at a time (a value set by code notifies nobody).
        while (slider->value() < value) slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        while (slider->value() > value) slider->triggerAction(QAbstractSlider::SliderSingleStepSub);
    }
    static void LeaveEdit(CMusicWnd& music, int k, const QString& text) {
        auto* edit =
            qobject_cast<QLineEdit*>(music.FindControl(QStringLiteral("audio_edit_name%1").arg(k)));
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        edit->setText(text);
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(edit, &out);
    }
    std::string UserText() const {
        std::ifstream in(UserFile());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    QTemporaryDir home_;
    std::shared_ptr<emu::EmulatedBus> bus_ = emu::EmulatedBus::Create();
    std::unique_ptr<CMainWnd> window_;
};

TEST_F(MusicWindowTest, CancellingAfterMovingASliderKeepsTheFile) {
    Start();
    const std::string before = UserText();
    ASSERT_FALSE(before.empty());  // the default was written at start
    const profiles::AudioStyleSet styles = window_->Audio()->Styles();
    int shownGreen = -1;
    OpenAndDrive([&](CMusicWnd& music) {
        Click(music, "audio_select_tab3");
        Slide(music, "audio_g_slider", 9);
        shownGreen = music.StyleSet().colours[2][1];
        Click(music, "closebtn");
    });
    EXPECT_EQ(shownGreen, 9);       // the window took it ...
    EXPECT_EQ(UserText(), before);  // ... and cancelling dropped it
    EXPECT_EQ(window_->Audio()->Styles(), styles);
    EXPECT_EQ(window_->SecondaryWindow(CMainWnd::kMusicWindow), nullptr);
}

TEST_F(MusicWindowTest, OkSavesTheStylesKeepsOtherMembersAndNamesEmptyEditsByDefault) {
    std::filesystem::create_directories(UserFile().parent_path());
    std::ofstream(UserFile()) << R"({"Other": 1, "Device": {"Mine": 2, "AudioLightInfo": {
        "nAudioStyle": 0, "nStyleName1": "A", "nStyleName2": "B", "nStyleName3": "C",
        "nStyleName4": ")" << std::string(40, 'L')
                              << R"("}}})";
    Start();
    OpenAndDrive([&](CMusicWnd& music) {
        // The long name is shown shortened.
        EXPECT_EQ(ui::GetText(music.FindControl("audio_edit_name4")),
                  QString(32, 'L') + QStringLiteral("…"));
        // ... and, wider than its box, from its start.
        auto* longName = qobject_cast<QLineEdit*>(music.FindControl("audio_edit_name4"));
        EXPECT_EQ(longName ? longName->cursorPosition() : -1, 0);
        Click(music, "audio_select_tab3");
        Slide(music, "audio_g_slider", 9);
        Slide(music, "audio_r_slider", 4);
        LeaveEdit(music, 3, "");
        EXPECT_EQ(ui::GetText(music.FindControl("audio_edit_name3")), QStringLiteral("第三组"));
        LeaveEdit(music, 4, QString(32, 'L') + QStringLiteral("…"));  // left as shown
        EXPECT_EQ(longName ? longName->cursorPosition() : -1, 0);  // left, it shows its start
        if (const QByteArray dir = qgetenv("SKELMORA_SCREENSHOT_DIR"); !dir.isEmpty()) {
            ui::ApplySkinStyleSheet();  // the program's look, as it applies it at the start
            QCoreApplication::processEvents();
            music.grab().save(QString::fromUtf8(dir) + "/music_window_en.png");
        }
        Click(music, "okbtn");
    });
    const profiles::AudioStyleSet& styles = window_->Audio()->Styles();
    EXPECT_EQ(styles.selected, 2);
    EXPECT_EQ(styles.colours[2], (std::array<uint8_t, 3>{4, 9, 0}));
    EXPECT_EQ(styles.names[2], "第三组");
    EXPECT_EQ(styles.names[3], std::string(40, 'L'));  // kept whole
    EXPECT_EQ(window_->Audio()->StyleColour().green, 9);
    const Json::Value saved = profiles::JsonFile().ReadDocument(UserFile());
    EXPECT_EQ(saved["Other"].asInt(), 1);
    EXPECT_EQ(saved["Device"]["Mine"].asInt(), 2);
    EXPECT_EQ(saved["Device"]["AudioLightInfo"]["nStyleG2"].asInt(), 9);
    EXPECT_EQ(saved["Device"]["AudioLightInfo"]["nStyleName3"].asString(), "第三组");
    EXPECT_EQ(saved["Device"]["AudioLightInfo"]["nAudioStyle"].asInt(), 2);
}

TEST_F(MusicWindowTest, ClosingFromTheWindowManagerCancelsAndTheProgramRuns) {
    Start();
    const std::string before = UserText();
    bool quitAsked = false;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [&] { quitAsked = true; });
    OpenAndDrive([&](CMusicWnd& music) {
        Slide(music, "audio_b_slider", 7);
        music.close();  // what the window manager's close does
        EXPECT_EQ(music.GetResult(), 0);
    });
    QCoreApplication::processEvents();
    EXPECT_FALSE(quitAsked);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(UserText(), before);
    // It opens again afterwards, and only once at a time.
    int opened = 0;
    OpenAndDrive([&](CMusicWnd& music) {
        ++opened;
        window_->OpenMusicWindow();  // already open: nothing
        Click(music, "closebtn");
    });
    EXPECT_EQ(opened, 1);
}

}  // namespace
