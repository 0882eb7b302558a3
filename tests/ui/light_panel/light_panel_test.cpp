// The lighting panel built from the shipped layout, offscreen, over recording devices: the
// layout per type and mode on the real widgets, the colour entries, same mode across device
// lists, the audio colour rules and the panel without its controls.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "controls/color_palette.h"
#include "controls/composite_controls.h"
#include "controls/picture_controls.h"
#include "devices/light_info_words.h"
#include "devices/skelmora_usb_device.h"
#include "panels/light_control_ui.h"
#include "support/ui_fixture.h"
#include "ui/control_factory.h"
#include "ui/control_look.h"
#include "ui/control_props.h"
#include "ui/layout_loader.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_resources.h"

namespace {

namespace lm = light_model;

// A device that records the operations the panel calls, in order.
class RecordingDevice : public CSkelmoraUSBDevice {
  public:
    explicit RecordingDevice(int kind) { SetKind(kind); }
    void SetLightSettings(const std::array<uint32_t, 4>& words) override {
        CSkelmoraUSBDevice::SetLightSettings(words);
        calls.push_back("set");
    }
    void SaveProfile() override { calls.push_back("save"); }
    int LoadLightSettings() override {
        calls.push_back("load");
        return 1;
    }
    int WriteParameters(const ParameterWrite& values) override {
        calls.push_back("write");
        writes.push_back(values);
        return 1;
    }
    void SetLightSource(int first, int second, int third) override {
        CSkelmoraUSBDevice::SetLightSource(first, second, third);
        calls.push_back("source");
    }
    profiles::LightInfo Light() const { return light::ToLightInfo(GetLightSettingsCopy()); }
    void SetLight(const profiles::LightInfo& info) {
        CSkelmoraUSBDevice::SetLightSettings(
            light::ToWords(light::WithLightInfo(GetLightSettingsCopy(), info)));
    }

    std::vector<std::string> calls;
    std::vector<ParameterWrite> writes;
};

const std::vector<std::string> kFull{"set", "save", "load", "write"};

class LightPanelTest : public uitest::AppFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        qputenv("XDG_DATA_HOME", home_.filePath("data").toUtf8());
        ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
        ASSERT_TRUE(CResourceManager::GetInstance().LoadLanguage(QStringLiteral("lan_en.xml")));
        controls::RegisterPictureControls(CControlFactory::GetInstance());
        controls::RegisterCompositeControls(CControlFactory::GetInstance());
        RegisterLightControl();
    }

    // A device of this kind with its panel built from the shipped layout, attached.
    RecordingDevice& Make(int kind, int model, bool withPanel = true) {
        auto device = std::make_unique<RecordingDevice>(kind);
        device->SetModelIndex(model);
        device->SetDefaultDataFolder(QStringLiteral(SKELMORA_SOURCE_ROOT "/DefaultData/"));
        device->CommandChannel().SetOpened(true);
        if (withPanel) {
            BuildResult built = CDialogBuilder::Create(
                QStringLiteral("XML/CustomControlXML/LightControl.xml"), device.get());
            EXPECT_TRUE(built) << built.error.toStdString();
            auto* panel = qobject_cast<CLightControlUI*>(built.root);
            EXPECT_NE(panel, nullptr);
            if (panel) {
                panel->setObjectName(CLightControlUI::kItemName);
                panel->SetHost(host_);
                panel->AttachDevice(device.get());
            }
        }
        devices_.push_back(std::move(device));
        return *devices_.back();
    }
    static CLightControlUI* Panel(const RecordingDevice& device) {
        return CLightControlUI::OfPage(&device);
    }
    static QWidget* Control(const RecordingDevice& device, const char* name) {
        return CPaintManagerUI::FindSubControlByName(Panel(device), QString::fromLatin1(name));
    }
    static void Send(RecordingDevice& device, const char* type, const char* control) {
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(type);
        msg.pSender = Control(device, control);
        ASSERT_TRUE(msg.pSender) << control;
        device.Notify(msg);
    }
    static bool Shown(const RecordingDevice& device, const char* name) {
        const QWidget* control = Control(device, name);
        return control && !control->isHidden();
    }
    static bool Enabled(const RecordingDevice& device, const char* name) {
        const QWidget* control = Control(device, name);
        return control && control->isEnabledTo(control->parentWidget());
    }

    QTemporaryDir home_;
    std::shared_ptr<LightPanelHost> host_ = std::make_shared<LightPanelHost>();
    std::vector<std::unique_ptr<RecordingDevice>> devices_;
};

