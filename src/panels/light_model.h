#pragma once
// The light effect model behind the lighting panel, without widgets: a device's mode list,
// which groups of the panel each (device type, mode) shows or enables, the effect kinds that
// same mode shares between device types, and the colour rules of the panel's entries.
#include <json/value.h>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devices/light_info_words.h"
#include "profiles/records.h"

namespace light_model {

// ---- Device types of the panel ----
inline constexpr int kTypeKeyboard = 1;
inline constexpr int kTypeMouse = 2;
inline constexpr int kTypeMousePad = 3;
inline constexpr int kTypeFour = 4;  // shares the mouse pad's and headset's table
inline constexpr int kTypeFive = 5;
inline constexpr int kTypeMouseReceiver = 6;
inline constexpr int kTypeHeadset = 7;
inline constexpr int kTypeKeyboardReceiver = 9;

// ---- Mode list ----
// A mode's device code when "default_light.json" gives none that fits a byte.
inline constexpr int kNoCode = -1;

struct LightModeList {
    std::vector<std::string> names;  // "LightName", a text identifier
    std::vector<bool> visible;
    std::vector<int> codes;              // "value", or kNoCode
    std::vector<std::string> areaNames;  // "AreaLightName" of the row
    std::vector<std::string> userNames;  // "zelvo_light.config": the user's effects
    std::vector<std::string> problems;   // one line per entry that was repaired
    std::size_t BuiltInCount() const { return names.size(); }
};

// Row modelIndex of "DefaultLightName" and "AreaLightName" of the default light document,
// and row modelIndex of "LightInfo" of the light configuration document. An entry that is not
// an object counts as an unnamed hidden mode without a code; "visible" that is not a boolean
// hides the mode; "value" that is not an integer 0..255 gives kNoCode. Every repair is listed
// in problems.
LightModeList ReadLightModeList(const Json::Value& defaultLight, const Json::Value& lightConfig,
                                int modelIndex);
// The device code of a mode: its own, else mode 0's, else 0 (nothing indexes past the list).
int DeviceCodeOfMode(const LightModeList& list, int mode);

// ---- Layout per device type and mode ----
// The panel's groups a layout row acts on, in the order of kLayoutControlNames.
enum LayoutControl : uint8_t {
    kLightEffect,  // "lighteffect_layout"
    kSevenColour,  // "deng_7color_check"
    kColour,       // "deng_color_layout"
    kPalette,      // "colorpallet_layout"
    kBrightness,   // "deng_light_layout"
    kSpeed,        // "deng_speed_layout"
    kFx,           // "deng_fx_layout"
    kLightCustom,  // "lightcustom_layout"
    kZzccLayout,   // "light_combo_ZZCCmodeSelectLayout"
    kLightColour,  // "light_color_layout"
    kAudioLayout,  // "light_combo_AudiomodeSelectLayout"
    kLayoutControlCount,
};
inline constexpr std::array<const char*, kLayoutControlCount> kLayoutControlNames{
    "lighteffect_layout",
    "deng_7color_check",
    "deng_color_layout",
    "colorpallet_layout",
    "deng_light_layout",
    "deng_speed_layout",
    "deng_fx_layout",
    "lightcustom_layout",
    "light_combo_ZZCCmodeSelectLayout",
    "light_color_layout",
    "light_combo_AudiomodeSelectLayout",
};

// What happens to one control: each of enabled and visible is kept (-1), off (0) or on (1).
struct ControlChange {
    int8_t enabled = -1;
    int8_t visible = -1;
    constexpr bool operator==(const ControlChange&) const = default;
};

// The direction pair's texts (language text identifiers).
struct DirectionTexts {
    const char* first = nullptr;   // "deng_FXL_check"
    const char* second = nullptr;  // "deng_FXR_check"
};

// A whole layout: preamble and row of a table merged.
struct LayoutPlan {
    bool known = false;  // false: a type without a table; nothing changes
    std::array<ControlChange, kLayoutControlCount> controls{};
    std::optional<bool> showSameMode;  // the ShowSameMode argument, when set
    std::optional<int> colourTabPage;  // "light_color_tablayout"
    DirectionTexts directionTexts;
};

LayoutPlan PlanLayout(int type, int mode);

// ---- Same mode ----
enum SameModeKind : uint8_t {
    kSameBreathing = 0,
    kSameStatic = 1,
    kSameFlashing = 2,
    kSameColourCycle = 3,
    kSameOff = 4,
};

// Which column of the same-mode table a device type reads: 0 keyboard, 1 mouse, 2 mouse pad
// and headset; none for other types. A device attached through its receiver counts as its
// wired type.
std::optional<int> SameModeColumn(int type);
// The kind of a device type's mode; none when the mode has no kind or the type no column.
std::optional<SameModeKind> SameModeKindOf(int type, int mode);
// The mode that means the kind on a device type; none for a type without a column.
std::optional<int> SameModeFor(SameModeKind kind, int type);

// ---- Colours ----
inline constexpr uint32_t kNeutralColour = 0xFF000000u;

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
    constexpr bool operator==(const Rgb&) const = default;
};

