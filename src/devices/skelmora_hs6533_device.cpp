#include "devices/skelmora_hs6533_device.h"

#include <QVariant>
#include <algorithm>
#include <array>
#include <numeric>
#include <span>

#include "devices/headset/headset_effects.h"
#include "devices/light_info_words.h"
#include "platform/log_categories.h"
#include "profiles/json_access.h"

namespace {

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

// Without a mode list the modes are their own codes.
std::vector<int> IdentityCodes() {
    std::vector<int> codes(headset::kHighestMode + 1);
    std::iota(codes.begin(), codes.end(), 0);
    return codes;
}

constexpr int kOutputTimeoutMs = 1000;

}  // namespace

CSkelmoraHS6533Device::CSkelmoraHS6533Device(QWidget* parent,
                                             std::shared_ptr<hid::IHidBackend> backend)
    : CSkelmoraUSBDevice(parent, std::move(backend)) {
    SetKind(kKindHeadset);
    effectCodes_ = IdentityCodes();
}

CSkelmoraHS6533Device::~CSkelmoraHS6533Device() { StopWorkerThreads(); }

void CSkelmoraHS6533Device::OnConnected() {
    // A connect (the first, or after an unplug) only shows the profile's audio settings; the
    // card's state is read below.
    pageShown_ = false;
    // The card is looked for where this headset sits on the USB bus, so that two identical
    // headsets each take their own; a headset plugged again sits at a new place.
    if (audioBridge_) {
        const CHidConnection& connection = CommandChannel().WiredConnection();
        audioBridge_->HeadsetConnected({connection.UsbBus(), connection.UsbDevice()});
    }
    LoadProfile();
    ReadLighting();
    RefreshPage();
    // The card's microphone and monitoring as they are now; the equaliser is the profile's,
    // and one stopped when the headset went runs again.
    if (audioPanelHooks_.readHeadsetState) audioPanelHooks_.readHeadsetState();
    if (audioPanelHooks_.resumeEqualizer) audioPanelHooks_.resumeEqualizer();
    StartLightThread();
}

void CSkelmoraHS6533Device::OnDisconnected() {
    if (audioPanelHooks_.stopEqualizer) {
        audioPanelHooks_.stopEqualizer();
    } else if (hostEqualizer_) {
        hostEqualizer_->SetOff();
    }
    if (audioBridge_) audioBridge_->HeadsetGone();
}

// ---- Light modes and effects ----

// Mode 5 and the modes past the built-in list play the user's light effect, on every pass.
std::optional<light::LightModeRow> CSkelmoraHS6533Device::CurrentLightMode() const {
    const auto row = light::FindLightMode(light::kPadLightModes, GetLightSettingsCopy().mode);
    return row ? row : kCustomLightRow;
}

void CSkelmoraHS6533Device::OwnLightRoutine() { CustomLightEffectPass(); }

void CSkelmoraHS6533Device::ReloadCustomLightEffect() { LoadCustomLightEffect(profile_); }

void CSkelmoraHS6533Device::ClassEffectA() { WithEffectContext(headset::EffectA); }

void CSkelmoraHS6533Device::ClassEffectB() {
    WithEffectContext([this](light::EffectContext& context) {
        headset::MarqueeState marquee{keys_, ring_, marqueePasses_};
        if (headset::EffectB(context, marquee) && !pairSkipLogged_) {
            pairSkipLogged_ = true;
            qCDebug(lcDevice) << "headset: pair entries 13 and 14 are past the 13 LEDs, skipped";
        }
    });
}

void CSkelmoraHS6533Device::ClassEffectC() {
    WithEffectContext([this](light::EffectContext& context) {
        headset::MarqueeState marquee{keys_, ring_, marqueePasses_};
        headset::EffectC(context, marquee);
    });
}

void CSkelmoraHS6533Device::MarkRingKeys() {
    std::lock_guard lock(LightLock());
    headset::MarkHeadsetRing(ring_, keys_);
}

// ---- LED output ----

