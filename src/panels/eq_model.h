#pragma once
// The headset equaliser's rules without widgets: the twelve presets, the values a profile
// may hold, the custom equaliser names, and the five things the voice panel does with them
// (choose a preset, move a band, apply, save and delete a custom equaliser). Each returns
// the panel's next state, what goes into the profile and what the sound should become.
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "profiles/records.h"

namespace profiles {
class CHs6533Profiledata;
}

namespace eq_model {

inline constexpr int kBands = 10;
inline constexpr int kPresetCount = 12;
inline constexpr int kCustomType = 13;
inline constexpr int kMaxCustom = 20;
inline constexpr int kNameMax = 32;
inline constexpr int kGainMin = -20;  // the band sliders' range, in dB
inline constexpr int kGainMax = 20;
using Gains = std::array<int, kBands>;

// Gains of EqType 1..12, as shown on the band sliders.
inline constexpr std::array<Gains, kPresetCount> kPresets = {{
    {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
    {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
    {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},
    {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
    {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},
    {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
    {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},
    {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
    {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},
    {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
}};

// The gains of preset p (1..12); none for any other p.
std::optional<Gains> PresetGains(int p);

// What the voice panel shows of the equaliser.
struct EqState {
    int eqType = 0;              // 0 none, 1..12 preset, 13 custom
    int customSelection = -1;    // -1: none
    std::vector<QString> names;  // custom equaliser names
    std::vector<Gains> curves;   // one per name
    Gains sliders{};
};

// What the sound becomes.
struct EqApply {
    enum class Kind { Nothing, On, Off, Band };
    Kind kind = Kind::Nothing;
    Gains gains{};  // On: every band
    int band = -1;  // Band: this band to gain
    int gain = 0;
};

struct EqStep {
    EqState next;
    EqApply apply;
    int result = 1;                  // Save: -1 refused, 0 name in use, 1 saved
    const char* message = nullptr;   // a text id to show, or none
    bool storeSettings = false;      // the eight settings go to the profile
    std::optional<int> storePreset;  // "EQHzValueInfo" row p := the preset's gains
    std::optional<int> storeCurve;   // "CustomEQHzValueInfo" row i := next.curves[i]
    std::optional<int> removeCurve;  // "CustomEQHzValueInfo" row i is removed
    bool storeNames = false;         // "CustomEQNameInfo" := next.names
};

// Profile values as the panels may use them: levels clamped to 0..100, EqType outside
// 0..13 as 0 (none), MagicType outside 1..4 as 0, the custom selection past the list as -1.
profiles::HeadsetSystemSetStages ClampStages(profiles::HeadsetSystemSetStages stages,
                                             int customCount);
// The state a profile shows (curves padded with zeros to the names), and what to apply:
// a preset or a valid custom equaliser on, else off.
EqStep FromProfile(const profiles::HeadsetSystemSetStages& clamped, std::vector<QString> names,
                   std::vector<Gains> curves);

// What a profile holds for the panels: its settings clamped, and FromProfile of its names
// and curves (gains clamped to the sliders' -20..+20).
struct ProfileView {
    profiles::HeadsetSystemSetStages stages;
    EqStep eq;
};
ProfileView ReadProfile(profiles::CHs6533Profiledata& profile);

EqStep ChoosePreset(const EqState& state, int p);
EqStep ChangeBand(const EqState& state, int band, int gain);
EqStep ApplyCustom(const EqState& state, int index);
EqStep SaveCustom(const EqState& state, const QString& enteredName);
EqStep DeleteCustom(const EqState& state);

// A name entered here: trimmed, 1 to 32 characters, no control characters. Returns the
// trimmed name, or none with the text id of the reason.
std::optional<QString> CheckNewName(const QString& entered, const char** reason);
// Names compared with Unicode case folding.
bool SameName(const QString& a, const QString& b);
// A name read from a profile, shortened for showing (the stored name is kept).
QString ShownName(const QString& name);

}  // namespace eq_model
