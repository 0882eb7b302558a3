#include "devices/skelmora_mouse_device.h"

#include <QGuiApplication>
#include <QRandomGenerator>
#include <QScreen>
#include <QVariant>

#include "devices/light_info_words.h"
#include "devices/light_mode_codes.h"
#include "devices/macro_files.h"
#include "devices/mouse/mouse_button_table.h"
#include "devices/mouse/mouse_reports.h"
#include "devices/mouse/shoot_files.h"
#include "platform/log_categories.h"
#include "profiles/json_access.h"
#include "ui/control_props.h"

namespace {

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

constexpr int kPreviewLeds = 15;

}  // namespace

CSkelmoraMouseDevice::CSkelmoraMouseDevice(QWidget* parent,
                                           std::shared_ptr<hid::IHidBackend> backend)
    : CSkelmoraUSBDevice(parent, std::move(backend)) {
    SetKind(kKindMouse);
    map_.fill(mouse::kAbsentSlot);
    fade_.assign(kPreviewLeds, 0);
}

CSkelmoraMouseDevice::~CSkelmoraMouseDevice() { StopWorkerThreads(); }

void CSkelmoraMouseDevice::OnConnected() {
    ReadDeviceTables();
    LoadProfile();
    RefreshPage();
    StartLightThread();
}

bool CSkelmoraMouseDevice::IsLinked() { return ReceiverReportsLink(); }

std::optional<light::LightModeRow> CSkelmoraMouseDevice::CurrentLightMode() const {
    const auto row = light::FindLightMode(light::kMouseLightModes, GetLightSettingsCopy().mode);
    return row ? row : light::kMouseCustomMode;
}

// Only the modes past the built-in table run the class's own routine: the user effects.
void CSkelmoraMouseDevice::OwnLightRoutine() { CustomLightEffectPass(); }

void CSkelmoraMouseDevice::ReloadCustomLightEffect() { LoadCustomLightEffect(profile_); }

device_events::EventClass CSkelmoraMouseDevice::EventClassOf(EventInterface which) const {
    return which == kWiredEvents ? device_events::EventClass::MouseWired
                                 : device_events::EventClass::MouseReceiver;
}

const char* CSkelmoraMouseDevice::EventThreadExitTrace() const { return "MS 设备同步线程设定退出"; }
const char* CSkelmoraMouseDevice::LightThreadExitTrace() const { return "MS灯光线程设定退出"; }

// ---- Connect ----

WriteOutcome CSkelmoraMouseDevice::ReadDeviceTables() {
    if (!CommandChannel().IsOpened())
        return WriteOutcome::Failed("channel closed", hid::kResultReadFailed);
    mouse::MouseMemory memory;
    const WriteOutcome outcome = mouse::ReadDeviceTables(CommandChannel(), memory);
    memory_ = memory;
    if (!outcome.ok()) {
        if (outcome.step == "DeviceInfo") {
            qCWarning(lcDevice) << "mouse: device information gives"
                                << memory.info[mouse::kEntriesInfoByte]
                                << "key table entries (1 to 170 expected): no button writes";
        } else {
            LogFailure("read-back", outcome);
        }
        return outcome;
    }
    const mouse::MouseInfo info = memory_.Info();
    map_ = mouse::BuildButtonMap(memory_.keyTable, info.entries);
    for (int button = 0; button < mouse::kLogicalButtons; ++button) {
        if (map_[static_cast<size_t>(button)] == mouse::kAbsentSlot)
            qCDebug(lcDevice) << "mouse: button" << button << "not in the key table, not written";
    }
    if (info.dpiStep == 0) qCWarning(lcDevice) << "mouse: DPI step 0 reported";
    const int highest = info.highestLevel;
    for (int i = 0; i < kDpiRows; ++i) {
        if (QWidget* slider = Control(QStringLiteral("DPI_slider_"), i))
            ui::SetRange(slider, 0, highest);
        if (QWidget* edit = Control(QStringLiteral("DPI_edit_"), i))
            edit->setProperty("maxvalue", highest * info.dpiStep);
    }
    return outcome;
}

