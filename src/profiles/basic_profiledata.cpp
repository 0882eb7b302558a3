#include "profiles/basic_profiledata.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>

#include "profiles/json_access.h"
#include "profiles/profile_log.h"
#include "profiles/text_convert.h"

namespace profiles {

using json::Item;
using json::ItemForWrite;
using json::Member;
using json::MemberForWrite;
using json::ToBool;
using json::ToI32;
using json::ToU8;

namespace {

constexpr const char* kDevice = "Device";

const Json::Value& ElementOf(const Json::Value& document, std::int32_t index) {
    return Item(Member(document, kDevice), static_cast<Json::ArrayIndex>(index));
}

void SetElementOf(Json::Value& document, std::int32_t index, const Json::Value& element) {
    ItemForWrite(MemberForWrite(document, kDevice), static_cast<Json::ArrayIndex>(index)) = element;
}

std::vector<KeyAssignmentPair> KeyListOf(const Json::Value& element) {
    std::vector<KeyAssignmentPair> list;
    const Json::Value& keys = Member(element, "KeyList");
    if (!keys.isArray()) return list;
    list.reserve(keys.size());
    for (Json::ArrayIndex i = 0; i < keys.size(); ++i) {
        const auto key_index = static_cast<std::uint16_t>(i);
        const Json::Value& entry = keys[i];
        list.push_back({DecodeKeyAssignment(ToI32(Member(entry, "Assignment")), key_index),
                        DecodeKeyAssignment(ToI32(Member(entry, "DefaultAssignment")), key_index)});
    }
    return list;
}

void PutKeyList(Json::Value& element, const std::vector<KeyAssignmentPair>& list) {
    Json::Value& keys = MemberForWrite(element, "KeyList");
    for (std::size_t i = 0; i < list.size(); ++i) {
        Json::Value& entry = ItemForWrite(keys, static_cast<Json::ArrayIndex>(i));
        MemberForWrite(entry, "Assignment") = EncodeKeyAssignment(list[i].current);
    }
}

LightEffectStep StepOf(const Json::Value& entry) {
    LightEffectStep step;
    step.mode = ToU8(Member(entry, "LEDREGMode"));
    step.direction = ToU8(Member(entry, "LEDDirection"));
    step.brightness = ToU8(Member(entry, "LEDBrightness"));
    step.speed = ToU8(Member(entry, "LEDSpeed"));
    step.multicolour = ToU8(Member(entry, "LEDMultiColor"));
    step.red = ToU8(Member(entry, "red"));
    step.green = ToU8(Member(entry, "green"));
    step.blue = ToU8(Member(entry, "blue"));
    // A step cannot last less than nothing; a time past the 32-bit range lasts the longest.
    step.time = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(json::ToInteger(Member(entry, "Time")), 0, INT32_MAX));
    step.cycle = ToI32(Member(entry, "Cyle"));
    return step;
}

std::vector<LightEffectStep> StepsOf(const Json::Value& effect, const std::string& name) {
    std::vector<LightEffectStep> steps;
    const Json::Value& list = Member(effect, "LEDEffectList");
    if (!list.isArray()) {
        if (!effect.isNull())
            ProfileWarning("ReadCustomLightEffect: " + name + " has no step list");
        return steps;
    }
    const std::size_t count = std::min<std::size_t>(list.size(), kMaxLightEffectSteps);
    if (list.size() > kMaxLightEffectSteps)
        ProfileWarning("ReadCustomLightEffect: " + name + " has " + std::to_string(list.size()) +
                       " steps; the first " + std::to_string(kMaxLightEffectSteps) + " are read");
    steps.reserve(count);
    for (Json::ArrayIndex i = 0; i < count; ++i) steps.push_back(StepOf(list[i]));
    return steps;
}

}  // namespace