bool CSkelmoraHS6533Device::SendLedReports(const headset::LedValues& values) {
    const headset::LedFrame frame = headset::BuildLedFrame(values);
    CCommandChannel& channel = CommandChannel();
    // The channel's light lock: LED reports never wait behind a command exchange.
    std::lock_guard lock(channel.LightLock());
    // The twelve reports in their order, handed over together (one send on the virtual bus).
    std::array<std::span<const uint8_t>, std::tuple_size_v<headset::LedFrame>> reports{};
    for (size_t i = 0; i < frame.size(); ++i) reports[i] = frame[i];
    if (!channel.WiredConnection().SetOutputReports(reports, kOutputTimeoutMs)) return false;
    ++ledFramesSent_;
    return true;
}

void CSkelmoraHS6533Device::SetHostLightControl(bool on) {
    if (on) resendFrame_ = true;
    CSkelmoraUSBDevice::SetHostLightControl(on);
}

void CSkelmoraHS6533Device::AfterLightPass() {
    // Switched off during this pass: nothing more goes out.
    if (!IsHostLightControl()) return;
    const headset::LedValues values = headset::LedValuesOf(GetLedsCopy());
    if (values != lastValues_) {
        lastValues_ = values;
        ++ledChanges_;
    }
    const uint32_t now = NowMs();
    const bool resend = resendFrame_.exchange(false);
    if (!resend && sentOnce_ && values == lastSent_ && now - lastSentMs_ < kLedRefreshMs) return;
    // A failed frame is tried again at the next pass that is due (a second later at most).
    lastSentMs_ = now;
    if (!SendLedReports(values)) return;
    lastSent_ = values;
    sentOnce_ = true;
}

bool CSkelmoraHS6533Device::SendLedFrame() {
    if (!IsHostLightControl() || !CommandChannel().IsOpened()) return false;
    return SendLedReports(headset::LedValuesOf(GetLedsCopy()));
}

bool CSkelmoraHS6533Device::WriteLedFrame() {
    if (const auto row = CurrentLightMode()) RunLightStep(row->step);
    return SendLedFrame();
}

// ---- Profile ----

void CSkelmoraHS6533Device::BuildProfilePaths() { SetProfilePaths(profile_); }

int CSkelmoraHS6533Device::LoadProfile() {
    BuildProfilePaths();
    profile_.SetDefaultPath(ToPath(GetDefaultProfileFile()));
    profile_.SetElementIndex(0);
    profile_.Load(profile_.GetProfilePath());
    LoadConfigLists();
    LoadLightSettings();
    profile_.ReadSystemSetStages();
    return 1;
}

void CSkelmoraHS6533Device::SetLightSettings(const std::array<uint32_t, 4>& words) {
    CSkelmoraUSBDevice::SetLightSettings(words);
    profile_.WriteLightInfo(light::ToLightInfo(light::FromWords(words)));
}

int CSkelmoraHS6533Device::LoadLightSettings() {
    const profiles::LightInfo light = profile_.ReadLightInfo();
    {
        std::lock_guard lock(LightLock());
        headset::PutLightInfo(block_, light, effectCodes_);
    }
    profile_.ReadLightList();
    LoadCustomLightEffect(profile_);
    ShowLight(light);
    return 1;
}

void CSkelmoraHS6533Device::ShowLight(const profiles::LightInfo& info) {
    light_ = info;
    light::LightSettings settings = GetLightSettingsCopy();
    settings.mode = info.mode;
    settings.brightness = std::min<uint8_t>(info.brightness, 4);
    settings.speed = std::min<uint8_t>(info.speed, 4);
    settings.direction = info.direction;
    settings.multicolour = info.multicolour;
    settings.red = info.red;
    settings.green = info.green;
    settings.blue = info.blue;
    CSkelmoraUSBDevice::SetLightSettings(light::ToWords(settings));
    // The lighting panel shows what the headset now holds (read back at connect, loaded with
    // a profile), not what it showed before.
    ShowLightOnPanel();
}

void CSkelmoraHS6533Device::RefreshPage() {
    for (QWidget* panel : {lightControlItem_.data(), voiceControlItem_.data(),
                           magicControlItem_.data(), virtualSetItem_.data()}) {
        if (panel) panel->setProperty("device", QVariant::fromValue<QObject*>(this));
    }
    // At connect the panels only show the profile; after a profile switch or a reset its
    // audio settings also go to the headset.
    if (audioPanelHooks_.showSettings) audioPanelHooks_.showSettings(pageShown_);
    pageShown_ = true;
}

