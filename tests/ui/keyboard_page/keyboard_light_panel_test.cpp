// The lighting panel on the keyboard's page, over an emulated keyboard: what a choice on the
// panel stores in the profile file and what reaches the keyboard's parameter record (byte 1
// effect code, 2 brightness, 3 speed as 4 - speed, 6..8 colour).
#include <QFile>
#include <QTemporaryDir>

#include "keyboard_page_fixture.h"
#include "panels/light_control_ui.h"
#include "ui/control_props.h"

namespace {

using kbtest::KeyboardPage;

class KeyboardLightPanel : public KeyboardPage {
  protected:
    void SetUp() override {
        KeyboardPage::SetUp();
        if (HasFatalFailure()) return;
        // Mode 6's device code differs from its position, so a record holding the position
        // would show.
        ASSERT_TRUE(data_.isValid());
        QFile lights(data_.filePath("default_light.json"));
        ASSERT_TRUE(lights.open(QIODevice::WriteOnly));
        QByteArray row;
        // Modes 7 and 8 have no usable code (above a byte, a text).
        for (int i = 0; i < 46; ++i) {
            const QString code = i == 6   ? QStringLiteral("66")
                                 : i == 7 ? QStringLiteral("300")
                                 : i == 8 ? QStringLiteral("\"8\"")
                                          : QString::number(i + 1);
            row += QStringLiteral("%1{\"LightName\":\"Mode %2\",\"visible\":true,\"value\":%3}")
                       .arg(i ? "," : "")
                       .arg(i)
                       .arg(code)
                       .toUtf8();
        }
        lights.write(
            "{\"DefaultLightName\":[[],"
            "[" +
            row + "]]}");
        lights.close();
        device_->SetDefaultDataFolder(data_.path() + '/');
        device_->SetModelIndex(1);
        LoadProfileWithStages("{}");
        device_->LoadConfigLists();
        panel_ = CLightControlUI::OfPage(device_);
        ASSERT_NE(panel_, nullptr);
        panel_->AttachDevice(device_);
        AttachCommandChannel(*device_);
    }

    void Send(const char* type, const char* control) {
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(type);
        msg.pSender = Control(QString::fromLatin1(control));
        ASSERT_TRUE(msg.pSender) << control;
        device_->Notify(msg);
    }
    uint8_t Record(int byte) const {
        return firmware_->Area(hid::kCmdWriteParameters)[static_cast<size_t>(byte)];
    }
    profiles::LightInfo ProfileLight() const {
        profiles::CKeyboardProfiledata reread;
        reread.Load(profilePath_.toStdString());
        return reread.ReadLightInfo();
    }

    QTemporaryDir data_;
    CLightControlUI* panel_ = nullptr;
};

TEST_F(KeyboardLightPanel, ChoicesReachTheProfileAndTheParameterRecord) {
    ui::SelectItem(Control("light_combo_modeSelect"), 6);
    Send(notify_type::kItemSelect, "light_combo_modeSelect");
    EXPECT_EQ(ProfileLight().mode, 6);
    EXPECT_EQ(Record(1), 66);

    ui::SetText(Control("deng_edit_G"), QStringLiteral("300"));
    Send(notify_type::kKillFocus, "deng_edit_G");
    EXPECT_EQ(ui::GetText(Control("deng_edit_G")), "255");
    EXPECT_EQ(ProfileLight().green, 255);
    EXPECT_EQ(Record(7), 255);

    ui::SetValue(Control("deng_speed_slider"), 4);
    Send(notify_type::kValueChanged, "deng_speed_slider");
    EXPECT_EQ(ProfileLight().speed, 4);
    EXPECT_EQ(Record(3), 0);

    ui::SetValue(Control("deng_light_slider"), 2);
    Send(notify_type::kValueChanged, "deng_light_slider");
    EXPECT_EQ(Record(2), 2);
    EXPECT_EQ(Record(1), 66);
}

TEST_F(KeyboardLightPanel, AModeWithoutACodeIsWrittenWithModeZerosCode) {
    for (int mode : {7, 8}) {
        ui::SelectItem(Control("light_combo_modeSelect"), 6);
        Send(notify_type::kItemSelect, "light_combo_modeSelect");
        ASSERT_EQ(Record(1), 66);
        ui::SelectItem(Control("light_combo_modeSelect"), mode);
        Send(notify_type::kItemSelect, "light_combo_modeSelect");
        EXPECT_EQ(ProfileLight().mode, mode);
        EXPECT_EQ(Record(1), 1) << mode;  // mode 0's code
    }
}

// A game effect's sequence (no SaveProfile) reaches the keyboard but not the profile file;
// the panel shows the mode.
TEST_F(KeyboardLightPanel, AModeWithoutSaveReachesTheKeyboardOnly) {
    ui::SelectItem(Control("light_combo_modeSelect"), 6);
    Send(notify_type::kItemSelect, "light_combo_modeSelect");
    light::LightSettings settings = device_->GetLightSettingsCopy();
    settings.mode = 10;
    device_->SetLightSettings(light::ToWords(settings));
    device_->LoadLightSettings();
    device_->WriteParameters({0, 0, 1, 1920, 1080});
    EXPECT_EQ(Record(1), 11);
    EXPECT_EQ(ProfileLight().mode, 6);
    EXPECT_EQ(panel_->GetLightMode(), 10);
}

}  // namespace
