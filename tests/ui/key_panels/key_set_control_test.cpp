// The key assignment panel built from the shipped layout, offscreen, inside a device that
// records what the panel asks of it: codes shown and composed through the widgets, the
// keyboard's hidden items, capture, the save / default / cancel / write flows with their
// locking, and the message of each write outcome.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "controls/composite_controls.h"
#include "devices/skelmora_usb_device.h"
#include "panels/device_profile_ui.h"
#include "panels/key_set_control_ui.h"
#include "support/ui_fixture.h"
#include "tables/key_code.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"
#include "ui/layout_loader.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_resources.h"

namespace {

using tables::DeviceKeyCode;

class WritingDevice : public CSkelmoraUSBDevice {
  public:
    using CSkelmoraUSBDevice::CSkelmoraUSBDevice;
    WriteOutcome WriteCurrentKeyTable(profiles::CBasicProfiledata*) override {
        ++writes;
        return outcome;
    }
    WriteOutcome WriteMacros(const std::vector<int>&) override { return WriteOutcome::Ok(); }
    void RefreshPage() override { ++refreshes; }
    WriteOutcome outcome;
    int writes = 0;
    int refreshes = 0;
};

class KeySetControlTest : public uitest::AppFixture {
  protected:
    void SetUp() override {
        ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
        ASSERT_TRUE(CResourceManager::GetInstance().LoadLanguage(QStringLiteral("lan_en.xml")));
        controls::RegisterCompositeControls(CControlFactory::GetInstance());
        RegisterKeySetControl();
    }
    void TearDown() override {
        panel_ = nullptr;
        device_.reset();
    }

    void Build(int deviceKind) {
        device_ = std::make_unique<WritingDevice>();
        BuildResult built = CDialogBuilder::Create(
            QStringLiteral("XML/CustomControlXML/KeySetControl.xml"), device_.get());
        ASSERT_TRUE(built) << built.error.toStdString();
        panel_ = qobject_cast<CKeySetControlUI*>(built.root);
        ASSERT_NE(panel_, nullptr);
        panel_->setObjectName(CKeySetControlUI::kItemName);
        ASSERT_TRUE(panel_->BindControls()) << panel_->MissingControl().toStdString();
        panel_->SetDeviceKind(deviceKind);
        panel_->SetMacroNames({"macro_1", "macro_2", "macro_3"});
        panel_->SetMessageHandler([this](const QString& text, int) {
            messages_.push_back(text.toStdString());
            return 1;
        });
        panel_->AttachDevice(device_.get());
        panel_->SetApplyHandler([this](const DeviceKeyCode& code) { applied_.push_back(code); });
        panel_->SetCaptureHandler([this](bool on) { capture_.push_back(on); });
        device_->AddPanel(panel_);
    }
    QWidget* Control(const char* name) const {
        return CPaintManagerUI::FindSubControlByName(panel_, QString::fromLatin1(name));
    }
    void Send(const char* control, const char* type) {
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(type);
        msg.pSender = Control(control);
        ASSERT_TRUE(msg.pSender) << control;
        device_->Notify(msg);
    }
    void Select(const char* combo, int row) {
        ui::SelectItem(Control(combo), row, false);
        Send(combo, notify_type::kItemSelect);
    }
    void Type(const char* edit, const char* text) {
        ui::SetText(Control(edit), QString::fromLatin1(text));
        Send(edit, notify_type::kTextChanged);
    }
    // The function item whose kind is kind.
    void SelectFunction(int kind) {
        QWidget* combo = Control("keyset_function_combo");
        for (int i = 0; i < ui::GetCount(combo); ++i) {
            if (ui::GetItemUserData(combo, i) == QString::number(kind)) {
                Select("keyset_function_combo", i);
                return;
            }
        }
        FAIL() << "no function item of kind " << kind;
    }
    int ShownFunction() const {
        QWidget* combo = Control("keyset_function_combo");
        return ui::GetItemUserData(combo, ui::GetCurSel(combo)).toInt();
    }
    std::string Text(const char* name) const { return ui::GetText(Control(name)).toStdString(); }
    bool Enabled(const char* name) const { return Control(name)->isEnabled(); }

