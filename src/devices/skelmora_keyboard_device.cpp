#include "devices/skelmora_keyboard_device.h"

#include <QVariant>

#include "devices/device_folders.h"
#include "devices/keyboard/keyboard_custom_colours.h"
#include "devices/keyboard/keyboard_files.h"
#include "devices/keyboard/keyboard_key_table.h"
#include "devices/light_info_words.h"
#include "devices/light_mode_codes.h"
#include "devices/macro_files.h"
#include "platform/log_categories.h"
#include "profiles/json_access.h"
#include "profiles/profile_list.h"

CSkelmoraKeyboardDevice::CSkelmoraKeyboardDevice(QWidget* parent,
                                                 std::shared_ptr<hid::IHidBackend> backend)
    : CSkelmoraUSBDevice(parent, std::move(backend)) {
    SetKind(kKindKeyboard);
}

CSkelmoraKeyboardDevice::~CSkelmoraKeyboardDevice() { StopWorkerThreads(); }

void CSkelmoraKeyboardDevice::OnConnected() {
    ConnectSequence(true);
    RefreshPage();
    StartLightThread();
}

bool CSkelmoraKeyboardDevice::IsLinked() { return ReceiverReportsLink(); }

const char* CSkelmoraKeyboardDevice::LightThreadExitTrace() const { return "KB灯光线程设定退出"; }

device_events::EventClass CSkelmoraKeyboardDevice::EventClassOf(EventInterface) const {
    return device_events::EventClass::Keyboard;
}

const char* CSkelmoraKeyboardDevice::EventThreadExitTrace() const {
    return "MS 设备同步线程设定退出";
}

// ---- Connect ----

namespace {

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

}  // namespace

WriteOutcome CSkelmoraKeyboardDevice::ConnectSequence(bool readParameters) {
    WriteOutcome outcome = ReadDeviceTables();
    LoadProfile();
    LoadConfigLists();
    if (outcome.ok() && readParameters) outcome = ReadParametersFromDevice();
    return outcome;
}

WriteOutcome CSkelmoraKeyboardDevice::ReadDeviceTables() {
    keyboard::KeyboardMemory memory;
    const WriteOutcome outcome = keyboard::ReadBack(CommandChannel(), memory);
    memory_ = memory;
    if (!outcome.ok()) {
        if (outcome.step == "DeviceInfo") {
            qCWarning(lcDevice) << "keyboard: device information gives"
                                << memory.info[keyboard::kPositionInfoByte]
                                << "key positions (1 to 170 expected): no key map, no key writes";
        } else {
            LogFailure("read-back", outcome);
        }
        return outcome;
    }
    const QString mapFile = FolderFile(kKeyMapFile);
    const auto previous = mapFile.isEmpty()
                              ? std::nullopt
                              : keyboard::ReadStoredKeyMap(ToPath(mapFile), memory_.positions);
    positions_ = keyboard::BuildKeyPositions(memory_.keyTable, memory_.positions, previous);
    KeyMap map;
    for (int key = 0; key < keyboard::kKeyIndexCount; ++key) map[key] = positions_[key];
    SetKeyMap(map);
    if (!mapFile.isEmpty())
        keyboard::WriteStoredKeyMap(ToPath(mapFile), positions_, memory_.positions);
    return outcome;
}

WriteOutcome CSkelmoraKeyboardDevice::ReadParametersFromDevice() {
    keyboard::ParameterRead read;
    const WriteOutcome outcome = keyboard::ReadParameterRecord(CommandChannel(), read);
    if (!outcome.ok()) {
        LogFailure("parameter read", outcome);
        return outcome;
    }
    parameters_ = read;
    const keyboard::DecodedParameters decoded =
        keyboard::DecodeParameterRecord(read.record, light_, stages_, effectCodes_);
    if (decoded.speedClamped || decoded.brightnessClamped)
        qCWarning(lcDevice) << "keyboard: brightness" << read.record.bytes[2] << "or speed byte"
                            << read.record.bytes[3] << "above 4 read back, clamped";
    if (decoded.unknownCode)
        qCWarning(lcDevice) << "keyboard: unknown effect code" << read.record.bytes[1]
                            << "read back, the mode is kept";
    stages_ = decoded.stages;
    profile_.WriteSystemStages(stages_);
    profile_.WriteLightInfo(decoded.light);
    profile_.Save();
    ShowLightOnPage(decoded.light);
    return outcome;
}

// ---- Profile ----

