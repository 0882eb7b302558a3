#include "panels/light_model.h"

#include <algorithm>
#include <initializer_list>
#include <span>

#include "devices/light_mode_codes.h"

namespace light_model {

namespace {

// ---- Mode list ----

const Json::Value& MemberOf(const Json::Value& value, const char* key) {
    static const Json::Value null;
    return value.isObject() && value.isMember(key) ? value[key] : null;
}

const Json::Value& RowOf(const Json::Value& document, const char* key, int row) {
    static const Json::Value null;
    const Json::Value& rows = MemberOf(document, key);
    if (!rows.isArray() || row < 0 || static_cast<Json::ArrayIndex>(row) >= rows.size())
        return null;
    return rows[static_cast<Json::ArrayIndex>(row)];
}

std::string NameOf(const Json::Value& entry) {
    const Json::Value& name = MemberOf(entry, "LightName");
    return name.isString() ? name.asString() : std::string();
}

std::vector<std::string> NamesOf(const Json::Value& row) {
    std::vector<std::string> names;
    if (!row.isArray()) return names;
    for (const Json::Value& entry : row) names.push_back(NameOf(entry));
    return names;
}

// ---- Layout tables ----

constexpr int8_t kKeep = -1;
constexpr ControlChange E{1, kKeep};
constexpr ControlChange D{0, kKeep};
constexpr ControlChange Blank{kKeep, kKeep};
constexpr ControlChange Shown{kKeep, 1};
constexpr ControlChange EShown{1, 1};
constexpr ControlChange DHidden{0, 0};
constexpr ControlChange EHidden{1, 0};
constexpr ControlChange Hidden{kKeep, 0};

constexpr uint64_t Modes(std::initializer_list<int> modes) {
    uint64_t bits = 0;
    for (int mode : modes) bits |= uint64_t{1} << mode;
    return bits;
}
constexpr uint64_t ModeRange(int first, int last) {
    uint64_t bits = 0;
    for (int mode = first; mode <= last; ++mode) bits |= uint64_t{1} << mode;
    return bits;
}

// The keyboard's extra column.
struct Extra {
    ControlChange lightColour = Blank;
    DirectionTexts texts{};
    bool custom = false;  // "lightcustom_layout" shown
    bool audio = false;   // audio combo shown, colour tab page 1
    bool zzcc = false;    // ZZCC combo shown
};

struct LayoutRow {
    uint64_t modes;  // modes below 64
    int fromMode;    // and every mode from this one (-1: none)
    // 7C, Col, Pal, Bri, Spd, Fx
    std::array<ControlChange, 6> cells;
    bool same = false;  // ShowSameMode (true)
    Extra extra{};
};

constexpr LayoutControl kCellControls[6] = {kSevenColour, kColour, kPalette,
                                            kBrightness,  kSpeed,  kFx};

constexpr Extra kColourOff{D};
constexpr DirectionTexts kOutsideInside{"light_set_outside_to_inside_text",
                                        "light_set_inside_to_outside_text"};
constexpr DirectionTexts kDownUp{"light_set_down_to_up_text", "light_set_up_to_down_text"};
constexpr DirectionTexts kRightLeft{"light_set_right_to_left_text", "light_set_left_to_right_text"};

constexpr LayoutRow kKeyboardRows[] = {
    {Modes({1, 2, 4}), -1, {E, E, E, E, E, Shown}},
    {Modes({3}), -1, {D, D, D, E, E, EShown}, false, {D, kOutsideInside}},
    {Modes({5, 7}), -1, {D, E, E, E, DHidden, D}},
    {Modes({6, 8, 9, 10, 13, 14, 15, 16, 17, 18, 20, 22, 23}), -1, {E, E, E, E, E, D}},
    {Modes({11, 12, 40, 42}), -1, {D, D, D, E, E, D}, false, kColourOff},
    {Modes({30}), -1, {D, D, D, E, D, D}, false, kColourOff},
    {Modes({19}), -1, {E, E, E, E, E, Shown}, false, {Blank, kDownUp}},
    {Modes({21}), -1, {D, E, E, E, DHidden, D}, false, {Blank, {}, true}},
    {Modes({24}), -1, {E, E, E, E, E, Hidden}, false, {Blank, kDownUp}},
    {Modes({26, 27}), -1, {D, D, D, E, E, D}},
    {Modes({28}), -1, {D, D, D, D, D, D}},
    {Modes({29}), -1, {E, E, E, E, DHidden, Blank}, false, {Blank, {}, false, true}},
    {Modes({41, 43}), -1, {E, E, E, E, E, Blank}},
    {Modes({45}), -1, {D, D, D, E, EHidden, D}, false, {D, {}, false, false, true}},
    {Modes({0, 25, 44}) | ModeRange(31, 39), 46, {D, D, D, D, D, D}},
};

constexpr LayoutRow kMouseRows[] = {
    {Modes({0, 5}), -1, {E, E, E, E, E, Blank}},
    {Modes({1}), -1, {D, D, D, E, E, D}, true},
    {Modes({2, 4, 6}), -1, {E, E, E, E, E, D}, true},
    {Modes({3}), -1, {D, E, E, E, D, D}, true},
    {Modes({7, 8}), -1, {D, D, D, E, E, D}},
    {Modes({9}), -1, {D, D, D, D, D, D}, true},
    {0, 10, {D, D, D, D, D, D}},
};

constexpr LayoutRow kPadRows[] = {
    {Modes({0}), -1, {E, E, E, E, E, Blank}},      {Modes({1}), -1, {D, D, D, E, E, D}, true},
    {Modes({2, 4}), -1, {E, E, E, E, E, D}, true}, {Modes({3}), -1, {D, E, E, E, D, D}, true},
    {Modes({8}), -1, {D, D, D, D, D, D}, true},    {Modes({5, 6, 7}), 9, {D, D, D, D, D, D}},
};

// Type 5 touches the five groups only (no Fx, no ShowSameMode).
constexpr LayoutRow kTypeFiveRows[] = {
    {Modes({0, 2, 3}), -1, {E, E, E, E, E, Blank}},
    {Modes({1}), -1, {D, E, E, E, D, Blank}},
    {Modes({4}), -1, {D, D, D, E, E, Blank}},
    {0, 5, {D, D, D, D, D, Blank}},
};

bool RowHas(const LayoutRow& row, int mode) {
    if (row.fromMode >= 0 && mode >= row.fromMode) return true;
    return mode >= 0 && mode < 64 && (row.modes >> mode) & 1;
}

const LayoutRow* FindRow(std::span<const LayoutRow> rows, int mode) {
    for (const LayoutRow& row : rows)
        if (RowHas(row, mode)) return &row;
    return nullptr;
}

void Merge(ControlChange& into, ControlChange change) {
    if (change.enabled != kKeep) into.enabled = change.enabled;
    if (change.visible != kKeep) into.visible = change.visible;
}

// ---- Same mode ----

// Kind -> mode by column (keyboard, mouse, mouse pad and headset).
constexpr std::array<std::array<int, 3>, 5> kSameModes{{
    {6, 2, 2},   // breathing
    {5, 3, 3},   // static
    {23, 4, 4},  // flashing
    {40, 1, 1},  // colour cycle
    {28, 9, 8},  // off
}};

}  // namespace

LightModeList ReadLightModeList(const Json::Value& defaultLight, const Json::Value& lightConfig,
                                int modelIndex) {
    LightModeList list;
    const Json::Value& row = RowOf(defaultLight, "DefaultLightName", modelIndex);
    if (!row.isArray())
        list.problems.push_back("default_light.json: no row " + std::to_string(modelIndex));
    for (Json::ArrayIndex i = 0; row.isArray() && i < row.size(); ++i) {
        const Json::Value& entry = row[i];
        const std::string where = "default_light.json: entry " + std::to_string(i);
        if (!entry.isObject()) list.problems.push_back(where + " is not an object");
        list.names.push_back(NameOf(entry));
        const Json::Value& visible = MemberOf(entry, "visible");
        if (entry.isObject() && !visible.isBool())
            list.problems.push_back(where + ": \"visible\" is not a boolean (hidden)");
        list.visible.push_back(visible.isBool() && visible.asBool());
        const std::optional<int> code = light::LightModeCode(MemberOf(entry, "value"));
        if (entry.isObject() && !code)
            list.problems.push_back(where + ": \"value\" is not a code 0..255 (none)");
        list.codes.push_back(code.value_or(kNoCode));
    }
    list.areaNames = NamesOf(RowOf(defaultLight, "AreaLightName", modelIndex));
    list.userNames = NamesOf(RowOf(lightConfig, "LightInfo", modelIndex));
    return list;
}

int DeviceCodeOfMode(const LightModeList& list, int mode) {
    const auto code = [&list](int index) {
        return index >= 0 && static_cast<std::size_t>(index) < list.codes.size()
                   ? list.codes[static_cast<std::size_t>(index)]
                   : kNoCode;
    };
    if (const int own = code(mode); own != kNoCode) return own;
    if (const int first = code(0); first != kNoCode) return first;
    return 0;
}

LayoutPlan PlanLayout(int type, int mode) {
    LayoutPlan plan;
    std::span<const LayoutRow> rows;
    switch (type) {
        case kTypeKeyboard:
            rows = kKeyboardRows;
            plan.controls[kLightCustom] = Hidden;
            plan.showSameMode = false;
            plan.controls[kFx] = EHidden;
            plan.controls[kSpeed] = Shown;
            plan.controls[kZzccLayout] = Hidden;
            plan.controls[kLightColour] = E;
            plan.directionTexts = kRightLeft;
            plan.controls[kAudioLayout] = Hidden;
            plan.colourTabPage = 0;
            break;
        case kTypeMouse:
            rows = kMouseRows;
            plan.showSameMode = false;
            plan.controls[kFx] = E;
            break;
        case kTypeMousePad:
        case kTypeFour:
        case kTypeHeadset:
            rows = kPadRows;
            plan.showSameMode = false;
            plan.controls[kFx] = E;
            break;
        case kTypeFive:
            rows = kTypeFiveRows;
            break;
        default:
            return plan;
    }
    plan.known = true;
    const LayoutRow* row = FindRow(rows, mode);
    if (!row) return plan;  // a negative mode: the preamble only
    Merge(plan.controls[kLightEffect], E);
    for (std::size_t cell = 0; cell < row->cells.size(); ++cell)
        Merge(plan.controls[kCellControls[cell]], row->cells[cell]);
    if (row->same) plan.showSameMode = true;
    Merge(plan.controls[kLightColour], row->extra.lightColour);
    if (row->extra.texts.first) plan.directionTexts = row->extra.texts;
    if (row->extra.custom) Merge(plan.controls[kLightCustom], Shown);
    if (row->extra.audio) {
        Merge(plan.controls[kAudioLayout], Shown);
        plan.colourTabPage = 1;
    }
    if (row->extra.zzcc) Merge(plan.controls[kZzccLayout], Shown);
    return plan;
}

std::optional<int> SameModeColumn(int type) {
    switch (type) {
        case kTypeKeyboard:
        case kTypeKeyboardReceiver:
            return 0;
        case kTypeMouse:
        case kTypeMouseReceiver:
            return 1;
        case kTypeMousePad:
        case kTypeHeadset:
            return 2;
        default:
            return std::nullopt;
    }
}

std::optional<SameModeKind> SameModeKindOf(int type, int mode) {
    const std::optional<int> column = SameModeColumn(type);
    if (!column) return std::nullopt;
    for (std::size_t kind = 0; kind < kSameModes.size(); ++kind) {
        if (kSameModes[kind][static_cast<std::size_t>(*column)] == mode)
            return static_cast<SameModeKind>(kind);
    }
    return std::nullopt;
}

std::optional<int> SameModeFor(SameModeKind kind, int type) {
    const std::optional<int> column = SameModeColumn(type);
    if (!column || kind >= kSameModes.size()) return std::nullopt;
    return kSameModes[kind][static_cast<std::size_t>(*column)];
}

ColourEdit ParseColourEdit(std::string_view text) {
    int value = 0;
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        value = std::min(value * 10 + (text[digits] - '0'), 256);  // saturates past 255
        ++digits;
    }
    ColourEdit edit;
    edit.value = static_cast<uint8_t>(std::min(value, 255));
    const std::string canonical = std::to_string(edit.value);
    if (text != canonical) edit.rewrite = canonical;
    return edit;
}

