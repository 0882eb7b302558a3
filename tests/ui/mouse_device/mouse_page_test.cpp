// The mouse page built from its layout over the emulated mouse: the picture's buttons, the
// tab options, and the settings tab's user actions, each checked in the profile file and in
// the bytes of the mouse's parameter block.
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>

#include "controls/device_key_button.h"
#include "devices/skelmora_mouse_device.h"
#include "emulator/device_catalog.h"
#include "emulator/emulated_bus.h"
#include "mouse_device/mouse_page_fixture.h"
#include "panels/color_select_wnd.h"
#include "panels/mouse_settings_ui.h"
#include "support/program_controls.h"
#include "ui/control_props.h"
#include "ui/layout_loader.h"
#include "ui/resource_manager.h"

namespace {

// Parameter block bytes of slot 0 (offsets within the block).
constexpr size_t kReportRateByte = 11;
constexpr size_t kActiveStageByte = 12;
constexpr size_t StageByte(int stage, int field) { return 14 + 9 * stage + field; }
constexpr int kStageActive = 0, kStageDpiLow = 2, kStageRed = 6;

class MousePage : public mousetest::MousePageFixture {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(BuildPage(QStringLiteral("zelvo_light")));
        settings_ = mouse_->findChild<CMouseSettingsUI*>(CMouseSettingsUI::kItemName);
        ASSERT_NE(settings_, nullptr);

        ASSERT_NO_FATAL_FAILURE(
            Attach(*mouse_, devtest::PathOf(bus_, devtest::kVendorPage), false, 1));
        ASSERT_TRUE(mouse_->ReadDeviceTables().ok());
        mouse_->LoadProfile();
        mouse_->RefreshPage();
        firmware_->ClearRequestLog();
    }

    QWidget* Named(const QString& name) const { return mouse_->findChild<QWidget*>(name); }
    QWidget* Row(const char* prefix, int n) const { return Named(prefix + QString::number(n)); }
    // What the window's notification routing hands the page.
    void Send(const char* type, QWidget* sender) {
        ASSERT_NE(sender, nullptr);
        TNotifyUI msg{QLatin1String(type), sender};
        mouse_->Notify(msg);
    }
    // The user's own change of a control, then its notification.
    void MoveSlider(QWidget* slider, int value) {
        ui::SetValue(slider, value);
        Send(notify_type::kValueChanged, slider);
    }
    void Toggle(QWidget* option, bool on) {
        ui::SetSelected(option, on);
        Send(notify_type::kSelectChanged, option);
    }
    void Type(QWidget* edit, const QString& text) {
        ui::SetText(edit, text);
        Send(notify_type::kKillFocus, edit);
    }
    std::vector<uint8_t> Block() const {
        std::vector<uint8_t> params = *firmware_->Dump(emu::AreaId::Params);
        params.resize(66);
        return params;
    }
    // The DPI stages as the profile file holds them now.
    std::vector<profiles::DPIStage> SavedStages() const {
        profiles::CMouseProfiledata fresh;
        fresh.SetElementIndex(0);
        fresh.Load(mouse_->Profiledata().GetProfilePath());
        return fresh.ReadDPIStages();
    }
    int ParameterWrites() const {
        int writes = 0;
        for (const hid::Report& r : firmware_->RequestLog())
            writes += r[3] == hid::kCmdWriteParameters ? 1 : 0;
        return writes;
    }

    CMouseSettingsUI* settings_ = nullptr;
};

TEST(MouseNames, SplitAtTheLastUnderscore) {
    const struct {
        const char* name;
        const char* prefix;
        int number;
    } cases[] = {{"light_0_3", "light_0_", 3},  {"light_5", "light_", 5}, {"key_10", "key_", 10},
                 {"light_", "light_", -1},      {"logo", "logo", -1},     {"key_x", "key_", -1},
                 {"light_0_-2", "light_0_", -1}};
    for (const auto& c : cases) {
        const auto [prefix, number] = CSkelmoraMouseDevice::SplitAtLastUnderscore(c.name);
        EXPECT_EQ(prefix, QLatin1String(c.prefix)) << c.name;
        EXPECT_EQ(number, c.number) << c.name;
    }
}