// ---- Layout on the widgets ----

TEST_F(LightPanelTest, KeyboardModesShowTheirGroups) {
    RecordingDevice& keyboard = Make(1, 1);
    CLightControlUI* panel = Panel(keyboard);
    ASSERT_EQ(ui::GetCount(Control(keyboard, "light_combo_modeSelect")), 46);
    EXPECT_EQ(ui::GetCount(Control(keyboard, "light_combo_custommodeSelect")), 5);
    const auto* tabs = qobject_cast<QStackedWidget*>(Control(keyboard, "light_color_tablayout"));
    ASSERT_NE(tabs, nullptr);

    panel->SetLightMode(21);
    EXPECT_TRUE(Shown(keyboard, "lightcustom_layout"));
    EXPECT_FALSE(Shown(keyboard, "deng_speed_layout"));
    panel->SetLightMode(29);
    EXPECT_FALSE(Shown(keyboard, "lightcustom_layout"));
    EXPECT_TRUE(Shown(keyboard, "light_combo_AudiomodeSelectLayout"));
    EXPECT_EQ(tabs->currentIndex(), 1);
    panel->SetLightMode(45);
    EXPECT_TRUE(Shown(keyboard, "light_combo_ZZCCmodeSelectLayout"));
    EXPECT_FALSE(Shown(keyboard, "light_combo_AudiomodeSelectLayout"));
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_FALSE(Enabled(keyboard, "light_color_layout"));
    panel->SetLightMode(6);
    EXPECT_FALSE(Shown(keyboard, "light_combo_ZZCCmodeSelectLayout"));
    EXPECT_TRUE(Enabled(keyboard, "light_color_layout"));
    EXPECT_TRUE(Shown(keyboard, "deng_speed_layout"));

    struct Texts {
        int mode;
        const char* first;
        const char* second;
    };
    const Texts texts[] = {{3, "Outside in", "Inside out"},
                           {19, "Bottom to top", "Top to bottom"},
                           {24, "Bottom to top", "Top to bottom"},
                           {1, "Right to left", "Left to right"}};
    for (const Texts& t : texts) {
        panel->SetLightMode(t.mode);
        EXPECT_EQ(ui::GetText(Control(keyboard, "deng_FXL_check")), t.first) << t.mode;
        EXPECT_EQ(ui::GetText(Control(keyboard, "deng_FXR_check")), t.second) << t.mode;
    }
}

TEST_F(LightPanelTest, SameModeButtonNeedsAvailabilityAndAModeThatShowsIt) {
    RecordingDevice& mouse = Make(2, 0);
    RecordingDevice& keyboard = Make(1, 1);
    CLightControlUI* panel = Panel(mouse);
    struct Case {
        bool available;
        int mode;
        bool shown;
    };
    const Case cases[] = {
        {false, 2, false}, {true, 2, true}, {true, 7, false}, {true, 9, true}, {false, 9, false}};
    for (const Case& c : cases) {
        panel->SetSameModeAvailable(c.available);
        panel->SetLightMode(c.mode);
        EXPECT_EQ(Shown(mouse, "deng_same_mode"), c.shown) << c.available << "/" << c.mode;
    }
    Panel(keyboard)->SetSameModeAvailable(true);
    for (int mode : {5, 6, 23, 28, 40}) {
        Panel(keyboard)->SetLightMode(mode);
        EXPECT_FALSE(Shown(keyboard, "deng_same_mode")) << mode;
    }
}

