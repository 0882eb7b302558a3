#include "devices/skelmora_mouse_pad_device.h"

#include "controls/device_key_button.h"
#include "devices/light_info_words.h"
#include "platform/log_categories.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"

namespace {

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

// "light_3" -> ("light_", 3); -1 when no number follows the last underscore.
std::pair<QString, int> SplitName(const QString& name) {
    const int underscore = name.lastIndexOf('_');
    if (underscore < 0) return {name, -1};
    bool ok = false;
    const int number = name.mid(underscore + 1).toInt(&ok);
    return {name.left(underscore + 1), ok && number >= 0 ? number : -1};
}

}  // namespace

CSkelmoraMousePadDevice::CSkelmoraMousePadDevice(QWidget* parent,
                                                 std::shared_ptr<hid::IHidBackend> backend)
    : CSkelmoraUSBDevice(parent, std::move(backend)) {
    SetKind(kKindMousePad);
}

CSkelmoraMousePadDevice::~CSkelmoraMousePadDevice() { StopWorkerThreads(); }

// ---- Connect and events ----

void CSkelmoraMousePadDevice::OnConnected() {
    ReadPadInfo();
    LoadProfile();
    RefreshPage();
    StartLightThread();
}

void CSkelmoraMousePadDevice::OnDeviceEvent() {
    ReadPadParameters();
    RefreshPage();
}

WriteOutcome CSkelmoraMousePadDevice::ReadPadInfo() {
    const WriteOutcome outcome = pad::ReadPadInfo(CommandChannel(), info_);
    if (!outcome.ok()) LogFailure("information read", outcome);
    return outcome;
}

WriteOutcome CSkelmoraMousePadDevice::ReadPadParameters(int* slot) {
    uint8_t active = 0;
    pad::ReadBlock block{};
    const WriteOutcome outcome = pad::ReadPadParameters(CommandChannel(), active, block);
    if (!outcome.ok()) {
        // The live record stays as it was: a failed read gives no slot and no block.
        LogFailure("parameter read", outcome);
        return outcome;
    }
    lastRead_ = block;
    const pad::DecodedRead decoded = pad::DecodeRead(active, block, effectCodes_);
    if (decoded.unknownCode)
        qCWarning(lcDevice) << "mouse pad: unknown effect code" << block[pad::kModeByte]
                            << "read back, kept as the mode";
    if (block[pad::kSpeedByte] > pad::kFastestSpeed)
        qCWarning(lcDevice) << "mouse pad: speed byte" << block[pad::kSpeedByte]
                            << "read back, shown as speed 0";
    live_ = decoded.record;
    ShowLive();
    if (slot) *slot = active;
    return outcome;
}

// ---- Profile ----

void CSkelmoraMousePadDevice::BuildProfilePaths() { SetProfilePaths(profile_); }

int CSkelmoraMousePadDevice::LoadProfile() {
    BuildProfilePaths();
    profile_.SetDefaultPath(ToPath(GetDefaultProfileFile()));
    profile_.SetElementIndex(0);
    profile_.Load(profile_.GetProfilePath());
    LoadLightSettings();
    return 1;
}

void CSkelmoraMousePadDevice::SetLightSettings(const std::array<uint32_t, 4>& words) {
    CSkelmoraUSBDevice::SetLightSettings(words);
    profile_.WriteLightInfo(light::ToLightInfo(light::FromWords(words)));
}

int CSkelmoraMousePadDevice::LoadLightSettings() {
    const profiles::LightInfo light = profile_.ReadLightInfo();
    pad::ApplyLight(live_, light);
    ShowLive();
    profile_.ReadLightList();
    LoadCustomLightEffect(profile_);
    return 1;
}

void CSkelmoraMousePadDevice::ReloadCustomLightEffect() { LoadCustomLightEffect(profile_); }

void CSkelmoraMousePadDevice::ShowLive() {
    const profiles::LightInfo light = pad::LightOf(live_);
    light::LightSettings settings = GetLightSettingsCopy();
    settings.mode = light.mode;
    settings.brightness = std::min<uint8_t>(light.brightness, 4);
    settings.speed = std::min<uint8_t>(light.speed, 4);
    settings.direction = light.direction;
    settings.multicolour = light.multicolour;
    settings.red = light.red;
    settings.green = light.green;
    settings.blue = light.blue;
    CSkelmoraUSBDevice::SetLightSettings(light::ToWords(settings));
    // The lighting panel shows the light now in force (a profile loaded, the pad read again).
    ShowLightOnPanel();
}

