#include "panels/eq_model.h"

#include <QList>
#include <algorithm>

#include "profiles/hs6533_profiledata.h"

namespace eq_model {

std::optional<Gains> PresetGains(int p) {
    if (p < 1 || p > kPresetCount) return std::nullopt;
    return kPresets[static_cast<std::size_t>(p - 1)];
}

profiles::HeadsetSystemSetStages ClampStages(profiles::HeadsetSystemSetStages s, int customCount) {
    s.magic_enable = s.magic_enable != 0 ? 1 : 0;
    if (s.magic_type < 1 || s.magic_type > 4) s.magic_type = 0;
    if (s.eq_type < 0 || s.eq_type > kCustomType) s.eq_type = 0;
    if (s.custom_eq_select_index < 0 || s.custom_eq_select_index >= customCount)
        s.custom_eq_select_index = -1;
    s.mic_in_select = s.mic_in_select != 0 ? 1 : 0;
    s.mic_in_value = std::clamp(s.mic_in_value, 0, 100);
    s.mic_monitor_select = s.mic_monitor_select != 0 ? 1 : 0;
    s.mic_monitor_value = std::clamp(s.mic_monitor_value, 0, 100);
    return s;
}

namespace {

EqApply On(const Gains& gains) {
    EqApply apply;
    apply.kind = EqApply::Kind::On;
    apply.gains = gains;
    return apply;
}

EqApply Off() {
    EqApply apply;
    apply.kind = EqApply::Kind::Off;
    return apply;
}

bool ValidIndex(const EqState& state, int i) {
    return i >= 0 && i < static_cast<int>(state.names.size()) &&
           i < static_cast<int>(state.curves.size());
}

}  // namespace

EqStep FromProfile(const profiles::HeadsetSystemSetStages& clamped, std::vector<QString> names,
                   std::vector<Gains> curves) {
    EqStep step;
    EqState& s = step.next;
    curves.resize(names.size(), Gains{});
    s.names = std::move(names);
    s.curves = std::move(curves);
    s.eqType = clamped.eq_type;
    s.customSelection = clamped.custom_eq_select_index;
    if (const auto preset = PresetGains(s.eqType)) {
        s.sliders = *preset;
        step.apply = On(*preset);
    } else if (s.eqType == kCustomType && ValidIndex(s, s.customSelection)) {
        s.sliders = s.curves[static_cast<std::size_t>(s.customSelection)];
        step.apply = On(s.sliders);
    } else {
        step.apply = Off();
    }
    return step;
}

ProfileView ReadProfile(profiles::CHs6533Profiledata& profile) {
    std::vector<QString> names;
    for (const std::wstring& name : profile.ReadCustomEqNames())
        names.push_back(QString::fromStdWString(name));
    std::vector<Gains> curves;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::vector<std::int32_t> stored =
            profile.ReadCustomEqValues(static_cast<std::int32_t>(i));
        Gains gains{};
        for (std::size_t b = 0; b < gains.size() && b < stored.size(); ++b)
            gains[b] = std::clamp(stored[b], kGainMin, kGainMax);
        curves.push_back(gains);
    }
    ProfileView view;
    view.stages = ClampStages(profile.ReadSystemSetStages(), static_cast<int>(names.size()));
    view.eq = FromProfile(view.stages, std::move(names), std::move(curves));
    return view;
}

EqStep ChoosePreset(const EqState& state, int p) {
    EqStep step;
    step.next = state;
    if (p == kCustomType) {
        step = ApplyCustom(state, state.customSelection);
        step.next.eqType = kCustomType;
        step.storeSettings = true;
        return step;
    }
    const auto preset = PresetGains(p);
    if (!preset) return step;
    step.next.eqType = p;
    step.next.sliders = *preset;
    step.apply = On(*preset);
    step.storeSettings = true;
    step.storePreset = p;
    return step;
}