Rgb AudioColour(const profiles::AudioLightInfo& info, bool foreground) {
    if (foreground) return {info.foreground_red, info.foreground_green, info.foreground_blue};
    return {info.background_red, info.background_green, info.background_blue};
}

void SetAudioColour(profiles::AudioLightInfo& info, bool foreground, Rgb colour) {
    if (!foreground) {
        info.background_red = colour.red;
        info.background_green = colour.green;
        info.background_blue = colour.blue;
        return;
    }
    if (AudioColour(info, true) != colour) info.seven_colour = 0;
    info.foreground_red = colour.red;
    info.foreground_green = colour.green;
    info.foreground_blue = colour.blue;
}

uint8_t AudioColourType(bool backgroundSelected, bool foregroundSelected, uint8_t previous) {
    if (!backgroundSelected) return 1;
    return previous == 0 && foregroundSelected ? 1 : 0;
}

namespace {

template <typename Record>
using Field = std::uint8_t Record::*;

// Fields the user sets together: when one of `compared` differs, all of `noted` are noted.
// Unused places are null.
template <typename Record>
struct EditGroup {
    std::array<Field<Record>, 3> compared{};
    std::array<Field<Record>, 4> noted{};
};

using L = profiles::LightInfo;
using A = profiles::AudioLightInfo;

template <typename Record>
constexpr EditGroup<Record> One(Field<Record> field) {
    return {{field}, {field}};
}

// The light record's groups, by bit of LightEdits::fields. A colour chosen on the panel always
// leaves the seven colours (the handlers set one colour with it).
constexpr EditGroup<L> kLightGroups[] = {
    One<L>(&L::mode),
    One<L>(&L::brightness),
    One<L>(&L::speed),
    One<L>(&L::direction),
    One<L>(&L::multicolour),
    {{&L::red, &L::green, &L::blue}, {&L::red, &L::green, &L::blue, &L::multicolour}},
    One<L>(&L::light_mode_variant),
    One<L>(&L::custom_group),
};

// The audio record's groups, by bit of LightEdits::audioFields. A foreground colour chosen on
// the panel clears the seven-colour flag.
constexpr EditGroup<A> kAudioGroups[] = {
    One<A>(&A::audio_mode),
    {{&A::background_red, &A::background_green, &A::background_blue},
     {&A::background_red, &A::background_green, &A::background_blue}},
    {{&A::foreground_red, &A::foreground_green, &A::foreground_blue},
     {&A::foreground_red, &A::foreground_green, &A::foreground_blue, &A::seven_colour}},
    One<A>(&A::seven_colour),
    One<A>(&A::colour_type),
};

template <typename Record, std::size_t N>
void NoteEdit(const EditGroup<Record> (&groups)[N], Record& values, std::uint32_t& bits,
              const Record& before, const Record& after) {
    static_assert(N <= 32);
    for (std::size_t g = 0; g < N; ++g) {
        const auto differs = [&](Field<Record> f) { return f && before.*f != after.*f; };
        if (std::none_of(groups[g].compared.begin(), groups[g].compared.end(), differs)) continue;
        bits |= 1u << g;
        for (const Field<Record> f : groups[g].noted)
            if (f) values.*f = after.*f;
    }
}

template <typename Record, std::size_t N>
Record LayEdits(const EditGroup<Record> (&groups)[N], const Record& values, std::uint32_t bits,
                Record loaded) {
    for (std::size_t g = 0; g < N; ++g) {
        if (!(bits & (1u << g))) continue;
        for (const Field<Record> f : groups[g].noted)
            if (f) loaded.*f = values.*f;
    }
    return loaded;
}

}  // namespace