    std::unique_ptr<WritingDevice> device_;
    CKeySetControlUI* panel_ = nullptr;
    std::vector<std::string> messages_;
    std::vector<DeviceKeyCode> applied_;
    std::vector<bool> capture_;
};

const DeviceKeyCode kKeyA{0x20, 0x00, 0x04};

TEST_F(KeySetControlTest, ControlsComposeTheCodesOfEachKind) {
    Build(CKeySetControlUI::kDeviceMouse);
    panel_->SetAssignment(kKeyA, kKeyA);
    EXPECT_EQ(ShownFunction(), 0);

    // Swing delay 3, speed 2, count 10 on row 0.
    SelectFunction(2);
    Select("keyset_mouseswing_combo", 0);
    Type("keyset_mouseswing_delay_edit", "3");
    Type("keyset_mouseswing_speed_edit", "2");
    Type("keyset_mouseswing_num_edit", "10");
    EXPECT_EQ(panel_->Current(), (DeviceKeyCode{0x11, 0x32, 0x0A}));

    // Wheel row 1, count 5: value low 0xFB. An edit holding more than its field shows the
    // value that is sent.
    SelectFunction(3);
    Select("keyset_mousewheel_combo", 1);
    Type("keyset_mousewheel_num_edit", "5");
    Type("keyset_mousewheel_delay_edit", "99");
    EXPECT_EQ(panel_->Current(), (DeviceKeyCode{0x12, 0xF0, 0xFB}));
    EXPECT_EQ(Text("keyset_mousewheel_delay_edit"), "15");

    // Macro row 2, over row 4, three times.
    SelectFunction(9);
    Select("keyset_macro_combo", 2);
    Select("keyset_macro_over_combo", 4);
    EXPECT_TRUE(ui::IsVisible(Control("keyset_macro_cycle_layout")));
    Type("keyset_macro_cycle_edit", "3");
    EXPECT_EQ(panel_->Current(), (DeviceKeyCode{0x71, 2, 3}));

    // Media with no selection composes the default assignment.
    SelectFunction(7);
    Select("keyset_media_combo", -1);
    EXPECT_EQ(panel_->Current(), kKeyA);
    EXPECT_FALSE(applied_.empty());
    EXPECT_EQ(applied_.back(), kKeyA);
}

TEST_F(KeySetControlTest, ShowSetsTheControlsAndTheFunctionItem) {
    Build(CKeySetControlUI::kDeviceMouse);
    panel_->SetAssignment(DeviceKeyCode{0x30, 0xE9, 0x00}, kKeyA);
    EXPECT_EQ(ShownFunction(), 7);
    EXPECT_EQ(ui::GetCurSel(Control("keyset_media_combo")), 6);  // volume up
    EXPECT_EQ(ui::GetCurSel(Control("function_switch_tablayout")), 7);

    panel_->Show(DeviceKeyCode{0x12, 0x00, 0xFB});
    EXPECT_EQ(Text("keyset_mousewheel_num_edit"), "5");
    EXPECT_EQ(ui::GetCurSel(Control("keyset_mousewheel_combo")), 1);

    // A code equal to the default shows the default item.
    panel_->Show(kKeyA);
    EXPECT_EQ(ShownFunction(), 0);
    EXPECT_TRUE(panel_->IsPanelShown());
}

TEST_F(KeySetControlTest, AKeyboardHidesDpiAndGunKeyAndADpiCodeHidesThePanel) {
    Build(CKeySetControlUI::kDeviceKeyboard);
    QWidget* combo = Control("keyset_function_combo");
    std::vector<int> kinds;
    for (int i = 0; i < ui::GetCount(combo); ++i)
        kinds.push_back(ui::GetItemUserData(combo, i).toInt());
    EXPECT_EQ(kinds, (std::vector<int>{0, 1, 2, 3, 5, 6, 7, 8, 9, 11}));
    panel_->SetAssignment(DeviceKeyCode{0x13, 0x01, 0x00}, kKeyA);
    EXPECT_FALSE(panel_->IsPanelShown());
    panel_->Show(DeviceKeyCode{0x40, 0x02, 0x00});
    EXPECT_TRUE(panel_->IsPanelShown());
}

TEST_F(KeySetControlTest, CaptureTakesKeysAndModifiers) {
    Build(CKeySetControlUI::kDeviceKeyboard);
    panel_->SetAssignment(kKeyA, kKeyA);
    SelectFunction(6);
    EXPECT_EQ(Text("keyset_keyboard_text_edit"), "");
    EXPECT_EQ(panel_->GetModifier(), -1);

    Send("keyset_keyboard_text_edit", notify_type::kSetFocus);
    Send("keyset_keyboard_text_edit", notify_type::kKillFocus);
    EXPECT_EQ(capture_, (std::vector<bool>{true, false}));

    // Right Alt (scan code 0x38, extended) selects Alt (3): mask 0x04.
    EXPECT_TRUE(panel_->CaptureKey(0x38, true));
    EXPECT_EQ(panel_->GetModifier(), 3);
    // Then B (scan code 0x30).
    EXPECT_TRUE(panel_->CaptureKey(0x30, false));
    EXPECT_EQ(panel_->Current(), (DeviceKeyCode{0x20, 0x04, 0x05}));
    EXPECT_FALSE(Text("keyset_keyboard_text_edit").empty());
    EXPECT_EQ(applied_.back(), (DeviceKeyCode{0x20, 0x04, 0x05}));
    // A scan code that is no key of the table does nothing.
    EXPECT_FALSE(panel_->CaptureKey(0x7F, true));
}

TEST_F(KeySetControlTest, SaveUnlocksUntilTheTableIsWrittenOrTheEditCancelled) {
    Build(CKeySetControlUI::kDeviceMouse);
    auto* profile = new QWidget(device_.get());
    device_->SetProfilePanel(profile);
    panel_->SetAssignment(kKeyA, kKeyA);
    for (const char* b : {"key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"})
        EXPECT_FALSE(Enabled(b)) << b;

    SelectFunction(8);
    Select("keyset_system_combo", 1);
    Send("key_butt_keysave", notify_type::kClick);
    EXPECT_TRUE(panel_->IsEditPending());
    for (const char* b : {"key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"})
        EXPECT_TRUE(Enabled(b)) << b;
    EXPECT_FALSE(profile->isEnabled());

    Send("key_butt_prosave", notify_type::kClick);
    EXPECT_EQ(device_->writes, 1);
    EXPECT_FALSE(panel_->IsEditPending());
    EXPECT_FALSE(Enabled("key_butt_prosave"));
    EXPECT_TRUE(profile->isEnabled());
    EXPECT_TRUE(messages_.empty());

    // Default on a mouse only shows the default; cancel shows the current code again.
    Send("key_butt_keydefalut", notify_type::kClick);
    EXPECT_EQ(device_->writes, 1);
    EXPECT_TRUE(panel_->IsEditPending());
    Send("key_butt_keycancel", notify_type::kClick);
    EXPECT_FALSE(panel_->IsEditPending());
    EXPECT_EQ(ShownFunction(), 8);
    EXPECT_EQ(capture_.back(), false);
}

TEST_F(KeySetControlTest, EachWriteOutcomeShowsItsMessage) {
    struct Case {
        WriteOutcome outcome;
        const char* message;  // nullptr: none
    };
    const Case cases[] = {
        {WriteOutcome::Ok(), nullptr},
        {WriteOutcome::Failed("WriteKeyTable", 0), "Writing to the device failed."},
        {WriteOutcome::Failed("WriteKeyTable", -1), "Writing to the device failed."},
        {WriteOutcome::Failed("WriteKeyTable", -101), "Writing to the device failed."},
        {WriteOutcome::Failed("WriteKeyTable", -102), "Writing to the device failed."},
        {WriteOutcome::Failed("WriteKeyTable", -103), "Writing to the device failed."},
        {WriteOutcome::Failed("ReadKeyTable", -201), "Writing to the device failed."},
        {WriteOutcome::TooLarge(1),
         "The macros do not fit in the device's memory: 1 events too many. Nothing was written."},
    };
    Build(CKeySetControlUI::kDeviceKeyboard);
    for (const Case& c : cases) {
        messages_.clear();
        device_->outcome = c.outcome;
        // On a keyboard, default writes the table too.
        Send("key_butt_keydefalut", notify_type::kClick);
        Send("key_butt_prosave", notify_type::kClick);
        const std::vector<std::string> expected =
            c.message ? std::vector<std::string>{c.message, c.message} : std::vector<std::string>{};
        EXPECT_EQ(messages_, expected) << c.outcome.code;
    }
}

// SKELMORA_SCREENSHOT_DIR set: the panel in the skin's look is saved there.
TEST_F(KeySetControlTest, Screenshot) {
    const QString folder = qEnvironmentVariable("SKELMORA_SCREENSHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "SKELMORA_SCREENSHOT_DIR not set";
    ui::ApplySkinStyleSheet();
    Build(CKeySetControlUI::kDeviceKeyboard);
    panel_->SetAssignment(DeviceKeyCode{0x20, 0x01, 0x06}, kKeyA);
    panel_->resize(520, 200);
    panel_->setAttribute(Qt::WA_StyledBackground);
    panel_->setStyleSheet(QStringLiteral("CKeySetControlUI { background: #1d222a; }"));
    EXPECT_TRUE(panel_->grab().save(folder + "/key_assignment_panel.png"));
}

}  // namespace
