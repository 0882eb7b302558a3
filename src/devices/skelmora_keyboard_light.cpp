// The keyboard's light: the preview steps by effect code, the frames it streams in the
// sound-driven effects, and the per-key colours of the custom effect.
#include <QThread>

#include "controls/device_key_button.h"
#include "devices/keyboard/keyboard_parameter_record.h"
#include "devices/keyboard/light_frame.h"
#include "devices/keyboard/light_preview_steps.h"
#include "devices/light_preview.h"
#include "devices/skelmora_keyboard_device.h"
#include "hid/command_report.h"
#include "platform/log_categories.h"

// ---- Effect codes ----

void CSkelmoraKeyboardDevice::SetEffectCodes(std::vector<int> codes) {
    std::lock_guard lock(LightLock());
    effectCodes_ = std::move(codes);
}

int CSkelmoraKeyboardDevice::EffectCodeOfMode(int mode) const {
    std::lock_guard lock(LightLock());
    return keyboard::EffectCodeOfMode(mode, effectCodes_);
}

int CSkelmoraKeyboardDevice::CurrentEffectCode() const {
    return EffectCodeOfMode(GetLightSettingsCopy().mode);
}

// ---- Preview ----

bool CSkelmoraKeyboardDevice::IsCustomLightMode(int mode) const {
    std::lock_guard lock(LightLock());
    return !effectCodes_.empty() && mode >= static_cast<int>(effectCodes_.size());
}

std::optional<light::LightModeRow> CSkelmoraKeyboardDevice::CurrentLightMode() const {
    if (IsCustomLightMode(GetLightSettingsCopy().mode)) return kCustomLightRow;
    const keyboard::PreviewRow row = keyboard::PreviewRowOfCode(CurrentEffectCode());
    return light::LightModeRow{row.pace, light::LightStep::OwnRoutine};
}

int CSkelmoraKeyboardDevice::SteadyLightKind(const light::LightModeRow&) const {
    const keyboard::PreviewStep step = keyboard::PreviewRowOfCode(CurrentEffectCode()).step;
    if (step == keyboard::PreviewStep::Static) return 1;
    return step == keyboard::PreviewStep::Off ? 2 : 0;
}

void CSkelmoraKeyboardDevice::OwnLightRoutine() {
    std::lock_guard lock(LightLock());
    using keyboard::PreviewStep;
    const bool custom = IsCustomLightMode(GetLightSettingsCopy().mode);
    const PreviewStep step = keyboard::PreviewRowOfCode(CurrentEffectCode()).step;
    if (!custom && step == PreviewStep::Audio) {
        AudioLightRoutine();  // the sound writes the LEDs
        return;
    }
    const std::vector<light::LedEntry> before = GetLedsCopy();
    if (custom) {
        CustomLightEffectPass();
    } else {
        RunPreviewStep(step);
    }
    const std::vector<light::LedEntry> after = GetLedsCopy();
    const bool changed = before.size() != after.size() ||
                         !std::equal(before.begin(), before.end(), after.begin(),
                                     [](const light::LedEntry& a, const light::LedEntry& b) {
                                         return light::ColourWord(a) == light::ColourWord(b);
                                     });
    if (changed) ++ledGeneration_;
}

void CSkelmoraKeyboardDevice::RunPreviewStep(keyboard::PreviewStep step) {
    using keyboard::PreviewStep;
    switch (step) {
        case PreviewStep::Static:
            EffectStatic();
            break;
        case PreviewStep::Breathing:
            EffectBreathing();
            break;
        case PreviewStep::ColourCycle:
            EffectSpectrum();
            break;
        case PreviewStep::Blink:
            EffectBlink();
            break;
        case PreviewStep::Off:
            EffectOff();
            break;
        case PreviewStep::Wave:
            WithEffectContext([this](light::EffectContext& context) {
                keyboard::EffectWave(context, keyColumns_);
            });
            break;
        case PreviewStep::Custom:
            WithEffectContext([this](light::EffectContext& context) {
                keyboard::EffectCustomColours(context, customColours_);
            });
            break;
        case PreviewStep::Audio:
            break;
    }
}

void CSkelmoraKeyboardDevice::SetLed(int index, uint32_t colourWord, uint32_t extraWord) {
    CSkelmoraUSBDevice::SetLed(index, colourWord, extraWord);
    ++ledGeneration_;
}

// ---- Frames ----

CSkelmoraUSBDevice::FrameNeed CSkelmoraKeyboardDevice::GetFrameNeed() const {
    if (!IsWireless() && keyboard::IsHostStreamedCode(CurrentEffectCode()))
        return FrameNeed::Stream;
    return IsPageOnScreen() ? FrameNeed::Preview : FrameNeed::Nothing;
}

