// The keyboard page as the program builds it: the device manager makes the page, binds it and
// shows it in the main window over an emulated keyboard, whose active device profile's
// parameter record sets the light at connect. Record 0 holds the wave at speed 2, multicolour:
// the key previews must show it moving across the columns. Record 1 (the emulated keyboard's
// active profile as it starts) holds the static colour 00 80 FF: every key shows that one.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QStackedWidget>
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
#include "panels/key_set_control_ui.h"
#include "panels/keyboard_settings_panel.h"
#include "panels/light_control_ui.h"
#include "panels/macro_control_ui.h"
#include "support/ui_fixture.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"
#include "ui/control_timers.h"
#include "ui/resource_list.h"
#include "ui/resource_manager.h"

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
            RegisterKeySetControl();
            RegisterMacroControl();
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

// The key assignment panel on the keyboard page: the "Keys" and "Macros" tabs show the panels,
// a click on a key of the picture shows its assignment, every edit reaches the profile file
// and the keyboard's key table, changes waiting lock the device selector, and the key text
// edit's focus switches single-key capture (the program's own window here), whose key sets
// the key.
class KeyPanelInTheWindow : public KeyboardInTheWindow {
  protected:
    void SetUp() override {
        KeyboardInTheWindow::SetUp();
        qputenv("SKELMORA_INPUT", "window");
        Start(1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return keyboard_->Memory().complete; }, 5000));
        keys_ = keyboard_->findChild<CKeySetControlUI*>(CKeySetControlUI::kItemName);
        ASSERT_NE(keys_, nullptr);
        keys_->SetMessageHandler([this](const QString& text, int) {
            messages_.push_back(text.toStdString());
            return 1;
        });
    }
    void TearDown() override {
        qunsetenv("SKELMORA_INPUT");
        KeyboardInTheWindow::TearDown();
    }
    QWidget* Find(const char* name) const {
        return CPaintManagerUI::FindSubControlByName(window_.get(), QString::fromLatin1(name));
    }
    void Send(const char* name, const char* type) {
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(type);
        msg.pSender = Find(name);
        ASSERT_NE(msg.pSender, nullptr) << name;
        window_->Notify(msg);
    }
    void Select(const char* combo, int row) {
        ui::SelectItem(Find(combo), row, false);
        Send(combo, notify_type::kItemSelect);
    }
    void SelectFunction(int kind) {
        QWidget* combo = Find("keyset_function_combo");
        for (int i = 0; i < ui::GetCount(combo); ++i) {
            if (ui::GetItemUserData(combo, i) == QString::number(kind))
                return Select("keyset_function_combo", i);
        }
        FAIL() << "no function item of kind " << kind;
    }
    // The three bytes at a key table position of the emulated keyboard.
    std::vector<uint8_t> TableAt(size_t position) const {
        const auto table = bus_->Device("keyboard")->Firmware().Dump(emu::AreaId::KeyTable);
        if (!table || table->size() < position * 3 + 3) return {};
        return {table->begin() + position * 3, table->begin() + position * 3 + 3};
    }
    // "Assignment" of key 0 in the current profile's file on disk.
    int SavedAssignmentOfEscape() const {
        QFile file(QString::fromStdString(keyboard_->Profiledata().GetProfilePath().string()));
        if (!file.open(QIODevice::ReadOnly)) return -1;
        const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
        return root["Device"][0]["KeyList"][0]["Assignment"].toInt(-1);
    }

    CKeySetControlUI* keys_ = nullptr;
    std::vector<std::string> messages_;
};