TEST_F(LightPanelTest, AProfileModePastTheListSelectsNothing) {
    RecordingDevice& mouse = Make(2, 0);
    profiles::LightInfo info;
    info.mode = 60;
    Panel(mouse)->ShowLightInfo(info);
    EXPECT_EQ(Panel(mouse)->GetLightMode(), -1);
    info.mode = 3;
    Panel(mouse)->ShowLightInfo(info);
    EXPECT_EQ(Panel(mouse)->GetLightMode(), 3);
}

// ---- Handlers ----

TEST_F(LightPanelTest, ChoosingAModeStoresItAndRunsTheSequence) {
    host_->screenSize = [] { return QSize(2560, 1440); };
    RecordingDevice& keyboard = Make(1, 1);
    keyboard.SetSynchroMember(true);
    keyboard.calls.clear();
    ui::SelectItem(Control(keyboard, "light_combo_modeSelect"), 21);
    Send(keyboard, notify_type::kItemSelect, "light_combo_modeSelect");
    EXPECT_EQ(keyboard.Light().mode, 21);
    EXPECT_FALSE(keyboard.IsSynchroMember());
    EXPECT_EQ(keyboard.calls, kFull);
    ASSERT_EQ(keyboard.writes.size(), 1u);
    EXPECT_EQ(keyboard.writes[0].flag, 1);
    EXPECT_EQ(keyboard.writes[0].screenWidth, 2560);
    EXPECT_EQ(keyboard.writes[0].screenHeight, 1440);
    EXPECT_TRUE(Shown(keyboard, "lightcustom_layout"));
}

TEST_F(LightPanelTest, ColourEditsFollowTheEditRule) {
    RecordingDevice& mouse = Make(2, 0);
    struct Case {
        const char* edit;
        const char* text;
        uint8_t stored;
        const char* shown;
    };
    const Case cases[] = {{"deng_edit_G", "300", 255, "255"},
                          {"deng_edit_G", "", 0, "0"},
                          {"deng_edit_R", "-1", 0, "0"},
                          {"deng_edit_B", "12abc", 12, "12"},
                          {"deng_edit_B", "200", 200, "200"}};
    for (const Case& c : cases) {
        profiles::LightInfo start;
        start.red = 1;
        start.green = 2;
        start.blue = 3;
        start.multicolour = 1;
        mouse.SetLight(start);
        mouse.SetSynchroMember(true);
        mouse.calls.clear();
        ui::SetText(Control(mouse, c.edit), QString::fromLatin1(c.text));
        Send(mouse, notify_type::kKillFocus, c.edit);
        const profiles::LightInfo light = mouse.Light();
        const std::string edit = c.edit;
        const uint8_t expected[] = {edit == "deng_edit_R" ? c.stored : uint8_t{1},
                                    edit == "deng_edit_G" ? c.stored : uint8_t{2},
                                    edit == "deng_edit_B" ? c.stored : uint8_t{3}};
        EXPECT_EQ(light.red, expected[0]) << c.text;
        EXPECT_EQ(light.green, expected[1]) << c.text;
        EXPECT_EQ(light.blue, expected[2]) << c.text;
        EXPECT_EQ(light.multicolour, 0) << c.text;
        EXPECT_EQ(ui::GetText(Control(mouse, c.edit)), c.shown) << c.text;
        EXPECT_FALSE(mouse.IsSynchroMember()) << c.text;
        EXPECT_EQ(mouse.calls, kFull) << c.text;
        EXPECT_EQ(Panel(mouse)->GetPaletteColor(),
                  lm::ArgbOf({expected[0], expected[1], expected[2]}))
            << c.text;
        EXPECT_EQ(ui::GetBkColor(Control(mouse, "deng_colordp_btn")),
                  lm::ArgbOf({expected[0], expected[1], expected[2]}));
    }
}