QString CSkelmoraKeyboardDevice::FolderFile(const char* name) const {
    const QString folder = GetUserDataFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1String(name);
}

void CSkelmoraKeyboardDevice::BuildProfilePaths() { SetProfilePaths(profile_); }

int CSkelmoraKeyboardDevice::LoadProfile() {
    BuildProfilePaths();
    profile_.SetDefaultPath(ToPath(GetDefaultProfileFile()));
    profile_.SetElementIndex(0);
    profile_.Load(profile_.GetProfilePath());
    keyList_ = profile_.ReadKeyList();
    ApplyProfileLight();
    stages_ = profile_.ReadSystemStages();
    std::vector<profiles::LightColorEntry> colours =
        profile_.ReadCustomLightColors(profile_.GetCustomLightGroup(), keyboard::kKeyIndexCount);
    {
        std::lock_guard lock(LightLock());
        customColours_ = std::move(colours);
    }
    return 1;
}

void CSkelmoraKeyboardDevice::ApplyProfileLight() {
    const profiles::LightInfo light = profile_.ReadLightInfo();
    const profiles::AudioLightInfo audioLight = profile_.ReadAudioLightInfo();
    SetAudioLightInfo(audioLight);
    const std::array<int, 3> audio = light::PackAudioLight(audioLight);
    CSkelmoraUSBDevice::SetLightSource(audio[0], audio[1], audio[2]);
    ShowLightOnPage(light);
    profile_.ReadLightList();
    LoadCustomLightEffect(profile_);
}

void CSkelmoraKeyboardDevice::ReloadCustomLightEffect() { LoadCustomLightEffect(profile_); }

void CSkelmoraKeyboardDevice::ShowLightOnPage(const profiles::LightInfo& light) {
    light_ = light;
    light::LightSettings settings = light::WithLightInfo(GetLightSettingsCopy(), light);
    settings.brightness = std::min<uint8_t>(light.brightness, keyboard::kMaxLevel);
    settings.speed = std::min<uint8_t>(light.speed, keyboard::kMaxLevel);
    // The device's copy only: the profile already holds the record.
    // The mode a game effect returns to is the device's own until the effect ends: a profile
    // loaded meanwhile does not replace it.
    settings.extra[light::kOldModeExtra] = GetLightSettingsCopy().extra[light::kOldModeExtra];
    CSkelmoraUSBDevice::SetLightSettings(light::ToWords(settings));
    ShowLightOnPanel();
}

void CSkelmoraKeyboardDevice::SetLightSettings(const std::array<uint32_t, 4>& words) {
    CSkelmoraUSBDevice::SetLightSettings(words);
    light_ = light::ToLightInfo(light::FromWords(words));
    profile_.WriteLightInfo(light_);
}

int CSkelmoraKeyboardDevice::LoadLightSettings() {
    ShowLightOnPage(profile_.ReadLightInfo());
    return 1;
}

void CSkelmoraKeyboardDevice::SetLightSource(int first, int second, int third) {
    CSkelmoraUSBDevice::SetLightSource(first, second, third);
    const profiles::AudioLightInfo audioLight = light::UnpackAudioLight({first, second, third});
    SetAudioLightInfo(audioLight);
    profile_.WriteAudioLightInfo(audioLight);
}

void CSkelmoraKeyboardDevice::LoadConfigLists() {
    namespace json = profiles::json;
    const QString macroFolder = GetUserDataFolder();
    macroNames_.clear();
    if (!macroFolder.isEmpty()) {
        const macro_codec::MacroList macros = macro_codec::ReadMacroConfig(ToPath(macroFolder));
        for (const auto& entry : macros.entries) macroNames_.push_back(entry.name);
    }
    const auto model = static_cast<Json::ArrayIndex>(std::max(0, GetModelIndex()));
    const Json::Value lights = profiles::JsonFile().ReadDocument(
        ToPath(GetDefaultDataFolder() + QStringLiteral("default_light.json")));
    effectNames_.clear();
    effectVisible_.clear();
    std::vector<std::optional<int>> codes;
    const Json::Value& row = json::Item(json::Member(lights, "DefaultLightName"), model);
    for (Json::ArrayIndex i = 0; row.isArray() && i < row.size(); ++i) {
        effectNames_.push_back(json::ToString(json::Member(row[i], "LightName")));
        effectVisible_.push_back(json::ToBool(json::Member(row[i], "visible")));
        codes.push_back(light::LightModeCode(json::Member(row[i], "value")));
    }
    SetEffectCodes(light::CodesWithFallback(codes));
    areaEffectNames_.clear();
    const Json::Value& area = json::Item(json::Member(lights, "AreaLightName"), model);
    for (Json::ArrayIndex i = 0; area.isArray() && i < area.size(); ++i)
        areaEffectNames_.push_back(json::ToString(json::Member(area[i], "LightName")));
    userEffectNames_.clear();
    const Json::Value& user =
        json::Item(json::Member(profile_.LightDocument(), "LightInfo"), model);
    for (Json::ArrayIndex i = 0; user.isArray() && i < user.size(); ++i)
        userEffectNames_.push_back(json::ToString(json::Member(user[i], "LightName")));
}

