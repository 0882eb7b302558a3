#include "panels/headset_audio_control.h"

#include <algorithm>
#include <utility>

#include "devices/audio/host_equalizer.h"
#include "devices/audio_bridge.h"
#include "devices/skelmora_hs6533_device.h"
#include "devices/skelmora_usb_device.h"
#include "panels/magic_control_ui.h"
#include "panels/voice6533_control_ui.h"
#include "platform/log_categories.h"
#include "profiles/hs6533_profiledata.h"
#include "tables/device_tables.h"
#include "ui/control_props.h"
#include "ui/resource_manager.h"

using audio::AudioControl;
using eq_model::EqApply;
using ui::NotifyMatch;

const ui::NotifyRow<CHeadsetAudioControl> CHeadsetAudioControl::kRows[] = {
    {notify_type::kSelectChanged, "magic_enable_option", &CHeadsetAudioControl::OnMagicEnable},
    {notify_type::kSelectChanged, "magic_option_", &CHeadsetAudioControl::OnMagicOption,
     NotifyMatch::NumberedPrefix},
    {notify_type::kSelectChanged, "6533_MicIn_option", &CHeadsetAudioControl::OnMicToggle},
    {notify_type::kSelectChanged, "6533_MicMoniter_option", &CHeadsetAudioControl::OnMonitorToggle},
    {notify_type::kValueChanged, "6533_MicIn_slider", &CHeadsetAudioControl::OnMicLevel},
    {notify_type::kValueChanged, "6533_MicMoniter_slider", &CHeadsetAudioControl::OnMonitorLevel},
    {notify_type::kValueChanged, "6533_eq_hz_slider_", &CHeadsetAudioControl::OnBand,
     NotifyMatch::NumberedPrefix},
    {notify_type::kSelectChanged, "6533_eq_option_", &CHeadsetAudioControl::OnPreset,
     NotifyMatch::NumberedPrefix},
    {notify_type::kItemSelect, "custom_eq_name_combo", &CHeadsetAudioControl::OnCustomSelect},
    {notify_type::kClick, "hs_EQ_btn_save", &CHeadsetAudioControl::OnSave},
    {notify_type::kClick, "hs_EQ_btn_delete", &CHeadsetAudioControl::OnDelete},
};

CHeadsetAudioControl::CHeadsetAudioControl(Wiring wiring, QObject* parent)
    : QObject(parent), wiring_(std::move(wiring)), voice_(wiring_.voice), magic_(wiring_.magic) {
    if (wiring_.voice) wiring_.voice->SetHandler(this);
    if (wiring_.magic) wiring_.magic->SetHandler(this);
    if (wiring_.bridge) {
        // The bridge may outlive this object (or go first, as the device's members do).
        wiring_.bridge->SetChangeHandler(
            [guard = QPointer<CHeadsetAudioControl>(this)](AudioControl c) {
                if (guard) guard->OnBridgeChange(c);
            });
        if (wiring_.equalizer) wiring_.equalizer->SetHeadsetCard(wiring_.bridge->CardNumber());
    }
    ShowAvailability();
}

CHeadsetAudioControl::~CHeadsetAudioControl() {
    // The panels may be gone already (siblings on the page are deleted first).
    if (voice_ && voice_->Handler() == this) voice_->SetHandler(nullptr);
    if (magic_ && magic_->Handler() == this) magic_->SetHandler(nullptr);
}

bool CHeadsetAudioControl::OnHeadsetPage() const {
    return wiring_.device && wiring_.device->GetKind() == kKindHeadset;
}

void CHeadsetAudioControl::Notify(TNotifyUI& msg) {
    if (!OnHeadsetPage()) return;
    ui::DispatchNotify(this, kRows, msg);
}

void CHeadsetAudioControl::Message(const char* textId) {
    if (textId && wiring_.message) wiring_.message(QLatin1String(textId));
}

// ---- Profile and panels ----