TEST_F(LightPanelTest, APresetKeepsSameModeAndASliderEndsIt) {
    RecordingDevice& mouse = Make(2, 0);
    mouse.SetSynchroMember(true);
    Send(mouse, notify_type::kClick, "color_option_2");  // yellow in the layout
    EXPECT_TRUE(mouse.IsSynchroMember());
    const profiles::LightInfo light = mouse.Light();
    EXPECT_EQ((lm::Rgb{light.red, light.green, light.blue}), (lm::Rgb{255, 255, 0}));
    EXPECT_EQ(ui::GetText(Control(mouse, "deng_edit_G")), "255");
    EXPECT_EQ(ui::GetText(Control(mouse, "deng_edit_B")), "0");
    EXPECT_EQ(Panel(mouse)->GetPaletteColor(), 0xFFFFFF00u);

    ui::SetValue(Control(mouse, "deng_speed_slider"), 4);
    Send(mouse, notify_type::kValueChanged, "deng_speed_slider");
    EXPECT_FALSE(mouse.IsSynchroMember());
    EXPECT_EQ(mouse.Light().speed, 4);

    mouse.SetSynchroMember(true);
    Panel(mouse)->SetPaletteColor(0xFF102030u);
    Send(mouse, notify_type::kColorChanged, "deng_Color_Pallet");
    EXPECT_FALSE(mouse.IsSynchroMember());
    EXPECT_EQ(mouse.Light().blue, 0x30);
    EXPECT_EQ(ui::GetText(Control(mouse, "deng_edit_R")), "16");
}

TEST_F(LightPanelTest, DirectionTakesTheChosenOption) {
    RecordingDevice& mouse = Make(2, 0);
    ui::SetSelected(Control(mouse, "deng_FXL_check"), false);
    ui::SetSelected(Control(mouse, "deng_FXR_check"), true);
    mouse.calls.clear();
    // The option left first, then the option chosen.
    Send(mouse, notify_type::kSelectChanged, "deng_FXL_check");
    EXPECT_TRUE(mouse.calls.empty());
    Send(mouse, notify_type::kSelectChanged, "deng_FXR_check");
    EXPECT_EQ(mouse.Light().direction, 0);
    EXPECT_EQ(mouse.calls, kFull);
}

// ---- Same mode ----

TEST_F(LightPanelTest, SameModeFromAMousePutsEveryOpenDeviceInItsBreathing) {
    RecordingDevice& mouse = Make(2, 0);
    RecordingDevice& keyboard = Make(1, 1);
    RecordingDevice& receiverKeyboard = Make(9, 1, false);
    RecordingDevice& pad = Make(3, 2, false);
    RecordingDevice& headset = Make(7, 3, false);
    RecordingDevice& closed = Make(7, 3, false);
    closed.CommandChannel().SetOpened(false);
    std::optional<light::SyncSettings> shared;
    host_->shareSyncSettings = [&shared](const light::SyncSettings& s) { shared = s; };
    host_->devicesOfKind = [&](int kind) -> std::vector<CSkelmoraUSBDevice*> {
        switch (kind) {
            case 1:
                return {&keyboard, &receiverKeyboard};
            case 2:
                return {&mouse};
            case 3:
                return {&pad};
            case 7:
                return {&headset, &closed};
            default:
                return {};
        }
    };
    profiles::LightInfo source;
    source.mode = 2;
    source.brightness = 3;
    source.speed = 1;
    source.red = 10;
    source.green = 20;
    source.blue = 30;
    mouse.SetLight(source);
    Panel(mouse)->SetSameModeAvailable(true);
    Panel(mouse)->ShowLightInfo(source);
    for (auto& device : devices_) device->calls.clear();

    Send(mouse, notify_type::kClick, "deng_same_mode");

    ASSERT_TRUE(shared.has_value());
    EXPECT_EQ(shared->mode, light::kSyncBreathing);
    EXPECT_EQ(shared->brightness, 3);
    EXPECT_EQ(shared->speed, 1);
    EXPECT_EQ(shared->colour, (light::Rgb{10, 20, 30}));
    struct Expect {
        RecordingDevice* device;
        int mode;
    };
    const Expect expected[] = {
        {&keyboard, 6}, {&receiverKeyboard, 6}, {&mouse, 2}, {&pad, 2}, {&headset, 2}};
    for (const Expect& e : expected) {
        const profiles::LightInfo light = e.device->Light();
        EXPECT_EQ(light.mode, e.mode) << e.device->GetKind();
        EXPECT_EQ((lm::Rgb{light.red, light.green, light.blue}), (lm::Rgb{10, 20, 30}));
        EXPECT_EQ(light.brightness, 3);
        EXPECT_EQ(light.speed, 1);
        EXPECT_TRUE(e.device->IsSynchroMember()) << e.device->GetKind();
        EXPECT_EQ(e.device->calls, kFull) << e.device->GetKind();
    }
    EXPECT_EQ(Panel(keyboard)->GetLightMode(), 6);  // shown on its panel
    EXPECT_TRUE(closed.calls.empty());
    EXPECT_FALSE(closed.IsSynchroMember());

    // A keyboard mode without a kind changes nothing.
    profiles::LightInfo reactive;
    reactive.mode = 7;
    keyboard.SetLight(reactive);
    for (auto& device : devices_) device->calls.clear();
    shared.reset();
    Send(keyboard, notify_type::kClick, "deng_same_mode");
    EXPECT_FALSE(shared.has_value());
    for (auto& device : devices_) EXPECT_TRUE(device->calls.empty()) << device->GetKind();
}

