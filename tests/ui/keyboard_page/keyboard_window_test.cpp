// The keyboard page as the program builds it: the device manager makes the page, binds it and
// shows it in the main window over an emulated keyboard, whose active device profile's
// parameter record sets the light at connect. Record 0 holds the wave at speed 2, multicolour:
// the key previews must show it moving across the columns. Record 1 (the emulated keyboard's
// active profile as it starts) holds the static colour 00 80 FF: every key shows that one.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <set>

#include "app/device_manager.h"
#include "app/main_wnd.h"
#include "controls/composite_controls.h"
#include "controls/device_key_button.h"
#include "controls/picture_controls.h"
#include "devices/device_option.h"
#include "devices/device_registration.h"
#include "devices/keyboard/light_preview_steps.h"
#include "devices/skelmora_keyboard_device.h"
#include "emulator/emulated_bus.h"
#include "panels/device_profile_ui.h"
#include "panels/keyboard_settings_panel.h"
#include "panels/light_control_ui.h"
#include "support/ui_fixture.h"
#include "ui/control_factory.h"
#include "ui/control_timers.h"
#include "ui/resource_list.h"

namespace {

class KeyboardInTheWindow : public uitest::AppFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
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
            panels::RegisterKeyboardSettingsPanel();
            registered = true;
        }
    }

    // Plugs the keyboard with this active device profile and shows the window over it.
    void Start(uint8_t activeProfile) {
        std::string error;
        ASSERT_TRUE(bus_->Plug("keyboard", error)) << error;
        const uint8_t profile[] = {activeProfile};
        ASSERT_TRUE(
            bus_->Device("keyboard")->Firmware().Set(emu::AreaId::Params, 0, profile, error))
            << error;
        window_ = std::make_unique<CMainWnd>(bus_);
        ASSERT_TRUE(window_->Create(nullptr, "test"));
        window_->show();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return window_->Devices()->VisibleItemCount() == 1; }, 5000));
        keyboard_ = qobject_cast<CSkelmoraKeyboardDevice*>(
            window_->Devices()->DeviceOfItem(window_->Devices()->SelectedItem()));
        ASSERT_NE(keyboard_, nullptr);
    }

    void TearDown() override {
        window_.reset();
        ui::SetResourcePath(QString());
    }

    // The preview colour of every bound light control, by LED index.
    std::vector<quint32> Fills() const {
        std::vector<quint32> fills;
        for (int i = 0; i < keyboard_->GetLedCount(); ++i) {
            if (const CDeviceKeyButtonUI* control = keyboard_->GetLightControl(i))
                fills.push_back(control->GetLightFill());
        }
        return fills;
    }

    QTemporaryDir home_;
    std::shared_ptr<emu::EmulatedBus> bus_ = emu::EmulatedBus::Create();
    std::unique_ptr<CMainWnd> window_;
    CSkelmoraKeyboardDevice* keyboard_ = nullptr;
};

TEST_F(KeyboardInTheWindow, TheWaveRunsAcrossTheKeyColumnsOfTheShownPage) {
    Start(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyboard_->CurrentEffectCode() == 1; }, 5000))
        << "record 0's wave was not read: code " << keyboard_->CurrentEffectCode();
    // The columns span the picture: Escape on the left, the number pad's last key on the right.
    std::set<int> columns;
    for (int key = 0; key < 126; ++key) columns.insert(keyboard_->KeyColumn(key));
    EXPECT_EQ(*columns.begin(), 0);
    EXPECT_EQ(*columns.rbegin(), keyboard::kWaveColumns - 1);
    EXPECT_GE(columns.size(), 20u) << "the keys fall into too few wave columns";

    // The previews show several colours at once (one per group of columns), and they move.
    std::vector<quint32> first;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            first = Fills();
            return std::set<quint32>(first.begin(), first.end()).size() >= 8;
        },
        5000))
        << "the key previews do not show the wave's colours across the columns";
    ASSERT_TRUE(QTest::qWaitFor([&] { return Fills() != first; }, 5000))
        << "the wave does not move on the key previews";
}

// The selector item's frame timer runs at the pace of what the keyboard needs: a preview's
// pace while the wave shows on the page, a slow pace while the window is hidden or minimised
// (and the previews are left as they are), the fast pace while it streams the sound-driven
// effects.
TEST_F(KeyboardInTheWindow, TheFrameTimerRunsAtThePaceOfWhatIsSeenOrStreamed) {
    Start(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyboard_->CurrentEffectCode() == 1; }, 5000));
    CDeviceOptionUI* item = window_->Devices()->Item(window_->Devices()->SelectedItem());
    ASSERT_NE(item, nullptr);
    const CDeviceOptionUI::Intervals paces;
    const auto paceIs = [&](int pace) {
        return QTest::qWaitFor(
            [&] { return ui::TimerInterval(item, CDeviceOptionUI::kFrameTimer) == pace; }, 5000);
    };
    EXPECT_TRUE(paceIs(paces.previewFrame));

    window_->hide();  // to the tray
    EXPECT_TRUE(paceIs(paces.hiddenFrame));
    const std::vector<quint32> hidden = Fills();
    QTest::qWait(300);
    EXPECT_EQ(Fills(), hidden) << "previews painted while the window is hidden";

    window_->showMinimized();
    EXPECT_TRUE(paceIs(paces.hiddenFrame));
    window_->showNormal();
    EXPECT_TRUE(paceIs(paces.previewFrame));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Fills() != hidden; }, 5000));

    light::LightSettings settings = keyboard_->GetLightSettingsCopy();
    for (int mode = 0; mode < 64; ++mode) {
        if (keyboard_->EffectCodeOfMode(mode) == 29) settings.mode = static_cast<uint8_t>(mode);
    }
    ASSERT_EQ(keyboard_->EffectCodeOfMode(settings.mode), 29);
    keyboard_->SetLightSettings(light::ToWords(settings));
    EXPECT_TRUE(paceIs(paces.wiredFrame));
    window_->hide();  // the keyboard's LEDs still follow the sound
    QTest::qWait(50);
    EXPECT_EQ(ui::TimerInterval(item, CDeviceOptionUI::kFrameTimer), paces.wiredFrame);
}

TEST_F(KeyboardInTheWindow, TheActiveRecordsStaticColourShowsOnEveryKey) {
    Start(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyboard_->CurrentEffectCode() == 5; }, 5000))
        << "record 1's static colour was not read: code " << keyboard_->CurrentEffectCode();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const std::vector<quint32> fills = Fills();
            return !fills.empty() && std::all_of(fills.begin(), fills.end(), [](quint32 argb) {
                return (argb & 0xFFFFFFu) == 0x0080FFu;
            });
        },
        5000));
}

}  // namespace