void CHeadsetAudioControl::ShowAvailability() {
    CVoice6533ControlUI* voice = wiring_.voice;
    if (voice) {
        const audio::AudioCapabilities caps =
            wiring_.bridge ? wiring_.bridge->Capabilities() : audio::AudioCapabilities{};
        // A card not there yet keeps the controls usable: the card may appear later.
        voice->SetMicAvailable(wiring_.bridge != nullptr);
        voice->SetMonitorAvailable(wiring_.bridge &&
                                   (!caps.connected || caps.monitoring.Present()));
        std::string reason;
        const bool eq = wiring_.equalizer && wiring_.equalizer->Available(&reason);
        if (!eq && !reason.empty()) qCInfo(lcAudio).noquote() << "equaliser:" << reason.c_str();
        voice->SetEqAvailable(eq);
        // The filter lives in this process: it goes when the program ends.
        const QString tip =
            CResourceManager::GetInstance().GetText(QStringLiteral("eq_tray_tip_text"));
        for (const char* name : {"6533_eq_title", "6533_eq_layout"})
            ui::SetToolTip(voice->Control(name), eq ? tip : QString());
    }
    if (wiring_.magic) wiring_.magic->SetAvailable(false);
}

void CHeadsetAudioControl::ShowSettings(bool applyToHeadset) {
    if (!wiring_.profile) return;
    const eq_model::ProfileView view = eq_model::ReadProfile(*wiring_.profile);
    stages_ = view.stages;
    const eq_model::EqStep& step = view.eq;
    eq_ = step.next;
    if (wiring_.magic) {
        wiring_.magic->SetVoiceChangerOn(stages_.magic_enable != 0);
        wiring_.magic->SetVoiceChangerSelection(stages_.magic_type);
        wiring_.magic->SetAvailable(false);
    }
    ShowMicAndMonitor();
    if (wiring_.voice) {
        wiring_.voice->ClearCustomEqs();
        for (const QString& name : eq_.names) wiring_.voice->AddCustomEqName(name);
    }
    ShowEq();
    if (!applyToHeadset) return;
    if (wiring_.bridge) {
        wiring_.bridge->SetOn(AudioControl::Microphone, stages_.mic_in_select != 0);
        wiring_.bridge->SetLevel(AudioControl::Microphone, stages_.mic_in_value);
        const auto caps = wiring_.bridge->Capabilities();
        if (caps.monitoring.Present()) {
            wiring_.bridge->SetOn(AudioControl::Monitoring, stages_.mic_monitor_select != 0);
            wiring_.bridge->SetLevel(AudioControl::Monitoring, stages_.mic_monitor_value);
        }
    }
    ApplyEq(step.apply);
}

void CHeadsetAudioControl::ShowMicAndMonitor() {
    if (!wiring_.voice) return;
    wiring_.voice->SetMicIn(stages_.mic_in_select != 0);
    wiring_.voice->SetMicInLevel(stages_.mic_in_value);
    wiring_.voice->SetMicMonitor(stages_.mic_monitor_select != 0);
    wiring_.voice->SetMicMonitorLevel(stages_.mic_monitor_value);
}

void CHeadsetAudioControl::ShowEq() {
    CVoice6533ControlUI* voice = wiring_.voice;
    if (!voice) return;
    voice->SetEqPreset(eq_.eqType);
    if (voice->GetCustomEqSelection() != eq_.customSelection)
        voice->SelectCustomEq(eq_.customSelection);
    voice->EnableCustomEq(eq_.eqType == eq_model::kCustomType);
    for (int band = 0; band < eq_model::kBands; ++band)
        voice->SetBandGain(band, eq_.sliders[static_cast<std::size_t>(band)]);
}

void CHeadsetAudioControl::ReadHeadsetState() {
    if (!wiring_.bridge) return;
    const auto read = [this](AudioControl control, std::int32_t& on, std::int32_t& level) {
        const auto sw = wiring_.bridge->GetOn(control);
        if (sw.Ok()) on = sw.value ? 1 : 0;
        const auto lv = wiring_.bridge->GetLevel(control);
        if (lv.Ok()) level = lv.value;
    };
    read(AudioControl::Microphone, stages_.mic_in_select, stages_.mic_in_value);
    read(AudioControl::Monitoring, stages_.mic_monitor_select, stages_.mic_monitor_value);
    ShowMicAndMonitor();
    ShowAvailability();
}