// ---- Audio ----

TEST_F(LightPanelTest, AudioColoursFollowTheirRules) {
    RecordingDevice& keyboard = Make(1, 1);
    CLightControlUI* panel = Panel(keyboard);
    profiles::AudioLightInfo info;
    info.audio_mode = 1;
    info.foreground_red = 5;
    info.seven_colour = 1;
    info.colour_type = 1;
    info.background_blue = 9;
    const std::array<int, 3> words = light::PackAudioLight(info);
    keyboard.SetLightSource(words[0], words[1], words[2]);
    EXPECT_TRUE(ui::IsSelected(Control(keyboard, "audio_FgColor_check")));
    EXPECT_TRUE(ui::IsSelected(Control(keyboard, "deng_7audiocolor_check")));
    EXPECT_EQ(ui::GetText(Control(keyboard, "deng_audioedit_R")), "5");

    // A new foreground from the palette clears the seven-colour flag.
    panel->SetColorSwatch(0xFF000000u);
    auto* audioPalette =
        qobject_cast<CColorPaletteUI*>(Control(keyboard, "deng_audioColor_Pallet"));
    ASSERT_NE(audioPalette, nullptr);
    audioPalette->SetSelectColor(0xFF0A0B0Cu);
    Send(keyboard, notify_type::kColorChanged, "deng_audioColor_Pallet");
    profiles::AudioLightInfo stored = light::UnpackAudioLight(keyboard.GetLightSource(false));
    EXPECT_EQ(lm::AudioColour(stored, true), (lm::Rgb{10, 11, 12}));
    EXPECT_EQ(stored.seven_colour, 0);
    EXPECT_EQ(stored.background_blue, 9);
    EXPECT_EQ(keyboard.calls.back(), "load");

    // Edits: above 255 stores 255 without rewriting the edit; the background keeps the flag.
    info = stored;
    info.colour_type = 0;
    info.seven_colour = 1;
    const std::array<int, 3> background = light::PackAudioLight(info);
    keyboard.SetLightSource(background[0], background[1], background[2]);
    // While the background is edited the (disabled) seven-colour option keeps its state.
    ui::SetSelected(Control(keyboard, "deng_7audiocolor_check"), true);
    ui::SetText(Control(keyboard, "deng_audioedit_G"), QStringLiteral("300"));
    Send(keyboard, notify_type::kKillFocus, "deng_audioedit_G");
    stored = light::UnpackAudioLight(keyboard.GetLightSource(false));
    EXPECT_EQ(stored.background_green, 255);
    EXPECT_EQ(stored.seven_colour, 1);
    EXPECT_EQ(ui::GetText(Control(keyboard, "deng_audioedit_G")), "255");  // shown again

    Send(keyboard, notify_type::kClick, "Close_bkColor_btn");
    stored = light::UnpackAudioLight(keyboard.GetLightSource(false));
    EXPECT_EQ(lm::AudioColour(stored, false), (lm::Rgb{0, 0, 0}));
    EXPECT_EQ(lm::AudioColour(stored, true), (lm::Rgb{10, 11, 12}));

    // Audio mode 3 disables both colour groups.
    info.audio_mode = 3;
    panel->SetAudioLightInfo(info);
    EXPECT_FALSE(Enabled(keyboard, "light_audiocolor_layout"));
    EXPECT_FALSE(Enabled(keyboard, "audiocolorpallet_layout"));
}