void CSkelmoraKeyboardDevice::SaveProfile() { profile_.Save(); }

// ---- Writes ----

int CSkelmoraKeyboardDevice::WriteParameters(const ParameterWrite& values) {
    return WriteParameterRecord(values.slot).code;
}

WriteOutcome CSkelmoraKeyboardDevice::WriteParameterRecord(int slot) {
    if (slot < 0 || slot > 255) return WriteOutcome::Failed("slot", hid::kResultReadFailed);
    const keyboard::KeyboardParameterRecord record =
        keyboard::EncodeParameterRecord(static_cast<uint8_t>(slot), profile_.ReadLightInfo(),
                                        profile_.ReadSystemStages(), effectCodes_);
    const WriteOutcome outcome =
        keyboard::WriteParameterRecord(CommandChannel(), record, static_cast<uint8_t>(slot));
    if (outcome.ok()) {
        parameters_.record = record;
    } else {
        LogFailure("parameter write", outcome);
    }
    return outcome;
}

std::vector<int> CSkelmoraKeyboardDevice::BuildMacroList() {
    const QString folder = GetUserDataFolder();
    const int macroCount =
        folder.isEmpty()
            ? 0
            : static_cast<int>(macro_codec::ReadMacroConfig(ToPath(folder)).entries.size());
    return keyboard::BuildMacroList(positions_, memory_.positions, profile_.ReadKeyList(),
                                    macroCount);
}

WriteOutcome CSkelmoraKeyboardDevice::WriteKeyTable(
    profiles::CBasicProfiledata*, const std::vector<profiles::KeyAssignmentPair>& keys) {
    return WriteKeyTableOf(keys, true);
}

WriteOutcome CSkelmoraKeyboardDevice::WriteCurrentKeyTable(profiles::CBasicProfiledata* profile) {
    return WriteKeyTableOf(profile ? profile->ReadKeyList() : profile_.ReadKeyList(), false);
}

WriteOutcome CSkelmoraKeyboardDevice::WriteKeyTableOf(
    const std::vector<profiles::KeyAssignmentPair>& keys, bool withMacros) {
    // Without the factory table of a complete read-back there is nothing to start from.
    if (!memory_.complete) return WriteOutcome::Failed("ReadKeyTable", hid::kResultReadFailed);
    const QString folder = GetUserDataFolder();
    const macro_codec::MacroList config =
        folder.isEmpty() ? macro_codec::MacroList{} : macro_codec::ReadMacroConfig(ToPath(folder));
    const keyboard::KeyTableImage table = keyboard::BuildKeyTable(
        memory_.keyTable, positions_, keys, static_cast<int>(config.entries.size()));
    // A key table whose macro numbers point past the uploaded image would play the wrong
    // macro: the image is checked before anything is sent.
    macro_codec::MacroImageResult image;
    if (!table.macros.empty()) {
        image = macro_codec::BuildMacroImageFromFiles(ToPath(folder), config, table.macros,
                                                      memory_.MacroCapacity());
        for (const std::string& note : image.notes)
            qCDebug(lcDevice) << "keyboard macros:" << note.c_str();
        if (image.excess > 0) return WriteOutcome::TooLarge(static_cast<uint32_t>(image.excess));
    }
    WriteOutcome outcome = keyboard::WriteKeyTableFramed(CommandChannel(), table.table);
    if (!outcome.ok()) {
        LogFailure("key table write", outcome);
        return outcome;
    }
    lastMacros_ = table.macros;
    if (withMacros && !table.macros.empty()) {
        outcome = keyboard::WriteMacroImageFramed(CommandChannel(), image.image);
        if (!outcome.ok()) LogFailure("macro write", outcome);
    }
    return outcome;
}