void CSkelmoraMousePadDevice::RefreshPage() { LoadConfigLists(); }

void CSkelmoraMousePadDevice::LoadConfigLists() {
    namespace json = profiles::json;
    macroNames_.clear();
    if (const QString folder = GetUserDataFolder(); !folder.isEmpty()) {
        const Json::Value config =
            profiles::JsonFile().ReadDocument(ToPath(folder + QLatin1String(kMacroListFile)));
        const Json::Value& list = json::Member(config, "MacroInfo");
        for (Json::ArrayIndex i = 0; list.isArray() && i < list.size(); ++i) {
            const Json::Value& name = json::Member(list[i], "MacroName");
            macroNames_.push_back(name.isString() ? name.asString() : std::string());
        }
    }
    const Json::Value lights = profiles::JsonFile().ReadDocument(
        ToPath(GetDefaultDataFolder() + QStringLiteral("default_light.json")));
    effectCodes_.clear();
    const Json::Value& row = json::Item(json::Member(lights, "DefaultLightName"), kModelIndex);
    for (Json::ArrayIndex i = 0; row.isArray() && i < row.size(); ++i)
        effectCodes_.push_back(json::ToI32(json::Member(row[i], "value")));
}

void CSkelmoraMousePadDevice::SaveProfile() { profile_.Save(); }

// ---- Writes ----

int CSkelmoraMousePadDevice::WriteParameters(const ParameterWrite&) {
    return WriteParameterBlock(0).ok() ? 1 : 0;
}

WriteOutcome CSkelmoraMousePadDevice::WriteParameterBlock(int slot) {
    if (slot < 0 || slot > 255) return WriteOutcome::Failed("slot", hid::kResultReadFailed);
    const pad::LiveRecord block = pad::EncodeWrite(live_, effectCodes_);
    const WriteOutcome outcome =
        pad::WritePadBlockFramed(CommandChannel(), block, static_cast<uint8_t>(slot));
    if (!outcome.ok()) LogFailure("parameter write", outcome);
    return outcome;
}

// ---- Page ----

void CSkelmoraMousePadDevice::BindPageControls() {
    if (GetPageLayoutPath().isEmpty()) {
        SetCounts(0, 0);
        return;
    }
    QWidget* panel = findChild<QWidget*>(QLatin1String(kKeyLightPanel));
    if (!panel) return;
    for (CDeviceKeyButtonUI* button :
         panel->findChildren<CDeviceKeyButtonUI*>(QString(), Qt::FindDirectChildrenOnly)) {
        const auto [prefix, n] = SplitName(button->objectName());
        if (n < 0) continue;
        if (prefix == QLatin1String("key_")) {
            SetKeyButton(n, button);
        } else if (prefix == QLatin1String("light_")) {
            SetLightControl(n, button);  // painted white
        }
    }
}

// ---- Light ----

std::optional<light::LightModeRow> CSkelmoraMousePadDevice::CurrentLightMode() const {
    const auto row = light::FindLightMode(light::kPadLightModes, GetLightSettingsCopy().mode);
    return row ? row
               : light::LightModeRow{light::kStandardPace, light::LightStep::OwnRoutine, true};
}

void CSkelmoraMousePadDevice::PadFrame(void (*frame)(std::span<light::LedEntry>,
                                                     const light::LightSettings&,
                                                     pad::PadPreviewState&)) {
    WithEffectContext([this, frame](light::EffectContext& context) {
        frame(context.leds, context.settings, preview_);
    });
}

void CSkelmoraMousePadDevice::ClassEffectA() { PadFrame(&pad::WaveFrame); }
void CSkelmoraMousePadDevice::ClassEffectB() { PadFrame(&pad::NeonFrame); }
void CSkelmoraMousePadDevice::ClassEffectC() { PadFrame(&pad::SpectrumFrame); }

void CSkelmoraMousePadDevice::OwnLightRoutine() {
    const uint8_t mode = GetLightSettingsCopy().mode;
    if (mode == 5) {
        PadFrame(&pad::RainbowWaveFrame);
    } else if (mode >= light::kPadLightModes.size()) {
        PlayCustomLightEffect();
    }
}

void CSkelmoraMousePadDevice::PlayCustomLightEffect() { CustomLightEffectPass(); }