void CHeadsetAudioControl::StopEqualizer() {
    audio::CHostEqualizer* eq = wiring_.equalizer;
    if (!eq) return;
    if (eq->IsOn()) resumeGains_ = eq->Gains();
    eq->SetOff();
}

void CHeadsetAudioControl::ResumeEqualizer() {
    const std::optional<audio::EqGains> gains = std::exchange(resumeGains_, std::nullopt);
    if (!gains || !wiring_.equalizer || !wiring_.equalizer->Available()) return;
    // Started meanwhile (a profile switch while the headset was away): that one stays.
    if (wiring_.equalizer->IsOn()) return;
    const audio::AudioResult result = wiring_.equalizer->SetOn(*gains);
    if (!result.Ok()) {
        qCInfo(lcAudio).noquote() << "equaliser:" << audio::AudioStatusName(result.status)
                                  << result.reason.c_str();
    }
}

void CHeadsetAudioControl::StoreSettings() {
    if (!wiring_.profile) return;
    stages_.eq_type = eq_.eqType;
    // The profile's "none" for the custom selection stays what it was (0 when never set).
    if (eq_.customSelection >= 0) stages_.custom_eq_select_index = eq_.customSelection;
    wiring_.profile->WriteSystemSetStages(stages_);
}

void CHeadsetAudioControl::OnBridgeChange(AudioControl control) {
    if (!wiring_.voice || !wiring_.bridge) return;
    if (wiring_.equalizer) wiring_.equalizer->SetHeadsetCard(wiring_.bridge->CardNumber());
    const auto sw = wiring_.bridge->GetOn(control);
    const auto lv = wiring_.bridge->GetLevel(control);
    if (control == AudioControl::Microphone) {
        if (sw.Ok()) wiring_.voice->SetMicIn(sw.value);
        if (lv.Ok()) wiring_.voice->SetMicInLevel(lv.value);
    } else if (control == AudioControl::Monitoring) {
        if (sw.Ok()) wiring_.voice->SetMicMonitor(sw.value);
        if (lv.Ok()) wiring_.voice->SetMicMonitorLevel(lv.value);
    }
    ShowAvailability();
}

// ---- Microphone and monitoring ----

void CHeadsetAudioControl::Toggle(AudioControl control, bool on) {
    const bool mic = control == AudioControl::Microphone;
    const audio::AudioResult result = wiring_.bridge
                                          ? wiring_.bridge->SetOn(control, on)
                                          : audio::AudioResult::Unsupported("no audio bridge");
    if (!result.Ok()) {
        qCInfo(lcAudio).noquote() << audio::AudioControlName(control)
                                  << "switch:" << audio::AudioStatusName(result.status)
                                  << result.reason.c_str();
        // The option goes back to what the headset still does.
        if (wiring_.voice) mic ? wiring_.voice->SetMicIn(!on) : wiring_.voice->SetMicMonitor(!on);
        Message("audio_set_failed_text");
        return;
    }
    (mic ? stages_.mic_in_select : stages_.mic_monitor_select) = on ? 1 : 0;
    StoreSettings();
    if (wiring_.save) wiring_.save();
}

void CHeadsetAudioControl::Level(AudioControl control, int level) {
    const bool mic = control == AudioControl::Microphone;
    if (level < 0) return;
    level = std::clamp(level, 0, 100);
    const audio::AudioResult result = wiring_.bridge
                                          ? wiring_.bridge->SetLevel(control, level)
                                          : audio::AudioResult::Unsupported("no audio bridge");
    if (!result.Ok()) {
        qCInfo(lcAudio).noquote() << audio::AudioControlName(control)
                                  << "level:" << audio::AudioStatusName(result.status)
                                  << result.reason.c_str();
        if (wiring_.voice) {
            mic ? wiring_.voice->SetMicInLevel(stages_.mic_in_value)
                : wiring_.voice->SetMicMonitorLevel(stages_.mic_monitor_value);
        }
        return;
    }
    (mic ? stages_.mic_in_value : stages_.mic_monitor_value) = level;
    StoreSettings();
    if (wiring_.save) wiring_.save();
}