void CSkelmoraHS6533Device::LoadConfigLists() {
    namespace json = profiles::json;
    if (GetModelIndex() < 0) {
        effectCodes_ = IdentityCodes();
        return;
    }
    const Json::Value lights = profiles::JsonFile().ReadDocument(
        ToPath(GetDefaultDataFolder() + QStringLiteral("default_light.json")));
    const Json::Value& row = json::Item(json::Member(lights, "DefaultLightName"),
                                        static_cast<Json::ArrayIndex>(GetModelIndex()));
    std::vector<int> codes;
    for (Json::ArrayIndex i = 0; row.isArray() && i < row.size(); ++i)
        codes.push_back(json::ToI32(json::Member(row[i], "value")));
    effectCodes_ = codes.empty() ? IdentityCodes() : codes;
}

void CSkelmoraHS6533Device::SaveProfile() { profile_.Save(); }

void CSkelmoraHS6533Device::RestoreDefaults() {
    profile_.SetElementIndex(0);
    profile_.Load(ToPath(GetDefaultProfileFile()));
    LoadLightSettings();
    profile_.ReadSystemSetStages();
    BuildProfilePaths();
    SaveProfile();
    RefreshPage();
}

headset::LightBlock CSkelmoraHS6533Device::LightBlockCopy() const {
    std::lock_guard lock(LightLock());
    return block_;
}

// ---- Device ----

WriteOutcome CSkelmoraHS6533Device::ReadLighting(bool adopt) {
    uint8_t bank = 0;
    headset::LightRead read{};
    const WriteOutcome outcome = headset::ReadLightBlock(CommandChannel(), bank, read);
    if (!outcome.ok()) {
        if (CommandChannel().IsOpened()) LogFailure("lighting read", outcome);
        return outcome;
    }
    const headset::DecodedLight decoded = headset::DecodeLightBlock(read, light_, effectCodes_);
    if (decoded.unknownCode)
        qCWarning(lcDevice) << "headset: unknown effect code" << read[headset::kCodeByte]
                            << "read back, the mode stays" << light_.mode;
    if (decoded.speedClamped)
        qCWarning(lcDevice) << "headset: speed byte" << read[headset::kSpeedByte]
                            << "read back, taken as speed 0";
    lastRead_ = read;
    {
        std::lock_guard lock(LightLock());
        block_ = decoded.block;
        bank_ = bank;
        if (!adopt) headset::PutLightInfo(block_, light_, effectCodes_);
    }
    if (!adopt) return outcome;
    ShowLight(decoded.light);
    profile_.WriteLightInfo(decoded.light);
    profile_.Save();
    return outcome;
}

int CSkelmoraHS6533Device::WriteParameters(const ParameterWrite&) {
    return WriteLighting().ok() ? 1 : 0;
}

WriteOutcome CSkelmoraHS6533Device::WriteLighting() {
    const profiles::LightInfo light = profile_.ReadLightInfo();
    headset::LightBlock wire{};
    {
        std::lock_guard lock(LightLock());
        headset::PutLightInfo(block_, light, effectCodes_);
        wire = headset::ToWire(block_);
    }
    ShowLight(light);
    const WriteOutcome outcome = headset::WriteLightBlock(CommandChannel(), wire, 0);
    if (!outcome.ok()) LogFailure("lighting write", outcome);
    return outcome;
}

void CSkelmoraHS6533Device::RefreshStatus() {
    if (IsStatusRefreshPaused()) return;
    headset::StatusBlock block{};
    statusOutcome_ = headset::ReadStatusBlock(CommandChannel(), block);
    if (!statusOutcome_.ok()) return;
    status_ = block;
    PublishStatus(block);
    emit StatusMessage(0xD01, block[4]);
}

void CSkelmoraHS6533Device::OnDeviceEvent() {
    if (ReadLighting().ok()) RefreshPage();
}