void NoteLightEdit(LightEdits& edits, const profiles::LightInfo& before,
                   const profiles::LightInfo& after) {
    NoteEdit(kLightGroups, edits.values, edits.fields, before, after);
}

void NoteAudioEdit(LightEdits& edits, const profiles::AudioLightInfo& before,
                   const profiles::AudioLightInfo& after) {
    NoteEdit(kAudioGroups, edits.audioValues, edits.audioFields, before, after);
}

bool LightFieldNoted(const LightEdits& edits, Field<L> field) {
    for (std::size_t g = 0; g < std::size(kLightGroups); ++g) {
        const auto& noted = kLightGroups[g].noted;
        if ((edits.fields & (1u << g)) &&
            std::find(noted.begin(), noted.end(), field) != noted.end())
            return true;
    }
    return false;
}

profiles::LightInfo LayLightEdits(const LightEdits& edits, profiles::LightInfo loaded) {
    return LayEdits(kLightGroups, edits.values, edits.fields, loaded);
}

profiles::AudioLightInfo LayAudioEdits(const LightEdits& edits, profiles::AudioLightInfo loaded) {
    return LayEdits(kAudioGroups, edits.audioValues, edits.audioFields, loaded);
}

void NoteCustomKeys(LightEdits& edits, const std::vector<int>& leds, bool bright) {
    for (const int led : leds) edits.customKeys[led] = bright;
}

std::vector<int> NotedCustomKeys(const LightEdits& edits, bool bright) {
    std::vector<int> leds;
    for (const auto& [led, noted] : edits.customKeys)
        if (noted == bright) leds.push_back(led);
    return leds;
}

}  // namespace light_model