WriteOutcome CSkelmoraMouseDevice::ReadParameterBlock(int* activeSlot) {
    mouse::ParameterRead read;
    const WriteOutcome outcome = mouse::ReadParameterBlock(CommandChannel(), read);
    if (!outcome.ok()) {
        LogFailure("parameter read", outcome);
        return outcome;
    }
    parameters_ = read;
    if (activeSlot) *activeSlot = read.activeSlot;
    const mouse::DecodedParameters decoded =
        mouse::DecodeParameterBlock(read.block, read.activeSlot, light_, effectCodes_);
    if (decoded.unknownCode)
        qCWarning(lcDevice) << "mouse: unknown effect code" << read.block[1]
                            << "read back, kept as the mode";
    parameters_.block = decoded.block;
    ShowLight(decoded.light);
    profile_.SetStageActive(decoded.activeStage);
    profile_.WriteLightInfo(decoded.light);
    profile_.Save();
    return outcome;
}

void CSkelmoraMouseDevice::OnDeviceEvent() {
    ReadParameterBlock();
    RefreshPage();
}

// ---- Profile ----

QString CSkelmoraMouseDevice::MacroFolder() const { return GetUserDataFolder(); }

int CSkelmoraMouseDevice::MacroCount() const {
    const QString folder = MacroFolder();
    return folder.isEmpty()
               ? 0
               : static_cast<int>(macro_codec::ReadMacroConfig(ToPath(folder)).entries.size());
}

void CSkelmoraMouseDevice::BuildProfilePaths() { SetProfilePaths(profile_); }

std::vector<profiles::DPIStage> CSkelmoraMouseDevice::ProfileDpiStages() {
    std::vector<profiles::DPIStage> stages = profile_.ReadDPIStages();
    const Json::Value& own = profiles::json::Member(
        profiles::json::Member(profile_.Element(), "DPIStages"), "StageDPIs");
    const size_t count = own.isArray() ? own.size() : 0;
    if (stages.size() > count) stages.resize(count);
    return stages;
}

int CSkelmoraMouseDevice::LoadProfile() {
    BuildProfilePaths();
    profile_.SetDefaultPath(ToPath(GetDefaultProfileFile()));
    profile_.SetElementIndex(0);
    profile_.Load(profile_.GetProfilePath());
    keyList_ = profile_.ReadKeyList();
    const std::array<int, 3> audio = light::PackAudioLight(profile_.ReadAudioLightInfo());
    CSkelmoraUSBDevice::SetLightSource(audio[0], audio[1], audio[2]);
    ShowLight(profile_.ReadLightInfo());
    profile_.ReadLightList();
    LoadCustomLightEffect(profile_);
    dpiStages_ = ProfileDpiStages();
    stages_ = profile_.ReadMouseSystemStages();
    return 1;
}

void CSkelmoraMouseDevice::RestoreDefaults() {
    profile_.SetElementIndex(0);
    profile_.Load(ToPath(GetDefaultProfileFile()));
    keyList_ = profile_.ReadKeyList();
    ShowLight(profile_.ReadLightInfo());
    dpiStages_ = ProfileDpiStages();
    stages_ = profile_.ReadMouseSystemStages();
    BuildProfilePaths();
    SaveProfile();
    RefreshPage();
}

void CSkelmoraMouseDevice::ShowLight(const profiles::LightInfo& info) {
    light_ = info;
    light::LightSettings settings = GetLightSettingsCopy();
    if (settings.mode != info.mode) fade_.assign(kPreviewLeds, 0);
    settings = light::WithLightInfo(settings, info);
    settings.brightness = std::min<uint8_t>(info.brightness, 4);
    settings.speed = std::min<uint8_t>(info.speed, 4);
    // The device's copy only: the profile already holds the record.
    // The mode a game effect returns to is the device's own until the effect ends: a profile
    // loaded meanwhile does not replace it.
    settings.extra[light::kOldModeExtra] = GetLightSettingsCopy().extra[light::kOldModeExtra];
    CSkelmoraUSBDevice::SetLightSettings(light::ToWords(settings));
    ShowLightOnPanel();
}