bool IsPlainEffectName(const std::string& guid) {
    return !guid.empty() && guid.front() != '.' &&
           guid.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

bool IsProfileDocument(const Json::Value& root) {
    if (!root.isObject()) return false;
    if (!root.isMember(kDevice)) return true;
    const Json::Value& elements = root[kDevice];
    if (!elements.isArray()) return false;
    for (const Json::Value& element : elements)
        if (!element.isNull() && !element.isObject()) return false;
    return true;
}

CBasicProfiledata::CBasicProfiledata() { file_.SetShapeCheck(&IsProfileDocument); }

void CBasicProfiledata::SetProfilePath(const std::filesystem::path& path) {
    if (!path.empty()) profile_path_ = path;
}

void CBasicProfiledata::SetDefaultPath(const std::filesystem::path& path) {
    if (!path.empty()) default_path_ = path;
}

bool CBasicProfiledata::ElementIndexValid() const {
    return element_index_ >= 0 && element_index_ <= kMaxElementIndex;
}

Json::Value& CBasicProfiledata::MutableElement() {
    if (!element_.isObject()) element_ = Json::Value(Json::objectValue);
    return element_;
}

Json::Value CBasicProfiledata::LoadInto(Json::Value& target, const std::filesystem::path& path) {
    last_load_write_ = WriteResult{};
    if (!ElementIndexValid()) {
        ProfileWarning("Load: element index " + std::to_string(element_index_) + " refused");
        target = Json::Value();
        last_load_write_ = WriteResult{WriteStatus::InvalidTarget, EINVAL};
        return target;
    }
    DocumentReadResult document = file_.ReadDocumentChecked(path);
    target = ElementOf(document.value, element_index_);
    // An element that is not an object holds no settings: it is replaced like a missing one,
    // and only an object is ever taken from the default file.
    if (!target.isObject()) {
        const Json::Value defaults = file_.ReadDocument(default_path_);
        const Json::Value& factory = ElementOf(defaults, element_index_);
        target = factory.isObject() ? factory : Json::Value();
        if (ContentUnknown(document.status)) {
            // Writing now would replace a file that could not even be read.
            ProfileWarning("Load: " + path.string() + " could not be read; not rewritten");
            last_load_write_ = WriteResult{WriteStatus::InvalidTarget, EIO};
        } else {
            SetElementOf(document.value, element_index_, target);
            last_load_write_ = file_.WriteDocument(document.value, path);
        }
    }
    return target;
}

Json::Value CBasicProfiledata::Load(const std::filesystem::path& path) {
    return LoadInto(element_, path);
}

Json::Value CBasicProfiledata::LoadSecondary(const std::filesystem::path& path) {
    return LoadInto(secondary_element_, path);
}

Json::Value CBasicProfiledata::LoadLightConfig(const std::filesystem::path& path) {
    light_document_ = file_.ReadDocument(path);
    light_document_folder_ = path.parent_path();
    return light_document_;
}

WriteResult CBasicProfiledata::Save() { return SaveElement(Json::Value(element_), profile_path_); }

WriteResult CBasicProfiledata::SaveElement(const Json::Value& value,
                                           const std::filesystem::path& path) {
    if (!ElementIndexValid()) {
        ProfileWarning("SaveElement: element index " + std::to_string(element_index_) + " refused");
        return WriteResult{WriteStatus::InvalidTarget, EINVAL};
    }
    DocumentReadResult document = file_.ReadDocumentChecked(path);
    if (ContentUnknown(document.status)) {
        ProfileWarning("SaveElement: " + path.string() + " could not be read; not rewritten");
        return WriteResult{WriteStatus::InvalidTarget, EIO};
    }
    SetElementOf(document.value, element_index_, value);
    return file_.WriteDocument(document.value, path);
}

WriteResult CBasicProfiledata::SaveSecondary(const std::filesystem::path& path) {
    return SaveElement(Json::Value(secondary_element_), path);
}

WriteResult CBasicProfiledata::SaveDocument(const Json::Value& value,
                                            const std::filesystem::path& path) {
    return file_.WriteDocument(value, path);
}

LightInfo CBasicProfiledata::ReadLightInfo() {
    const Json::Value& info = Member(element_, "LightInfo");
    if (!info.isObject()) {
        light_ = default_light_;
        return light_;
    }
    LightInfo light;
    light.mode = ToU8(Member(info, "SelectItem"));
    light.brightness = ToU8(Member(info, "Light"));
    light.speed = ToU8(Member(info, "Speed"));
    light.multicolour = ToU8(Member(info, "MultiColor"));
    light.red = ToU8(Member(info, "Red"));
    light.green = ToU8(Member(info, "Green"));
    light.blue = ToU8(Member(info, "Blue"));
    light.direction = ToU8(Member(info, "Fx"));
    light.light_mode_variant = ToU8(Member(info, "ZZCCLedMode"));
    light.custom_group = ToU8(Member(info, "CustomGroup"));
    light.previous_mode = ToU8(Member(info, "OldLedmode"));
    light_ = light;
    return light_;
}

void CBasicProfiledata::WriteLightInfo(const LightInfo& light) {
    light_ = light;
    Json::Value info(Json::objectValue);
    info["SelectItem"] = light.mode;
    info["Light"] = light.brightness;
    info["Speed"] = light.speed;
    info["MultiColor"] = light.multicolour;
    info["Red"] = light.red;
    info["Green"] = light.green;
    info["Blue"] = light.blue;
    info["Fx"] = light.direction;
    info["ZZCCLedMode"] = light.light_mode_variant;
    info["CustomGroup"] = light.custom_group;
    info["OldLedmode"] = light.previous_mode;
    MutableElement()["LightInfo"] = info;
}

AudioLightInfo CBasicProfiledata::ReadAudioLightInfo() {
    const Json::Value& info = Member(element_, "AudioLightInfo");
    AudioLightInfo audio;
    if (info.isObject()) {
        audio.audio_mode = ToU8(Member(info, "AudioMode"));
        audio.background_red = ToU8(Member(info, "BkColorR"));
        audio.background_green = ToU8(Member(info, "BkColorG"));
        audio.background_blue = ToU8(Member(info, "BkColorB"));
        audio.foreground_red = ToU8(Member(info, "FgColorR"));
        audio.foreground_green = ToU8(Member(info, "FgColorG"));
        audio.foreground_blue = ToU8(Member(info, "FgColorB"));
        audio.seven_colour = ToBool(Member(info, "7ColorFlags")) ? 1 : 0;
        audio.colour_type = ToBool(Member(info, "ColorTypeFlags")) ? 1 : 0;
    }
    audio_light_ = audio;
    return audio_light_;
}

void CBasicProfiledata::WriteAudioLightInfo(const AudioLightInfo& audio) {
    audio_light_ = audio;
    Json::Value info(Json::objectValue);
    info["AudioMode"] = audio.audio_mode;
    info["BkColorR"] = audio.background_red;
    info["BkColorG"] = audio.background_green;
    info["BkColorB"] = audio.background_blue;
    info["FgColorR"] = audio.foreground_red;
    info["FgColorG"] = audio.foreground_green;
    info["FgColorB"] = audio.foreground_blue;
    info["7ColorFlags"] = audio.seven_colour;
    info["ColorTypeFlags"] = audio.colour_type;
    MutableElement()["AudioLightInfo"] = info;
}

std::vector<LightInfo> CBasicProfiledata::ReadLightList() {
    std::vector<LightInfo> list;
    const Json::Value& entries = Member(element_, "LightList");
    if (entries.isArray()) {
        list.reserve(entries.size());
        for (const Json::Value& entry : entries) {
            LightInfo light;
            if (entry.isObject()) {
                light.mode = ToU8(Member(entry, "LEDREGMode"));
                light.brightness = ToU8(Member(entry, "LEDBrightness"));
                light.speed = ToU8(Member(entry, "LEDSpeed"));
                light.multicolour = ToBool(Member(entry, "LEDMultiColor")) ? 1 : 0;
                light.direction = ToBool(Member(entry, "LEDDirection")) ? 1 : 0;
                light.blue = ToU8(Member(entry, "blue"));
                light.green = ToU8(Member(entry, "green"));
                light.red = ToU8(Member(entry, "red"));
                light.reserved[2] = 1;
            }
            list.push_back(light);
        }
    }
    light_list_ = list;
    return light_list_;
}

std::vector<LightEffectStep> CBasicProfiledata::ReadCustomLightEffect() {
    std::vector<LightEffectStep> steps;
    const std::int32_t user_index = light_.mode - built_in_light_count_;
    if (!light_document_.isNull() && user_index >= 0 && ElementIndexValid()) {
        const Json::Value& row = Item(Member(light_document_, "LightInfo"),
                                      static_cast<Json::ArrayIndex>(element_index_));
        const std::string guid =
            json::ToString(Member(Item(row, static_cast<Json::ArrayIndex>(user_index)), "Guid"));
        // Without a Guid there is no effect file (rather than a file named ".light").
        if (!guid.empty() && !IsPlainEffectName(guid)) {
            ProfileWarning("ReadCustomLightEffect: Guid \"" + guid +
                           "\" is not a plain file name; ignored");
        } else if (!guid.empty() && !light_document_folder_.is_absolute()) {
            // A relative folder would depend on where the program was started.
            ProfileWarning("ReadCustomLightEffect: the light configuration's folder \"" +
                           light_document_folder_.string() + "\" is not absolute; ignored");
        } else if (!guid.empty()) {
            const std::filesystem::path file =
                light_document_folder_ / std::filesystem::path(guid + ".light");
            steps = StepsOf(file_.ReadDocument(file), file.string());
        }
    }
    light_effect_steps_ = steps;
    return light_effect_steps_;
}

std::vector<KeyAssignmentPair> CBasicProfiledata::ReadKeyList() {
    key_list_ = KeyListOf(element_);
    return key_list_;
}

std::vector<KeyAssignmentPair> CBasicProfiledata::ReadSecondaryKeyList() {
    secondary_key_list_ = KeyListOf(secondary_element_);
    return secondary_key_list_;
}

void CBasicProfiledata::WriteKeyList(const std::vector<KeyAssignmentPair>& list) {
    key_list_ = list;
    PutKeyList(MutableElement(), list);
}

void CBasicProfiledata::WriteSecondaryKeyList(const std::vector<KeyAssignmentPair>& list) {
    secondary_key_list_ = list;
    if (!secondary_element_.isObject()) secondary_element_ = Json::Value(Json::objectValue);
    PutKeyList(secondary_element_, list);
}

}  // namespace profiles