TEST_F(LightPanelTest, APanelWithoutControlsGivesNeutralValuesAndEndsNothing) {
    CLightControlUI bare;
    EXPECT_EQ(bare.GetLightMode(), -1);
    EXPECT_EQ(bare.GetCustomGroup(), -1);
    EXPECT_EQ(bare.GetZzccMode(), -1);
    EXPECT_EQ(bare.GetBrightness(), 0);
    EXPECT_EQ(bare.GetSpeed(), 0);
    EXPECT_TRUE(bare.GetRedText().isEmpty());
    EXPECT_EQ(bare.GetPaletteColor(), lm::kNeutralColour);
    EXPECT_EQ(bare.GetAudioPaletteColor(), lm::kNeutralColour);
    EXPECT_EQ(bare.GetPresetColor(1), 0u);
    EXPECT_EQ(bare.GetLightAudioColor(1), 0u);
    EXPECT_FALSE(bare.GetMultiColor());
    profiles::AudioLightInfo info;
    info.audio_mode = 2;
    bare.SetAudioLightInfo(info);  // logged, nothing thrown
    EXPECT_EQ(bare.GetAudioLightInfo(true).audio_mode, 2);
    EXPECT_TRUE(bare.GetAudioEditText(0).isEmpty());
    bare.SetDeviceType(1);
    profiles::LightInfo light;
    light.mode = 29;
    bare.ShowLightInfo(light);
    bare.SetSameModeAvailable(true);
}

// SKELMORA_SCREENSHOT_DIR set: the panel for a keyboard in modes 21, 29 and 45 and for a
// mouse (type 2) is saved there.
TEST_F(LightPanelTest, Screenshots) {
    const QString folder = qEnvironmentVariable("SKELMORA_SCREENSHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "SKELMORA_SCREENSHOT_DIR not set";
    ui::ApplySkinStyleSheet();
    const auto save = [&folder](RecordingDevice& device, const profiles::LightInfo& info,
                                const QString& name) {
        CLightControlUI* panel = Panel(device);
        panel->SetSameModeAvailable(true);
        panel->ShowLightInfo(info);
        panel->resize(720, 330);
        panel->setAttribute(Qt::WA_StyledBackground);
        panel->setStyleSheet(QStringLiteral("CLightControlUI { background: #1d222a; }"));
        panel->show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(panel->grab().save(folder + '/' + name));
    };
    RecordingDevice& keyboard = Make(1, 1);
    profiles::LightInfo info;
    info.brightness = 4;
    info.speed = 2;
    info.red = 0;
    info.green = 153;
    info.blue = 255;
    for (int mode : {21, 29, 45}) {
        info.mode = static_cast<uint8_t>(mode);
        save(keyboard, info, QStringLiteral("light-panel-keyboard-%1.png").arg(mode));
    }
    RecordingDevice& mouse = Make(2, 0);
    info.mode = 2;
    save(mouse, info, QStringLiteral("light-panel-mouse.png"));
}

}  // namespace