void CHeadsetAudioControl::OnMicToggle(TNotifyUI&) {
    if (wiring_.voice) Toggle(AudioControl::Microphone, wiring_.voice->IsMicIn());
}
void CHeadsetAudioControl::OnMonitorToggle(TNotifyUI&) {
    if (wiring_.voice) Toggle(AudioControl::Monitoring, wiring_.voice->IsMicMonitor());
}
void CHeadsetAudioControl::OnMicLevel(TNotifyUI&) {
    if (wiring_.voice) Level(AudioControl::Microphone, wiring_.voice->GetMicInLevel());
}
void CHeadsetAudioControl::OnMonitorLevel(TNotifyUI&) {
    if (wiring_.voice) Level(AudioControl::Monitoring, wiring_.voice->GetMicMonitorLevel());
}

// ---- Voice changer: no counterpart here; the profile's settings stay as they are ----

void CHeadsetAudioControl::OnMagicEnable(TNotifyUI&) {
    qCInfo(lcAudio) << "the voice changer is not available on this system";
    if (wiring_.magic) wiring_.magic->SetVoiceChangerOn(stages_.magic_enable != 0);
}

void CHeadsetAudioControl::OnMagicOption(TNotifyUI&) {
    if (wiring_.magic) wiring_.magic->SetVoiceChangerSelection(stages_.magic_type);
}

// ---- Equaliser ----

void CHeadsetAudioControl::ApplyEq(const EqApply& apply) {
    audio::CHostEqualizer* eq = wiring_.equalizer;
    if (!eq || !eq->Available()) return;
    audio::AudioResult result;
    audio::EqGains gains{};
    std::copy(apply.gains.begin(), apply.gains.end(), gains.begin());
    switch (apply.kind) {
        case EqApply::Kind::Nothing:
            return;
        case EqApply::Kind::On:
            result = eq->SetOn(gains);
            break;
        case EqApply::Kind::Off:
            result = eq->SetOff();
            break;
        case EqApply::Kind::Band:
            // A band moved while no filter runs starts it with what the sliders show.
            result = eq->IsOn() ? eq->SetBand(static_cast<std::size_t>(apply.band), apply.gain)
                                : eq->SetOn(gains);
            break;
    }
    if (!result.Ok()) {
        qCInfo(lcAudio).noquote() << "equaliser:" << audio::AudioStatusName(result.status)
                                  << result.reason.c_str();
    }
}

void CHeadsetAudioControl::Run(const eq_model::EqStep& step) {
    const eq_model::EqState before = eq_;
    eq_ = step.next;
    CVoice6533ControlUI* voice = wiring_.voice;
    if (voice && eq_.names != before.names) {
        voice->ClearCustomEqs();
        for (const QString& name : eq_.names) voice->AddCustomEqName(name);
        voice->SelectCustomEq(eq_.customSelection);
    }
    ShowEq();
    if (wiring_.profile) {
        if (step.storeSettings) StoreSettings();
        if (step.storePreset) {
            if (const auto gains = eq_model::PresetGains(*step.storePreset)) {
                profiles::EqBands bands{};
                std::copy(gains->begin(), gains->end(), bands.begin());
                wiring_.profile->WriteEqValues(*step.storePreset, bands);
            }
        }
        if (step.removeCurve) wiring_.profile->RemoveCustomEqValues(*step.removeCurve);
        if (step.storeCurve) {
            profiles::EqBands bands{};
            const auto& curve = eq_.curves[static_cast<std::size_t>(*step.storeCurve)];
            std::copy(curve.begin(), curve.end(), bands.begin());
            wiring_.profile->WriteCustomEqValues(*step.storeCurve, bands);
        }
        if (step.storeNames) {
            std::vector<std::wstring> names;
            for (const QString& name : eq_.names) names.push_back(name.toStdWString());
            wiring_.profile->WriteCustomEqNames(names);
        }
        const bool stored = step.storeSettings || step.storePreset || step.storeCurve ||
                            step.removeCurve || step.storeNames;
        if (stored && wiring_.save) wiring_.save();
    }
    ApplyEq(step.apply);
    Message(step.message);
}