TEST_F(MousePage, BindsElevenButtonsFifteenLedsTheLogoRingAndTheLogo) {
    for (int n = 0; n < 11; ++n) EXPECT_EQ(mouse_->GetKeyButton(n), Row("key_", n)) << "key " << n;
    for (int n = 0; n < 15; ++n)
        EXPECT_EQ(mouse_->GetLightControl(n), Row("light_", n)) << "LED " << n;
    ASSERT_EQ(mouse_->LogoRing().size(), 4u);
    for (int n = 0; n < 4; ++n) EXPECT_EQ(mouse_->LogoRing()[n], Row("light_0_", n));
    EXPECT_EQ(mouse_->Logo(), Named("mouse_logo"));
    EXPECT_NE(Named("DeviceProfileItem"), nullptr);  // the profile panel stays on the page

    auto* tabs = qobject_cast<QStackedWidget*>(Named("mouse_device_seting_layout"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->currentIndex(), 0);
    Toggle(Named("mouse_device_seting_option_1"), true);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_FALSE(ui::IsSelected(Named("mouse_device_seting_option_0")));
}

TEST_F(MousePage, ButtonToolTipsAndTheListNameEachAssignment) {
    const auto text = [](const char* id) {
        const QString t = CResourceManager::GetInstance().GetText(QLatin1String(id));
        return t.isEmpty() ? QString::fromLatin1(id) : t;
    };
    EXPECT_EQ(Row("key_", 0)->toolTip(), text("mouse_key_left") + '\n' + text("mouse_key_left"));
    EXPECT_EQ(Row("key_", 7)->toolTip(),
              text("mouse_key_DPI_loop") + '\n' + text("mouse_key_DPI_loop"));
    auto* list = qobject_cast<QListWidget*>(Named("device_setkeyinfo_list"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 11);
    EXPECT_TRUE(mouse_->Logo()->toolTip().startsWith("Logo\n"));
}

TEST_F(MousePage, ShowsTheProfilesStagesInDpi) {
    // The default profile's levels on the emulated scale (100 + 50 per level).
    const char* shown[] = {"400", "800", "1600", "3200", "6400"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ui::GetText(Row("DPI_edit_", i)), shown[i]) << i;
    EXPECT_EQ(ui::GetMaxValue(Row("DPI_slider_", 0)), 518);
}

TEST_F(MousePage, ASliderMoveIsSavedThenWrittenToTheMouse) {
    MoveSlider(Row("DPI_slider_", 1), 31);
    EXPECT_EQ(ui::GetText(Row("DPI_edit_", 1)), "1650");
    EXPECT_EQ(SavedStages().at(1).dpi_x, 31);
    EXPECT_EQ(Block()[StageByte(1, kStageDpiLow)], 31);
    EXPECT_EQ(Block()[StageByte(1, kStageDpiLow) + 1], 0);
    ASSERT_TRUE(settings_->LastWrite());
    EXPECT_TRUE(settings_->LastWrite()->ok());

    // Dragging shows the value and stores nothing.
    ui::SetValue(Row("DPI_slider_", 1), 40);
    Send(notify_type::kMoveValueChanged, Row("DPI_slider_", 1));
    EXPECT_EQ(ui::GetText(Row("DPI_edit_", 1)), "2100");
    EXPECT_EQ(SavedStages().at(1).dpi_x, 31);
}

TEST_F(MousePage, ARefusedWriteIsReportedAndTheProfileKeepsTheValue) {
    firmware_->AddFault({hid::kCmdWriteParameters, 0, emu::FaultKind::StatusFE, 1});
    MoveSlider(Row("DPI_slider_", 2), 77);
    EXPECT_EQ(SavedStages().at(2).dpi_x, 77);
    ASSERT_TRUE(settings_->LastWrite());
    EXPECT_FALSE(settings_->LastWrite()->ok());
    EXPECT_NE(Block()[StageByte(2, kStageDpiLow)], 77);
}

TEST_F(MousePage, TypedDpiValues) {
    const struct {
        const char* typed;
        const char* shown;
        int level;
    } cases[] = {{"1675", "1650", 31},
                 {"", "100", 0},
                 {"abc", "100", 0},
                 {"-100", "100", 0},
                 {"99999999", "26000", 518}};
    for (const auto& c : cases) {
        Type(Row("DPI_edit_", 3), c.typed);
        EXPECT_EQ(ui::GetText(Row("DPI_edit_", 3)), c.shown) << c.typed;
        EXPECT_EQ(SavedStages().at(3).dpi_x, c.level) << c.typed;
        EXPECT_EQ(Block()[StageByte(3, kStageDpiLow)], c.level & 0xFF) << c.typed;
    }
}

TEST_F(MousePage, TheLastEnabledStageCannotBeSwitchedOff) {
    // Rows 1 to 4 switched off leave row 0 selected, and its option disabled.
    for (int i = 1; i < 5; ++i) Toggle(Row("DPI_enable_check_", i), false);
    for (int i = 1; i < 5; ++i) {
        EXPECT_FALSE(Row("DPI_layout_", i)->isEnabled()) << i;
        EXPECT_EQ(Block()[StageByte(i, kStageActive)], 0) << i;
    }
    EXPECT_TRUE(ui::IsSelected(Row("DPI_enable_check_", 0)));
    EXPECT_FALSE(Row("DPI_enable_check_", 0)->isEnabled());

    Toggle(Row("DPI_enable_check_", 3), true);
    // Every enable option is enabled again (rows still off keep their row disabled).
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(Row("DPI_enable_check_", i)->isEnabledTo(Row("DPI_layout_", i))) << i;
    EXPECT_TRUE(Row("DPI_layout_", 3)->isEnabled());
    EXPECT_EQ(Block()[StageByte(3, kStageActive)], 1);
}

TEST_F(MousePage, SelectingAStageMakesItActiveWithItsThumb) {
    Toggle(Row("DPI_select_check_", 2), true);
    EXPECT_EQ(mouse_->Profiledata().GetStageActive(), 2);
    EXPECT_EQ(Block()[kActiveStageByte], 2);
    for (int i = 0; i < 5; ++i) {
        QWidget* slider = Row("DPI_slider_", i);
        EXPECT_EQ(slider->property("thumbimage").toString(),
                  i == 2 ? "Control/SliderBar1_Thumb.png" : "Control/SliderBar2_Thumb.png")
            << i;
        EXPECT_EQ(ui::IsSelected(Row("DPI_select_check_", i)), i == 2) << i;
    }
    EXPECT_FALSE(Row("DPI_enable_check_", 2)->isEnabled());
}

TEST_F(MousePage, ReportRateOptions) {
    mouse_->SelectReportRate(7);
    EXPECT_TRUE(ui::IsSelected(Row("polling_rate_option_", 0)));
    Toggle(Row("polling_rate_option_", 3), true);
    EXPECT_EQ(mouse_->GetSystemStages().report_rate_stage, 3);
    EXPECT_EQ(Block()[kReportRateByte], 3);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ui::IsSelected(Row("polling_rate_option_", i)), i == 3) << i;
}

TEST_F(MousePage, AChosenColourIsStoredSentAndShownBack) {
    uint32_t offered = 0;
    settings_->SetColourChooser([&](uint32_t current) -> std::optional<uint32_t> {
        offered = current;
        return 0xFF336699u;
    });
    Send(notify_type::kClick, Row("DPI_color_option_", 2));
    EXPECT_EQ(offered >> 24, 0xFFu);
    const std::vector<uint8_t> block = Block();
    EXPECT_EQ(block[StageByte(2, kStageRed)], 0x33);
    EXPECT_EQ(block[StageByte(2, kStageRed) + 1], 0x66);
    EXPECT_EQ(block[StageByte(2, kStageRed) + 2], 0x99);
    const profiles::DPIStage saved = SavedStages().at(2);
    EXPECT_EQ((std::array{saved.red, saved.green, saved.blue}),
              (std::array<uint8_t, 3>{0x33, 0x66, 0x99}));

    mouse_->SetDpiColour(2, 0);
    mouse_->LoadProfile();
    mouse_->RefreshPage();
    EXPECT_EQ(mouse_->GetDpiColour(2), 0xFF336699u);

    // Cancelling changes nothing and sends nothing.
    firmware_->ClearRequestLog();
    settings_->SetColourChooser([](uint32_t) { return std::nullopt; });
    Send(notify_type::kClick, Row("DPI_color_option_", 2));
    EXPECT_EQ(ParameterWrites(), 0);
}

TEST_F(MousePage, TheDpiColourOptionsOpenThePaletteDialog) {
    bool opened = false;
    QTimer::singleShot(0, [&] {
        CColorSelectWnd* dialog = CColorSelectWnd::OpenDialog();
        ASSERT_NE(dialog, nullptr);
        opened = true;
        EXPECT_FALSE(dialog->FindControl("7color_layout")->isVisible());
        QWidget* red = dialog->FindControl("color_edit_r");
        ui::SetText(red, QStringLiteral("300"));
        ui::SendNotify(red, QString::fromLatin1(notify_type::kKillFocus));
        QTest::mouseClick(dialog->FindControl("okbtn"), Qt::LeftButton);
    });
    const uint32_t before = mouse_->GetDpiColour(1);
    Send(notify_type::kClick, Row("DPI_color_option_", 1));
    EXPECT_TRUE(opened);
    EXPECT_EQ(mouse_->GetDpiColour(1), 0xFF000000u | 0xFF0000u | (before & 0xFFFFu));
    EXPECT_EQ(Block()[StageByte(1, kStageRed)], 0xFF);
}

TEST_F(MousePage, PointerSettingsAreStoredOnly) {
    Toggle(Named("scrolls_page_check"), true);
    EXPECT_EQ(mouse_->GetSystemStages().scroll_page, 1);
    MoveSlider(Named("scroll_speed_slider"), 7);
    EXPECT_FALSE(ui::IsSelected(Named("scrolls_page_check")));
    EXPECT_EQ(mouse_->GetSystemStages().scroll_page, 0);
    EXPECT_EQ(mouse_->GetSystemStages().wheel_scroll_lines, 7);
    MoveSlider(Named("pointer_speed_slider"), 13);
    Toggle(Named("pointer_precision_check"), true);
    MoveSlider(Named("double_click_slider"), 4);
    profiles::CMouseProfiledata fresh;
    fresh.SetElementIndex(0);
    fresh.Load(mouse_->Profiledata().GetProfilePath());
    const profiles::MouseSystemStages saved = fresh.ReadMouseSystemStages();
    EXPECT_EQ(saved.pointer_speed, 13);
    EXPECT_EQ(saved.pointer_precision, 1);
    EXPECT_EQ(saved.double_click_time, 4);
    EXPECT_EQ(saved.wheel_scroll_lines, 7);
    EXPECT_EQ(ParameterWrites(), 0);
}

TEST_F(MousePage, ZelvoEditIsClampedAndMovesItsSlider) {
    auto* edit = new QLineEdit(settings_);
    edit->setObjectName("zelvo_DPI_edit_0");
    auto* slider = new QSlider(Qt::Horizontal, settings_);
    slider->setObjectName("zelvo_DPI_slider_0");
    slider->setRange(0, 10000);
    const struct {
        const char* typed;
        const char* shown;
    } cases[] = {{"50", "200"}, {"9000", "6500"}, {"abc", "200"}, {"1234", "1234"}};
    for (const auto& c : cases) {
        Type(edit, c.typed);
        EXPECT_EQ(edit->text(), c.shown) << c.typed;
        EXPECT_EQ(QString::number(slider->value()), c.shown) << c.typed;
    }
    slider->setValue(777);
    Send(notify_type::kMoveValueChanged, slider);
    EXPECT_EQ(edit->text(), "777");
}

}  // namespace