TEST_F(KeyPanelInTheWindow, TheKeysAndMacrosTabsShowTheirPanels) {
    auto* stack = qobject_cast<QStackedWidget*>(Find("device_function_switch"));
    auto* keyStack = qobject_cast<QStackedWidget*>(Find("device_key_function_switch"));
    ASSERT_NE(stack, nullptr);
    ASSERT_NE(keyStack, nullptr);
    struct Case {
        const char* tab;
        const char* page;     // shown by device_function_switch
        const char* keyPage;  // shown by device_key_function_switch, when it is the page
    };
    const Case cases[] = {
        {"key_Op_tab", "device_key_function_switch", CKeySetControlUI::kItemName},
        {"macro_Op_tab", CMacroControlUI::kItemName, nullptr},
        {"system_Op_tab", "kb_system_settings", nullptr},
        {"deng_Op_tab", "device_key_function_switch", "kb_light_page"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tab);
        ui::SetSelected(Find(c.tab), true, false);
        Send(c.tab, notify_type::kSelectChanged);
        EXPECT_EQ(stack->currentWidget()->objectName(), QLatin1String(c.page));
        if (c.keyPage) {
            EXPECT_EQ(keyStack->currentWidget()->objectName(), QLatin1String(c.keyPage));
        }
    }
}

TEST_F(KeyPanelInTheWindow, AnEditOfAPickedKeyReachesTheProfileAndTheKeyTable) {
    // Escape (key 0) is 20 00 29 from the factory; find its position in the key table.
    const auto table = bus_->Device("keyboard")->Firmware().Dump(emu::AreaId::KeyTable);
    ASSERT_TRUE(table);
    size_t escape = table->size();
    for (size_t p = 0; p + 3 <= table->size(); p += 3) {
        if ((*table)[p] == 0x20 && (*table)[p + 1] == 0x00 && (*table)[p + 2] == 0x29) {
            escape = p / 3;
            break;
        }
    }
    ASSERT_LT(escape, table->size()) << "no Escape in the factory key table";

    ui::SetSelected(Find("key_Op_tab"), true, false);
    Send("key_Op_tab", notify_type::kSelectChanged);
    QTest::mouseClick(keyboard_->GetKeyButton(0), Qt::LeftButton);
    EXPECT_EQ(keyboard_->GetSelectedKey(), 0);
    QWidget* functions = Find("keyset_function_combo");
    EXPECT_EQ(ui::GetItemUserData(functions, ui::GetCurSel(functions)), "0")
        << "a key on its factory assignment shows the default item";

    // Media, volume up: (0x30, 0xE9, 0x00).
    SelectFunction(7);
    Select("keyset_media_combo", 6);
    EXPECT_EQ(TableAt(escape), (std::vector<uint8_t>{0x30, 0xE9, 0x00}));
    EXPECT_EQ(SavedAssignmentOfEscape(), 0x30E900);
    EXPECT_TRUE(messages_.empty()) << messages_.front();

    // Save leaves the change waiting: the selector is locked until the table is written.
    QWidget* selector = Find("device_select_layout");
    ASSERT_NE(selector, nullptr);
    Send("key_butt_keysave", notify_type::kClick);
    EXPECT_TRUE(window_->Devices()->IsEditing());
    EXPECT_FALSE(selector->isEnabled());
    Send("key_butt_prosave", notify_type::kClick);
    EXPECT_FALSE(window_->Devices()->IsEditing());
    EXPECT_TRUE(selector->isEnabled());

    // The key text edit's focus is 0x41E: capture on; B (evdev 48, scan code 0x30) is
    // usage 0x05.
    SelectFunction(6);
    Send("keyset_keyboard_text_edit", notify_type::kSetFocus);
    EXPECT_TRUE(window_->IsMacroHookOn());
    ASSERT_TRUE(keys_->IsCapturing());
    QKeyEvent press(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, 48 + 8, 0, 0, "b");
    QApplication::sendEvent(window_.get(), &press);
    EXPECT_EQ(TableAt(escape), (std::vector<uint8_t>{0x20, 0x00, 0x05}));
    EXPECT_EQ(SavedAssignmentOfEscape(), 0x200005);
    Send("keyset_keyboard_text_edit", notify_type::kKillFocus);
    EXPECT_FALSE(window_->IsMacroHookOn());
    EXPECT_FALSE(keys_->IsCapturing());

    // A keyboard that refuses the key table: the failure message; the file keeps the edit.
    bus_->Device("keyboard")
        ->Firmware()
        .AddFault({hid::kCmdWriteKeyTable, 0, emu::FaultKind::StatusFE, 1});
    Select("keyset_function_combo", ui::GetCurSel(functions));
    SelectFunction(7);
    ASSERT_FALSE(messages_.empty());
    EXPECT_EQ(messages_.back(),
              CResourceManager::GetInstance().GetText("message_text_7").toStdString());
}

