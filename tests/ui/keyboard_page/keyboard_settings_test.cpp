// The keyboard's system settings on its page: what the profile's stages show, and what each
// control stores in the profile file and sends to the keyboard.
#include <QSlider>
#include <QTextEdit>

#include "keyboard_page_fixture.h"
#include "ui/control_props.h"

namespace {

// The keyboard's parameter write (its record goes to the keyboard framed, device profile 0 at
// offset 0).
constexpr bool kKeyboardWritesParameters = true;

using kbtest::KeyboardPage;

class KeyboardSettings : public KeyboardPage {
  protected:
    // The number of the one selected option of a row; -1 when none or several are.
    int Selected(const QString& prefix) const {
        int selected = -1;
        for (int i = 0; i < 4; ++i) {
            if (!ui::IsSelected(Control(prefix + QString::number(i)))) continue;
            if (selected >= 0) return -1;
            selected = i;
        }
        return selected;
    }
    QString Text(const char* name) const { return ui::GetText(Control(name)); }
    bool Checked(const char* name) const { return ui::IsSelected(Control(name)); }
};

TEST_F(KeyboardSettings, TheProfilesStagesAreShownWithTheirClamping) {
    const struct {
        const char* stages;
        int delayOption;
        const char* delayLabel;
        int pollingOption;
        bool key6, w, winLock;
        int repeat;
    } cases[] = {
        {R"({"RepeatDelay":7,"PollingRate":2,"Repeat":12,"Key6Flag":1,"WFlag":0,"WinFlag":0})", 0,
         "Repeat delay: 250ms", 2, true, false, false, 12},
        {R"({"RepeatDelay":3,"PollingRate":-1,"Repeat":0,"Key6Flag":0,"WFlag":1,"WinFlag":1})", 3,
         "Repeat delay: 1000ms", 0, false, true, true, 0},
        {R"({"RepeatDelay":-1,"PollingRate":4,"Repeat":31,"Key6Flag":0,"WFlag":0,"WinFlag":2})", 0,
         "Repeat delay: 250ms", 0, false, false, true, 31},
        {R"({"RepeatDelay":1,"PollingRate":3})", 1, "Repeat delay: 500ms", 3, false, false, false,
         0},
    };
    for (const auto& c : cases) {
        ui::SetText(Control("repeat_input_richedit"), "typed before");
        LoadProfileWithStages(c.stages);
        EXPECT_EQ(Selected("repeat_delay_check_"), c.delayOption) << c.stages;
        EXPECT_EQ(Text("repeat_delay_time_label1"), c.delayLabel) << c.stages;
        EXPECT_EQ(Selected("polling_rate_option_"), c.pollingOption) << c.stages;
        EXPECT_EQ(Checked("6flag_option"), c.key6) << c.stages;
        EXPECT_EQ(Checked("wflag_option"), c.w) << c.stages;
        EXPECT_EQ(Checked("winlockflag_option"), c.winLock) << c.stages;
        EXPECT_EQ(device_->SettingsPanel()->GetRepeatRate(), c.repeat) << c.stages;
        EXPECT_TRUE(Control<QTextEdit>("repeat_input_richedit")->toPlainText().isEmpty());
    }
    EXPECT_EQ(Control<QTextEdit>("repeat_input_richedit")->placeholderText(),
              "Try the repeat here");
}

TEST_F(KeyboardSettings, ClickingTheWindowsKeyLockOffStoresItAndSendsTheRecord) {
    LoadProfileWithStages(R"({"RepeatDelay":1,"PollingRate":0,"WinFlag":1,"WFlag":1})");
    AttachCommandChannel(*device_);
    const uint8_t locked[] = {1};
    firmware_->SetArea(hid::kCmdWriteParameters, 21, locked);
    ASSERT_TRUE(Checked("winlockflag_option"));

    QTest::mouseClick(Control("winlockflag_option"), Qt::LeftButton);

    EXPECT_FALSE(Checked("winlockflag_option"));
    profiles::CKeyboardProfiledata reread;
    reread.Load(profilePath_.toStdString());
    const profiles::KeyboardSystemStages stages = reread.ReadSystemStages();
    EXPECT_EQ(stages.win_flag, 0);
    EXPECT_EQ(stages.w_flag, 1);  // the other fields stay
    EXPECT_EQ(stages.repeat_delay, 1);
    if (!kKeyboardWritesParameters) GTEST_SKIP() << "the record check needs the parameter write";
    EXPECT_EQ(firmware_->Area(hid::kCmdWriteParameters)[21], 0);
    EXPECT_EQ(firmware_->Area(hid::kCmdWriteParameters)[19], 1);
}

TEST_F(KeyboardSettings, APollingOptionIsStoredAndSentAsItsNumber) {
    LoadProfileWithStages(R"({"PollingRate":0})");
    AttachCommandChannel(*device_);
    QTest::mouseClick(Control("polling_rate_option_2"), Qt::LeftButton);
    EXPECT_EQ(Selected("polling_rate_option_"), 2);
    profiles::CKeyboardProfiledata reread;
    reread.Load(profilePath_.toStdString());
    EXPECT_EQ(reread.ReadSystemStages().polling_rate, 2);
    if (!kKeyboardWritesParameters) GTEST_SKIP() << "the record check needs the parameter write";
    EXPECT_EQ(firmware_->Area(hid::kCmdWriteParameters)[22], 2);
}

TEST_F(KeyboardSettings, RepeatRateAndDelayGoToTheProfileOnly) {
    LoadProfileWithStages(R"({"Repeat":10,"RepeatDelay":0})");
    AttachCommandChannel(*device_);
    const QByteArray before = ProfileBytes();

    auto* slider = Control<QSlider>("repeat_rate_slider");
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(slider->value(), 11);
    EXPECT_NE(ProfileBytes(), before);
    profiles::CKeyboardProfiledata reread;
    reread.Load(profilePath_.toStdString());
    EXPECT_EQ(reread.ReadSystemStages().repeat_rate, 11);

    QTest::mouseClick(Control("repeat_delay_check_3"), Qt::LeftButton);
    EXPECT_EQ(Selected("repeat_delay_check_"), 3);
    EXPECT_EQ(Text("repeat_delay_time_label1"), "Repeat delay: 1000ms");
    reread.Load(profilePath_.toStdString());
    EXPECT_EQ(reread.ReadSystemStages().repeat_delay, 3);

    EXPECT_TRUE(firmware_->RequestLog().empty());
}

TEST_F(KeyboardSettings, TheResetButtonEmptiesTheTestBox) {
    LoadProfileWithStages(R"({})");
    const QByteArray before = ProfileBytes();
    auto* box = Control<QTextEdit>("repeat_input_richedit");
    box->setPlainText("aaaaaaa");
    QTest::mouseClick(Control("reset_repeat_btn"), Qt::LeftButton);
    EXPECT_TRUE(box->toPlainText().isEmpty());
    EXPECT_EQ(ProfileBytes(), before);
}

}  // namespace
