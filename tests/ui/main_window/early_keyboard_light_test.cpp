// The keyboard's lighting settings beyond the light record, changed on its page before its
// connect loaded the profile: the music modes' settings (style, background and foreground
// colours, seven colours, which colour is edited), the custom group and the keys set bright
// or off in the custom effect. Each is laid over the loaded profile: the file, the keyboard's
// records and the panel keep it.
#include <gtest/gtest.h>

#include <ostream>

#include "controls/device_key_button.h"
#include "devices/keyboard/keyboard_limits.h"
#include "devices/light_info_words.h"
#include "devices/skelmora_keyboard_device.h"
#include "early_page.h"
#include "profiles/keyboard_profiledata.h"

namespace {

using uitest::EarlyPage;

class KeyboardBeforeConnect : public EarlyPage {
  public:
    CSkelmoraKeyboardDevice* Keyboard() const {
        return qobject_cast<CSkelmoraKeyboardDevice*>(device_);
    }
    void ChooseMode(int mode) {
        ui::SelectItem(Control("light_combo_modeSelect"), mode);
        Send(notify_type::kItemSelect, "light_combo_modeSelect");
    }
    // The pair of colour options sends one notification for the option chosen.
    void EditForeground(bool foreground) {
        ui::SetSelected(Control("audio_BkColor_check"), !foreground);
        ui::SetSelected(Control("audio_FgColor_check"), foreground);
        Send(notify_type::kSelectChanged,
             foreground ? "audio_FgColor_check" : "audio_BkColor_check");
    }
    void SetSevenColours(bool on) {
        ui::SetSelected(Control("deng_7audiocolor_check"), on);
        Send(notify_type::kSelectChanged, "deng_7audiocolor_check");
    }
};

// ---- Music modes ----

struct SoundCase {
    const char* name;
    int mode;  // 29 or 30: the keyboard's mode indexes are its effect codes
    void (*change)(KeyboardBeforeConnect&);
    // The shipped record as the change leaves it.
    void (*expect)(profiles::AudioLightInfo&);
};
void PrintTo(const SoundCase& c, std::ostream* out) { *out << c.name; }

const SoundCase kSoundCases[] = {
    {"Style", 29,
     [](KeyboardBeforeConnect& page) {
         ui::SelectItem(page.Control("light_combo_audiomodeSelect"), 2);
         page.Send(notify_type::kItemSelect, "light_combo_audiomodeSelect");
     },
     [](profiles::AudioLightInfo& a) { a.audio_mode = 2; }},
    {"StyleWithoutColours", 30,
     [](KeyboardBeforeConnect& page) {
         ui::SelectItem(page.Control("light_combo_audiomodeSelect"), 3);
         page.Send(notify_type::kItemSelect, "light_combo_audiomodeSelect");
     },
     [](profiles::AudioLightInfo& a) { a.audio_mode = 3; }},
    // Green chosen over black: taken whole, not mixed with the loaded red.
    {"ForegroundPreset", 29,
     [](KeyboardBeforeConnect& page) {
         page.EditForeground(true);
         page.Send(notify_type::kClick, "audiocolor_option_3");
     },
     [](profiles::AudioLightInfo& a) {
         a.colour_type = 1;
         a.foreground_red = 0;
         a.foreground_green = 255;
         a.foreground_blue = 0;
         a.seven_colour = 0;
     }},
    // Until the profile loads the page edits the background (the shipped record the
    // foreground): the colour typed is kept, which colour the page edits is the loaded one.
    {"BackgroundTyped", 30,
     [](KeyboardBeforeConnect& page) {
         ui::SetText(page.Control("deng_audioedit_G"), QStringLiteral("128"));
         page.Send(notify_type::kKillFocus, "deng_audioedit_G");
     },
     [](profiles::AudioLightInfo& a) { a.background_green = 128; }},
    {"SevenColoursOnAndOff", 29,
     [](KeyboardBeforeConnect& page) {
         page.EditForeground(true);
         page.SetSevenColours(true);
         page.SetSevenColours(false);
     },
     [](profiles::AudioLightInfo& a) {
         a.colour_type = 1;
         a.seven_colour = 0;
     }},
};

class SoundLightBeforeConnect : public KeyboardBeforeConnect,
                                public ::testing::WithParamInterface<SoundCase> {};

TEST_P(SoundLightBeforeConnect, TheMusicModesSettingsReachTheKeyboardAndItsProfile) {
    const SoundCase& c = GetParam();
    StartBeforeConnect("keyboard");
    if (HasFatalFailure()) return;
    ASSERT_NE(Keyboard(), nullptr);
    ChooseMode(c.mode);
    c.change(*this);
    if (HasFatalFailure()) return;

    WaitForConnect();
    if (HasFatalFailure()) return;
    profiles::AudioLightInfo expected =
        ProfileOf(device_->GetDefaultProfileFile()).ReadAudioLightInfo();
    const profiles::AudioLightInfo shipped = expected;
    c.expect(expected);
    ASSERT_NE(expected, shipped) << "the shipped profile already holds the change";

    auto file = ProfileOf(UserProfile());
    EXPECT_EQ(file.ReadAudioLightInfo(), expected) << UserProfile().toStdString();
    EXPECT_EQ(file.ReadLightInfo().mode, c.mode);
    EXPECT_EQ(Keyboard()->GetAudioLightInfo(), expected);
    EXPECT_EQ(Keyboard()->CurrentEffectCode(), c.mode);
    EXPECT_EQ(panel_->CachedAudioLightInfo(), expected);
    EXPECT_EQ(light::UnpackAudioLight(device_->GetLightSource(false)), expected)
        << "the panel's controls";
}

INSTANTIATE_TEST_SUITE_P(Keyboard, SoundLightBeforeConnect, ::testing::ValuesIn(kSoundCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Custom effect ----

// The custom group and a colour: the group's colours are the ones the keyboard holds, the
// colour is the preset's whole (not mixed with the one the keyboard's record holds).
TEST_F(KeyboardBeforeConnect, TheCustomGroupAndAColourChosenEarlyAreKept) {
    StartBeforeConnect("keyboard");
    if (HasFatalFailure()) return;
    ASSERT_NE(Keyboard(), nullptr);
    constexpr int kGroup = 4;
    ui::SelectItem(Control("light_combo_custommodeSelect"), kGroup);
    Send(notify_type::kItemSelect, "light_combo_custommodeSelect");
    Send(notify_type::kClick, "color_option_3");  // green

    WaitForConnect();
    if (HasFatalFailure()) return;
    auto file = ProfileOf<profiles::CKeyboardProfiledata>(UserProfile());
    const profiles::LightInfo light = file.ReadLightInfo();
    EXPECT_EQ(light.custom_group, kGroup);
    EXPECT_EQ(file.GetCustomLightGroup(), kGroup);
    EXPECT_EQ((light_model::Rgb{light.red, light.green, light.blue}),
              (light_model::Rgb{0, 255, 0}));
    EXPECT_EQ(light.multicolour, 0);
    const profiles::LightInfo held = light::ToLightInfo(device_->GetLightSettingsCopy());
    EXPECT_EQ(held.custom_group, kGroup);
    EXPECT_EQ((light_model::Rgb{held.red, held.green, held.blue}), (light_model::Rgb{0, 255, 0}));
    EXPECT_EQ(held.multicolour, 0);
    EXPECT_EQ(Keyboard()->GetCustomColorsCopy(),
              file.ReadCustomLightColors(kGroup, keyboard::kKeyIndexCount));
}

// Keys set bright, then one of them off, in the custom effect: set again in the loaded group,
// bright in the light's colour as the connect leaves it.
TEST_F(KeyboardBeforeConnect, KeysSetBrightOrOffEarlyAreKept) {
    StartBeforeConnect("keyboard");
    if (HasFatalFailure()) return;
    CSkelmoraKeyboardDevice* keyboard = Keyboard();
    ASSERT_NE(keyboard, nullptr);
    ASSERT_NE(keyboard->GetLightControl(6), nullptr);
    constexpr int kCustomMode = 21;
    ChooseMode(kCustomMode);
    keyboard->GetLightControl(5)->SetSelected(true);
    keyboard->GetLightControl(6)->SetSelected(true);
    Send(notify_type::kClick, "custom_bright_color_btn");
    keyboard->GetLightControl(5)->SetSelected(false);
    Send(notify_type::kClick, "custom_off_color_btn");

    WaitForConnect();
    if (HasFatalFailure()) return;
    const light::LightSettings settings = keyboard->GetLightSettingsCopy();
    EXPECT_EQ(settings.mode, kCustomMode);
    const profiles::LightColorEntry bright{settings.red, settings.green, settings.blue, 255, 1};
    const profiles::LightColorEntry off{0, 0, 0, 255, 0};
    auto shipped = ProfileOf<profiles::CKeyboardProfiledata>(device_->GetDefaultProfileFile());
    const auto shippedColours =
        shipped.ReadCustomLightColors(shipped.GetCustomLightGroup(), keyboard::kKeyIndexCount);
    ASSERT_NE(shippedColours[5], bright) << "the shipped profile already holds the change";

    auto file = ProfileOf<profiles::CKeyboardProfiledata>(UserProfile());
    const auto colours =
        file.ReadCustomLightColors(file.GetCustomLightGroup(), keyboard::kKeyIndexCount);
    EXPECT_EQ(colours[5], bright);
    EXPECT_EQ(colours[6], off);
    EXPECT_EQ(colours[7], shippedColours[7]) << "a key not set";
    EXPECT_EQ(keyboard->GetCustomColorsCopy(), colours);
}

}  // namespace