void CSkelmoraMouseDevice::SetLightSettings(const std::array<uint32_t, 4>& words) {
    const light::LightSettings settings = light::FromWords(words);
    if (settings.mode != GetLightSettingsCopy().mode) {
        std::lock_guard lock(LightLock());
        fade_.assign(kPreviewLeds, 0);
    }
    CSkelmoraUSBDevice::SetLightSettings(words);
    light_ = light::ToLightInfo(settings);
    profile_.WriteLightInfo(light_);
}

int CSkelmoraMouseDevice::LoadLightSettings() {
    ShowLight(profile_.ReadLightInfo());
    return 1;
}

void CSkelmoraMouseDevice::SetLightSource(int first, int second, int third) {
    CSkelmoraUSBDevice::SetLightSource(first, second, third);
    profile_.WriteAudioLightInfo(light::UnpackAudioLight({first, second, third}));
}

void CSkelmoraMouseDevice::RefreshPage() {
    LoadConfigLists();
    RebuildButtonTips();
    ShowDpiStages();
}

void CSkelmoraMouseDevice::LoadConfigLists() {
    namespace json = profiles::json;
    macroNames_.clear();
    if (const QString folder = MacroFolder(); !folder.isEmpty()) {
        for (const auto& entry : macro_codec::ReadMacroConfig(ToPath(folder)).entries)
            macroNames_.push_back(entry.name);
    }
    const auto model = static_cast<Json::ArrayIndex>(std::max(0, GetModelIndex()));
    const Json::Value lights = profiles::JsonFile().ReadDocument(
        ToPath(GetDefaultDataFolder() + QStringLiteral("default_light.json")));
    std::vector<std::optional<int>> codes;
    const Json::Value& row = json::Item(json::Member(lights, "DefaultLightName"), model);
    for (Json::ArrayIndex i = 0; row.isArray() && i < row.size(); ++i)
        codes.push_back(light::LightModeCode(json::Member(row[i], "value")));
    effectCodes_ = light::CodesWithFallback(codes);
}

void CSkelmoraMouseDevice::SaveProfile() { profile_.Save(); }

// ---- Writes ----

std::pair<int, int> CSkelmoraMouseDevice::ScreenSizeInPixels() {
    static const std::pair<int, int> size = [] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) return std::pair<int, int>{0, 0};
        const qreal ratio = screen->devicePixelRatio();
        return std::pair<int, int>{qRound(screen->geometry().width() * ratio),
                                   qRound(screen->geometry().height() * ratio)};
    }();
    return size;
}

ParameterWrite CSkelmoraMouseDevice::StandardParameterWrite() const {
    const auto [width, height] = ScreenSizeInPixels();
    return ParameterWrite{0, 0, 1, width, height};
}

int CSkelmoraMouseDevice::WriteParameters(const ParameterWrite& values) {
    return WriteParameterBlock(values).ok() ? 1 : 0;
}