// The pointer over a key shows its key-set image until it leaves; the picked key keeps it.
TEST_F(KeyPanelInTheWindow, TheKeyUnderThePointerAndThePickedKeyAreHighlighted) {
    CDeviceKeyButtonUI* picked = keyboard_->GetKeyButton(0);
    CDeviceKeyButtonUI* other = keyboard_->GetKeyButton(5);
    ASSERT_TRUE(picked && other);
    QTest::mouseClick(picked, Qt::LeftButton);
    struct Step {
        CDeviceKeyButtonUI* key;
        const char* type;
        bool pickedShown;
        bool otherShown;
    };
    const Step steps[] = {
        {other, notify_type::kMouseEnter, true, true},
        {other, notify_type::kMouseLeave, true, false},
        {picked, notify_type::kMouseEnter, true, false},
        {picked, notify_type::kMouseLeave, true, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.type) + " " + step.key->objectName().toStdString());
        TNotifyUI msg{QLatin1String(step.type), step.key};
        window_->Notify(msg);
        EXPECT_EQ(!picked->IsKeySetHidden(), step.pickedShown);
        EXPECT_EQ(!other->IsKeySetHidden(), step.otherShown);
    }
    EXPECT_EQ(other->GetKeySetImage(), QLatin1String(CSkelmoraUSBDevice::kKeyHoverImage));
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_TRUE(picked->IsKeySetHidden()) << "the key picked before keeps its highlight";
    EXPECT_FALSE(other->IsKeySetHidden());
}

// A notification that reaches no handler is said once per type and sender, however often it
// comes; one that a page takes is not said.
TEST_F(KeyPanelInTheWindow, ANotificationNobodyHandlesIsLoggedOnce) {
    static std::vector<std::string> lines;
    lines.clear();
    QLoggingCategory::setFilterRules(QStringLiteral("skelmora.ui.info=true"));
    const QtMessageHandler before =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
            if (text.contains(QLatin1String("not handled"))) lines.push_back(text.toStdString());
        });
    QWidget stray;
    stray.setObjectName(QStringLiteral("stray_control"));
    TNotifyUI strayClick{QLatin1String(notify_type::kClick), &stray};
    TNotifyUI keyClick{QLatin1String(notify_type::kClick), keyboard_->GetKeyButton(3)};
    EXPECT_FALSE(window_->Devices()->RouteNotify(strayClick));
    EXPECT_FALSE(window_->Devices()->RouteNotify(strayClick));
    EXPECT_TRUE(window_->Devices()->RouteNotify(keyClick));
    qInstallMessageHandler(before);
    QLoggingCategory::setFilterRules(QString());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines.front().find("stray_control"), std::string::npos) << lines.front();
}

// Pictures of the keyboard page's "Keys" and "Macros" tabs (written only when asked for).
TEST_F(KeyPanelInTheWindow, ScreenshotsOfTheKeysAndMacrosTabs) {
    const QString folder = qEnvironmentVariable("SKELMORA_SCREENSHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "SKELMORA_SCREENSHOT_DIR not set";
    window_->resize(1000, 640);
    ui::SetSelected(Find("key_Op_tab"), true, false);
    Send("key_Op_tab", notify_type::kSelectChanged);
    QTest::mouseClick(keyboard_->GetKeyButton(0), Qt::LeftButton);
    SelectFunction(7);
    Select("keyset_media_combo", 6);
    QTest::qWait(200);
    EXPECT_TRUE(window_->grab().save(folder + "/keyboard-keys-en.png"));

    auto* macros = keyboard_->findChild<CMacroControlUI*>(CMacroControlUI::kItemName);
    ASSERT_NE(macros, nullptr);
    macros->AddMacro();
    ui::SetSelected(Find("macro_Op_tab"), true, false);
    Send("macro_Op_tab", notify_type::kSelectChanged);
    QTest::qWait(200);
    EXPECT_TRUE(window_->grab().save(folder + "/keyboard-macros-en.png"));
}

}  // namespace