bool CSkelmoraKeyboardDevice::SendLightFrame() {
    if (!IsHostLightControl()) return true;
    // Previews are widgets: only the UI thread paints them, only when the LEDs changed and
    // only when the page can be seen.
    if (QThread::currentThread() == thread() && IsPageOnScreen()) {
        const uint32_t generation = ledGeneration_;
        const uint32_t now = NowMs();
        if (generation != paintedGeneration_ &&
            now - lastPaintMs_ + kPreviewPaintSlackMs >= kPreviewPaintIntervalMs) {
            paintedGeneration_ = generation;
            lastPaintMs_ = now;
            PaintLightPreview();
        }
    }
    // The keyboard runs its own effects; the host drives its keys only in the sound-driven
    // effects, and only over the wire.
    if (IsWireless() || !keyboard::IsHostStreamedCode(CurrentEffectCode())) return true;

    if (streamPaused_) {
        if (static_cast<int32_t>(streamPauseUntil_ - NowMs()) > 0) return false;
        streamPaused_ = false;
    }
    CopyLeds(frameLeds_);
    keyboard::BuildKeyPositionFrame(frameLeds_, GetKeyMap(), Memory().positions, builtFrame_);
    if (builtFrame_.empty()) return true;  // the key table's size is not known yet
    std::lock_guard lock(pendingFrameLock_);
    pendingFrame_.swap(builtFrame_);  // a frame not sent yet is replaced by the newer one
    framePending_ = true;
    return true;
}

void CSkelmoraKeyboardDevice::AfterLightPass() {
    {
        std::lock_guard lock(pendingFrameLock_);
        if (!framePending_) return;
        sendingFrame_.swap(pendingFrame_);
        framePending_ = false;
    }
    if (CommandChannel().StreamLightFrame(sendingFrame_) == hid::kResultOk) return;
    streamPauseUntil_ = NowMs() + kFramePauseMs;
    streamPaused_ = true;
}

// ---- Custom colours ----

std::vector<profiles::LightColorEntry> CSkelmoraKeyboardDevice::GetCustomColorsCopy() const {
    std::lock_guard lock(LightLock());
    return customColours_;
}

void CSkelmoraKeyboardDevice::SelectCustomGroup(int group) {
    profile_.SetCustomLightGroup(group);
    std::vector<profiles::LightColorEntry> colours =
        profile_.ReadCustomLightColors(group, keyboard::kKeyIndexCount);
    {
        std::lock_guard lock(LightLock());
        customColours_ = std::move(colours);
    }
    PaintCustomColours();
}

void CSkelmoraKeyboardDevice::RefreshCustomColors() { PaintCustomColours(); }

void CSkelmoraKeyboardDevice::PaintCustomColours() {
    const std::vector<profiles::LightColorEntry> colours = GetCustomColorsCopy();
    for (int i = 0; i < GetLedCount(); ++i) {
        CDeviceKeyButtonUI* control = GetLightControl(i);
        if (!control) continue;
        const profiles::LightColorEntry entry = i < static_cast<int>(colours.size())
                                                    ? colours[static_cast<size_t>(i)]
                                                    : profiles::LightColorEntry{};
        light::PaintLightControl(control, {entry.red, entry.green, entry.blue}, entry.alpha);
    }
    ++ledGeneration_;
}

std::vector<int> CSkelmoraKeyboardDevice::SelectedLightKeys() const {
    std::vector<int> leds;
    for (int i = 0; i < GetLedCount() && i < keyboard::kKeyIndexCount; ++i) {
        const CDeviceKeyButtonUI* control = GetLightControl(i);
        if (control && control->IsSelected()) leds.push_back(i);
    }
    return leds;
}

void CSkelmoraKeyboardDevice::SetCustomKeys(const std::vector<int>& leds, bool bright) {
    const light::LightSettings settings = GetLightSettingsCopy();
    const profiles::LightColorEntry chosen =
        bright ? profiles::LightColorEntry{settings.red, settings.green, settings.blue, 255, 1}
               : profiles::LightColorEntry{0, 0, 0, 255, 0};
    {
        std::lock_guard lock(LightLock());
        if (customColours_.size() < static_cast<size_t>(keyboard::kKeyIndexCount))
            customColours_.resize(keyboard::kKeyIndexCount);
        for (const int led : leds) {
            if (led >= 0 && led < GetLedCount() && led < keyboard::kKeyIndexCount)
                customColours_[static_cast<size_t>(led)] = chosen;
        }
    }
    PaintCustomColours();
    // Stored in the profile's current group and saved, then the bright mask is sent.
    WriteCustomColours(GetCustomColorsCopy());
}