WriteOutcome CSkelmoraMouseDevice::WriteParameterBlock(const ParameterWrite& values) {
    if (values.slot < 0 || values.slot >= 256 / 2)
        return WriteOutcome::Failed("slot", hid::kResultReadFailed);
    mouse::ParameterInputs in;
    in.firstByte = static_cast<uint8_t>(values.firstByte);
    in.byte59 = static_cast<uint8_t>(values.flag);
    in.light = profile_.ReadLightInfo();
    in.effectCodes = effectCodes_;
    in.stages = ProfileDpiStages();
    in.activeStage = profile_.GetStageActive();
    in.reportRateStage = profile_.ReadMouseSystemStages().report_rate_stage;
    in.highestLevel = memory_.complete ? memory_.Info().highestLevel : 0;
    in.screenWidth = values.screenWidth;
    in.screenHeight = values.screenHeight;
    in.correction = profile_.ReadCorrectInfo();
    mouse::ParameterRepairs repairs;
    const mouse::ParameterBlock block = mouse::EncodeParameterBlock(in, &repairs);
    if (repairs.levelClamped)
        qCWarning(lcDevice) << "mouse: a DPI level above the highest level sent as the highest";
    if (repairs.activeStageOutOfRange || repairs.reportRateOutOfRange)
        qCWarning(lcDevice) << "mouse: active DPI stage" << in.activeStage << "or report rate"
                            << in.reportRateStage << "out of range, sent as 0";
    const WriteOutcome outcome =
        mouse::WriteParameterBlockFramed(CommandChannel(), block, values.slot);
    if (!outcome.ok()) LogFailure("parameter write", outcome);
    return outcome;
}

WriteOutcome CSkelmoraMouseDevice::WriteKeyTable(
    profiles::CBasicProfiledata*, const std::vector<profiles::KeyAssignmentPair>& keys) {
    return WriteButtonTable(0, keys);
}

WriteOutcome CSkelmoraMouseDevice::WriteCurrentKeyTable(profiles::CBasicProfiledata*) {
    return WriteButtonTable(0, keyList_);
}

WriteOutcome CSkelmoraMouseDevice::WriteButtonTable(
    int slot, const std::vector<profiles::KeyAssignmentPair>& keys) {
    if (!CommandChannel().IsOpened())
        return WriteOutcome::Failed("channel closed", hid::kResultReadFailed);
    // Without a key table read back there is no slot to write to.
    if (!memory_.complete) return WriteOutcome::Failed("ReadKeyTable", hid::kResultReadFailed);
    if (WriteOutcome check = mouse::CheckDeviceInfo(CommandChannel()); !check.ok()) {
        LogFailure("button table write", check);
        return check;
    }
    const mouse::ButtonTableImage image =
        mouse::BuildButtonTable(memory_.keyTable, memory_.Info().entries, map_, keys, MacroCount());
    const WriteOutcome outcome = mouse::WriteKeyTableFramed(CommandChannel(), image.table, slot);
    if (!outcome.ok()) LogFailure("button table write", outcome);
    return outcome;
}

std::vector<int> CSkelmoraMouseDevice::BuildMacroList() {
    return mouse::CollectUsedMacros(map_, profile_.ReadKeyList(), MacroCount());
}

WriteOutcome CSkelmoraMouseDevice::WriteMacros(const std::vector<int>& macros) {
    if (!CommandChannel().IsOpened())
        return WriteOutcome::Failed("channel closed", hid::kResultReadFailed);
    if (WriteOutcome check = mouse::CheckDeviceInfo(CommandChannel()); !check.ok()) {
        LogFailure("macro write", check);
        return check;
    }
    const QString folder = MacroFolder();
    if (macros.empty() || folder.isEmpty()) return WriteOutcome::Ok();  // nothing to send
    const macro_codec::MacroList config = macro_codec::ReadMacroConfig(ToPath(folder));
    if (config.entries.empty()) return WriteOutcome::Ok();
    const macro_codec::MacroImageResult image = macro_codec::BuildMacroImageFromFiles(
        ToPath(folder), config, macros, memory_.Info().macroCapacity);
    for (const std::string& note : image.notes)
        qCDebug(lcDevice) << "mouse macros:" << note.c_str();
    if (image.excess > 0) return WriteOutcome::TooLarge(static_cast<uint32_t>(image.excess));
    const WriteOutcome outcome = mouse::WriteMacroImageFramed(CommandChannel(), image.image);
    if (!outcome.ok()) LogFailure("macro write", outcome);
    return outcome;
}