WriteOutcome CSkelmoraKeyboardDevice::WriteMacros(const std::vector<int>& macros) {
    if (macros.empty()) return WriteOutcome::Ok();  // nothing in use, nothing to send
    const QString folder = GetUserDataFolder();
    if (folder.isEmpty()) return WriteOutcome::Failed("macro folder", hid::kResultReadFailed);
    const macro_codec::MacroList config = macro_codec::ReadMacroConfig(ToPath(folder));
    const macro_codec::MacroImageResult image = macro_codec::BuildMacroImageFromFiles(
        ToPath(folder), config, macros, memory_.MacroCapacity());
    for (const std::string& note : image.notes)
        qCDebug(lcDevice) << "keyboard macros:" << note.c_str();
    if (image.excess > 0) return WriteOutcome::TooLarge(static_cast<uint32_t>(image.excess));
    const WriteOutcome outcome = keyboard::WriteMacroImageFramed(CommandChannel(), image.image);
    if (!outcome.ok()) LogFailure("macro write", outcome);
    return outcome;
}

WriteOutcome CSkelmoraKeyboardDevice::WriteCustomColours(
    const std::vector<profiles::LightColorEntry>& colours) {
    if (CurrentEffectCode() != keyboard::kCustomColourCode)
        return WriteOutcome::Failed("not the custom mode", hid::kResultReadFailed);
    {
        std::lock_guard lock(LightLock());
        customColours_ = colours;
    }
    profile_.WriteCustomLightColors(colours, profile_.GetCustomLightGroup());
    profile_.Save();
    const uint32_t now = NowMs();
    if (customPaused_ && static_cast<int32_t>(customPauseUntil_ - now) > 0)
        return WriteOutcome::Failed("paused", hid::kResultReadFailed);
    customPaused_ = false;
    const keyboard::BrightMask mask =
        keyboard::BuildBrightMask(positions_, memory_.positions, colours);
    for (int key : mask.leftOutKeys)
        qCDebug(lcDevice) << "keyboard: key" << key << "has no bit in the bright mask, left out";
    const WriteOutcome outcome = keyboard::WriteBrightMask(CommandChannel(), mask.bytes);
    if (!outcome.ok()) {
        LogFailure("custom colour write", outcome);
        customPauseUntil_ = now + kFramePauseMs;
        customPaused_ = true;
    }
    return outcome;
}

// ---- Status and events ----

void CSkelmoraKeyboardDevice::RefreshStatus() {
    if (IsStatusRefreshPaused()) return;
    keyboard::StatusBlock block{};
    statusOutcome_ = keyboard::ReadStatusBlock(CommandChannel(), IsWireless(), block);
    if (!statusOutcome_.ok()) return;
    status_ = block;
    PublishStatus(block);
    emit StatusMessage(0xD01, keyboard::StatusMessageValue(block));
}

void CSkelmoraKeyboardDevice::OnDeviceEvent() {
    if (ReadParametersFromDevice().ok()) RefreshPage();
}

void CSkelmoraKeyboardDevice::OnDeviceReport(uint16_t code) {
    const keyboard::KeyboardEvent event = keyboard::DecodeKeyboardEvent(code);
    switch (event.kind) {
        case keyboard::KeyboardEvent::Counted:
            countedEvents_ =
                countedEvents_ + 1 >= keyboard::kCountedEventWrap ? 0 : countedEvents_ + 1;
            break;
        case keyboard::KeyboardEvent::SwitchProfile:
            parameters_.activeProfile = static_cast<uint8_t>(event.profile);
            secondEventValue_ = event.second;
            SwitchToListedProfile(event.profile);
            break;
        default:
            qCDebug(lcDevice) << "keyboard: event value" << Qt::hex << code << "ignored";
            break;
    }
}

// The keyboard switched itself: the page follows when the profile list has that entry, and
// nothing is written back.
void CSkelmoraKeyboardDevice::SwitchToListedProfile(int index) {
    const QString folder = GetUserDataFolder();
    if (folder.isEmpty()) return;
    profiles::CProfileList list(ToPath(folder));
    const auto identifier = list.Peek() ? list.IdentifierAt(index) : std::nullopt;
    if (!identifier) {
        qCDebug(lcDevice) << "keyboard: device profile" << index << "is not in the profile list";
        return;
    }
    list.Select(index);
    SetProfileBaseName(QString::fromStdString(*identifier));
    LoadProfile();
    RefreshPage();
}