EqStep ChangeBand(const EqState& state, int band, int gain) {
    EqStep step;
    step.next = state;
    if (band < 0 || band >= kBands) return step;
    if (state.eqType != kCustomType) {
        step.next.eqType = kCustomType;
        step.next.customSelection = -1;
    }
    step.next.sliders[static_cast<std::size_t>(band)] = gain;
    step.apply.kind = EqApply::Kind::Band;
    step.apply.band = band;
    step.apply.gain = gain;
    step.apply.gains = step.next.sliders;
    return step;
}

EqStep ApplyCustom(const EqState& state, int index) {
    EqStep step;
    step.next = state;
    if (!ValidIndex(state, index)) return step;
    step.next.customSelection = index;
    step.next.sliders = state.curves[static_cast<std::size_t>(index)];
    step.apply = On(step.next.sliders);
    step.storeSettings = true;
    return step;
}

EqStep SaveCustom(const EqState& state, const QString& enteredName) {
    EqStep step;
    step.next = state;
    step.result = -1;
    if (enteredName.trimmed().isEmpty()) {
        if (!ValidIndex(state, state.customSelection)) {
            step.message = "message_text_eq_noname";
            return step;
        }
        const auto i = static_cast<std::size_t>(state.customSelection);
        step.next.curves[i] = state.sliders;
        step.storeSettings = true;
        step.storeCurve = state.customSelection;
        step.result = 1;
        return step;
    }
    if (static_cast<int>(state.names.size()) >= kMaxCustom) {
        step.message = "message_text_eq_full";
        return step;
    }
    const char* reason = nullptr;
    const auto name = CheckNewName(enteredName, &reason);
    if (!name) {
        step.message = reason;
        return step;
    }
    for (const QString& existing : state.names) {
        if (SameName(existing, *name)) {
            step.result = 0;
            step.message = "message_text_5";
            return step;
        }
    }
    step.next.names.push_back(*name);
    step.next.curves.resize(state.names.size(), Gains{});
    step.next.curves.push_back(state.sliders);
    step.next.customSelection = static_cast<int>(step.next.names.size()) - 1;
    step.storeSettings = true;
    step.storeCurve = step.next.customSelection;
    step.storeNames = true;
    step.result = 1;
    return step;
}

EqStep DeleteCustom(const EqState& state) {
    EqStep step;
    step.next = state;
    const int i = state.customSelection;
    if (i < 0 || i >= static_cast<int>(state.names.size())) return step;
    step.next.names.erase(step.next.names.begin() + i);
    if (i < static_cast<int>(step.next.curves.size()))
        step.next.curves.erase(step.next.curves.begin() + i);
    step.next.curves.resize(step.next.names.size(), Gains{});
    step.removeCurve = i;
    step.storeNames = true;
    step.storeSettings = true;
    if (step.next.names.empty()) {
        step.next.eqType = 1;
        step.next.customSelection = -1;
        step.next.sliders = kPresets[0];
    } else {
        step.next.customSelection = 0;
        step.next.sliders = step.next.curves[0];
    }
    // The sound follows what the panel now shows.
    step.apply = On(step.next.sliders);
    return step;
}

std::optional<QString> CheckNewName(const QString& entered, const char** reason) {
    const QString name = entered.trimmed();
    const auto refuse = [reason](const char* why) -> std::optional<QString> {
        if (reason) *reason = why;
        return std::nullopt;
    };
    if (name.isEmpty()) return refuse("message_text_eq_noname");
    // Length in characters as the user sees them (a surrogate pair is one).
    if (name.toUcs4().size() > kNameMax) return refuse("message_text_eq_badname");
    for (const char32_t c : name.toUcs4()) {
        if (QChar::category(c) == QChar::Other_Control || c == 0x2028 || c == 0x2029)
            return refuse("message_text_eq_badname");
    }
    return name;
}

// Upper case first takes the full mappings ("ß" -> "SS") that simple folding leaves out, so
// "STRASSE" and "straße" are the same name, as with full Unicode case folding.
bool SameName(const QString& a, const QString& b) {
    return a.toUpper().toCaseFolded() == b.toUpper().toCaseFolded();
}

QString ShownName(const QString& name) {
    const QList<uint> chars = name.toUcs4();
    if (chars.size() <= kNameMax) return name;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()), kNameMax - 1) +
           QChar(0x2026);
}

}  // namespace eq_model