constexpr uint32_t ArgbOf(Rgb rgb) {
    return kNeutralColour | (uint32_t{rgb.red} << 16) | (uint32_t{rgb.green} << 8) | rgb.blue;
}
constexpr Rgb RgbOf(uint32_t argb) {
    return {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
            static_cast<uint8_t>(argb)};
}

// A colour edit's text read as a component: the leading decimal digits (none: 0), above 255
// is 255. rewrite holds the text the edit must show instead when the text is not the value's
// own decimal form ("300" -> "255", "" -> "0", "12abc" -> "12", "-1" -> "0").
struct ColourEdit {
    uint8_t value = 0;
    std::optional<std::string> rewrite;
};
ColourEdit ParseColourEdit(std::string_view text);

// ---- Audio light record as the device passes it: two words and one byte ----
using light::PackAudioLight;
using light::UnpackAudioLight;

// The background (colour type 0) or foreground (1) colour of the record.
Rgb AudioColour(const profiles::AudioLightInfo& info, bool foreground);
// Stores a colour into the foreground or background; a foreground that changes clears the
// seven-colour flag.
void SetAudioColour(profiles::AudioLightInfo& info, bool foreground, Rgb colour);
// ColorTypeFlags from the two colour options and the previous value: 1 when the background
// option is not selected; with both selected, the one that was not active before.
uint8_t AudioColourType(bool backgroundSelected, bool foregroundSelected, uint8_t previous);

// ---- Changes made before a device's profile is loaded ----
// The fields of the light record the user set (the mode, levels, direction, colours, ZZCC
// variant and custom group; not the mode a game effect returns to), those of the audio light
// record (the music mode's style, its two colours, the seven-colour flag and which colour the
// palette edits) and their values. The connect loads the profile over the records; these are
// then laid back over what it loaded, so an early change is neither lost from the file nor
// undone on the device. A colour is noted whole, with the flag its choice sets (a light colour
// means one colour, a foreground colour no seven colours): a colour mixed from the chosen one
// and the loaded one is neither. The keyboard's keys set bright or off in its custom effect
// are noted by light index; they are set again in the loaded custom group, bright ones in the
// light's colour as it stands then.
struct LightEdits {
    profiles::LightInfo values{};
    std::uint32_t fields = 0;  // one bit per group of the light table in light_model.cpp
    profiles::AudioLightInfo audioValues{};
    std::uint32_t audioFields = 0;   // one bit per group of the audio table
    std::map<int, bool> customKeys;  // light index -> bright (false: off), the last one set
    bool Empty() const { return fields == 0 && audioFields == 0 && customKeys.empty(); }
    bool HasLight() const { return fields != 0; }
    bool HasAudio() const { return audioFields != 0; }
};
// Notes every field (group) that differs between the record before and after one change.
void NoteLightEdit(LightEdits& edits, const profiles::LightInfo& before,
                   const profiles::LightInfo& after);
void NoteAudioEdit(LightEdits& edits, const profiles::AudioLightInfo& before,
                   const profiles::AudioLightInfo& after);
// Whether a change of the field is noted.
bool LightFieldNoted(const LightEdits& edits, std::uint8_t profiles::LightInfo::*field);
// The loaded record with the noted fields set to their noted values.
profiles::LightInfo LayLightEdits(const LightEdits& edits, profiles::LightInfo loaded);
profiles::AudioLightInfo LayAudioEdits(const LightEdits& edits, profiles::AudioLightInfo loaded);
// Notes keys set bright or off; the keys noted last as bright (or off), in light index order.
void NoteCustomKeys(LightEdits& edits, const std::vector<int>& leds, bool bright);
std::vector<int> NotedCustomKeys(const LightEdits& edits, bool bright);

}  // namespace light_model