void CHeadsetAudioControl::OnPreset(TNotifyUI& msg) {
    const auto p = ui::NumberAfterPrefix(msg.pSender->objectName(), "6533_eq_option_");
    if (!p || *p < 1 || *p > eq_model::kCustomType) return;
    if (!ui::IsSelected(msg.pSender)) return;
    eq_model::EqState state = eq_;
    if (wiring_.voice) state.customSelection = wiring_.voice->GetCustomEqSelection();
    Run(eq_model::ChoosePreset(state, *p));
}

void CHeadsetAudioControl::OnBand(TNotifyUI& msg) {
    const auto band = ui::NumberAfterPrefix(msg.pSender->objectName(), "6533_eq_hz_slider_");
    if (!band || !wiring_.voice) return;
    const int gain = wiring_.voice->GetBandGain(*band);
    if (gain < audio::kEqGainMin || gain > audio::kEqGainMax) return;
    Run(eq_model::ChangeBand(eq_, *band, gain));
}

void CHeadsetAudioControl::OnCustomSelect(TNotifyUI&) {
    if (!wiring_.voice) return;
    wiring_.voice->SetCustomEqEditText(QString());
    Run(eq_model::ApplyCustom(eq_, wiring_.voice->GetCustomEqSelection()));
}

void CHeadsetAudioControl::OnSave(TNotifyUI&) {
    if (!wiring_.voice) return;
    eq_model::EqState state = eq_;
    state.customSelection = wiring_.voice->GetCustomEqSelection();
    for (int band = 0; band < eq_model::kBands; ++band) {
        const int gain = wiring_.voice->GetBandGain(band);
        if (gain >= audio::kEqGainMin && gain <= audio::kEqGainMax)
            state.sliders[static_cast<std::size_t>(band)] = gain;
    }
    const eq_model::EqStep step = eq_model::SaveCustom(state, wiring_.voice->GetCustomEqEditText());
    Run(step);
    if (step.result == 1) wiring_.voice->SetCustomEqEditText(QString());
}

void CHeadsetAudioControl::OnDelete(TNotifyUI&) {
    if (!wiring_.voice) return;
    eq_model::EqState state = eq_;
    state.customSelection = wiring_.voice->GetCustomEqSelection();
    Run(eq_model::DeleteCustom(state));
}

CHeadsetAudioControl* AttachHeadsetAudio(CHeadsetAudioControl::Wiring wiring) {
    if (!wiring.device) return nullptr;
    wiring.voice = wiring.device->findChild<CVoice6533ControlUI*>(
        QLatin1String(CVoice6533ControlUI::kItemName));
    wiring.magic =
        wiring.device->findChild<CMagicControlUI*>(QLatin1String(CMagicControlUI::kItemName));
    if (!wiring.voice) return nullptr;
    auto* headset = qobject_cast<CSkelmoraHS6533Device*>(wiring.device);
    if (headset && !wiring.bridge) wiring.bridge = headset->AudioBridge();
    if (headset && !wiring.equalizer) wiring.equalizer = headset->HostEqualizer();
    CSkelmoraUSBDevice* device = wiring.device;
    CVoice6533ControlUI* voice = wiring.voice;
    CMagicControlUI* magic = wiring.magic;
    auto* control = new CHeadsetAudioControl(std::move(wiring), device);
    device->AddPanel(voice);
    if (magic) device->AddPanel(magic);
    if (headset) {
        const QPointer<CHeadsetAudioControl> guard(control);
        CSkelmoraHS6533Device::AudioPanelHooks hooks;
        hooks.showSettings = [guard](bool apply) {
            if (guard) guard->ShowSettings(apply);
        };
        hooks.readHeadsetState = [guard] {
            if (guard) guard->ReadHeadsetState();
        };
        hooks.resumeEqualizer = [guard] {
            if (guard) guard->ResumeEqualizer();
        };
        hooks.stopEqualizer = [guard] {
            if (guard) guard->StopEqualizer();
        };
        headset->SetAudioPanelHooks(std::move(hooks));
    }
    return control;
}