WriteOutcome CSkelmoraMouseDevice::WriteShootPatterns() {
    if (!CommandChannel().IsOpened())
        return WriteOutcome::Failed("channel closed", hid::kResultReadFailed);
    if (WriteOutcome check = mouse::CheckDeviceInfo(CommandChannel()); !check.ok()) {
        LogFailure("shoot write", check);
        return check;
    }
    const QString folder = GetUserDataFolder();
    if (folder.isEmpty()) return WriteOutcome::Failed("ShootImage", hid::kResultWriteFailed);
    const shoot::ShootImage image = shoot::BuildImageFromFolder(ToPath(folder));
    if (!image.ok()) {
        qCWarning(lcDevice).noquote() << "mouse: recoil patterns not sent:" << image.error.c_str();
        return WriteOutcome::Failed("ShootImage", hid::kResultWriteFailed);
    }
    const WriteOutcome outcome = mouse::WriteShootImageFramed(CommandChannel(), image.bytes);
    if (!outcome.ok()) LogFailure("shoot write", outcome);
    return outcome;
}

// ---- Status and events ----

void CSkelmoraMouseDevice::RefreshStatus() {
    if (IsStatusRefreshPaused()) return;
    mouse::StatusBlock block{};
    statusOutcome_ = mouse::ReadStatusBlock(CommandChannel(), IsWireless(), block);
    if (!statusOutcome_.ok()) return;
    status_ = block;
    PublishStatus(block);
    if (QWidget* power = GetPowerItem()) {
        power->setProperty("battery", int{block[0]});
        power->setProperty("link", int{block[3]});
    }
}

void CSkelmoraMouseDevice::OnDeviceReport(uint16_t code) {
    if (!CommandChannel().IsOpened()) return;
    const mouse::MouseReport report = mouse::DecodeMouseReport(code);
    switch (report.kind) {
        case mouse::MouseReport::SlotAndStage:
            parameters_.block[mouse::kActiveStageByte] = static_cast<uint8_t>(report.stage);
            [[fallthrough]];
        case mouse::MouseReport::Slot:
            parameters_.activeSlot = static_cast<uint8_t>(report.slot);
            parameters_.block[0] = static_cast<uint8_t>(report.slot);
            break;
        case mouse::MouseReport::UnknownStage:
            qCWarning(lcDevice) << "mouse: report" << Qt::hex << code << "names DPI stage"
                                << report.stage << "which does not exist; ignored";
            return;
        case mouse::MouseReport::Ignored:
            qCDebug(lcDevice) << "mouse: event value" << Qt::hex << code << "ignored";
            return;
    }
    RefreshPage();
}

void CSkelmoraMouseDevice::OnReactiveTrigger() {
    if (GetLightSettingsCopy().mode != 6) return;
    WithEffectContext([this](light::EffectContext& context) {
        fade_.resize(kPreviewLeds, 0);
        mouse::StartReactive(context.leds, fade_, [] {
            return static_cast<uint8_t>(QRandomGenerator::global()->bounded(192u));
        });
    });
}

void CSkelmoraMouseDevice::ClassEffectA() {
    WithEffectContext([this](light::EffectContext& context) {
        mouse::WaveFrame(context.leds, context.settings, preview_);
    });
}

void CSkelmoraMouseDevice::ClassEffectB() {
    WithEffectContext([this](light::EffectContext& context) {
        mouse::RunFrame(context.leds, context.settings, preview_);
    });
}

void CSkelmoraMouseDevice::ClassEffectC() {
    WithEffectContext([this](light::EffectContext& context) {
        fade_.resize(kPreviewLeds, 0);
        mouse::ReactiveFrame(context.leds, fade_, context.settings);
    });
}

std::vector<uint8_t> CSkelmoraMouseDevice::FadeStates() const {
    std::lock_guard lock(LightLock());
    return fade_;
}
