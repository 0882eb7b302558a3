#include "profiles/audio_style_set.h"

#include <algorithm>

#include "profiles/json_file.h"

namespace profiles {

namespace {

constexpr const char* kInfo = "AudioLightInfo";
constexpr const char* kDevice = "Device";
constexpr std::array<const char*, 3> kChannelKeys{"nStyleR", "nStyleG", "nStyleB"};
constexpr std::array<const char*, kAudioStyles> kDefaultNames{"第一组", "第二组", "第三组",
                                                              "第四组"};

std::string NameKey(int style) { return "nStyleName" + std::to_string(style + 1); }
std::string ColourKey(int channel, int style) {
    return kChannelKeys[static_cast<size_t>(channel)] + std::to_string(style);
}

// An integral number's value, clamped to lo..hi; anything else reads fallback.
int IntIn(const Json::Value& value, int lo, int hi, int fallback) {
    if (value.isBool() || !value.isNumeric()) return fallback;
    const double number = value.asDouble();
    if (number != number) return fallback;  // NaN
    return static_cast<int>(std::clamp(number, static_cast<double>(lo), static_cast<double>(hi)));
}

bool HasDeviceObject(const Json::Value& root) {
    return root.isObject() && root.isMember(kDevice) && root[kDevice].isObject();
}

}  // namespace

AudioStyleSet ReadAudioStyleSet(const Json::Value& device) {
    AudioStyleSet set;
    if (!device.isObject() || !device.isMember(kInfo) || !device[kInfo].isObject()) return set;
    const Json::Value& info = device[kInfo];
    // A selected style out of range is no style: the first.
    const Json::Value& selected = info["nAudioStyle"];
    if (selected.isIntegral() && !selected.isBool() && selected.asLargestInt() >= 0 &&
        selected.asLargestInt() < kAudioStyles)
        set.selected = static_cast<uint8_t>(selected.asInt());
    for (int style = 0; style < kAudioStyles; ++style) {
        const Json::Value& name = info[NameKey(style)];
        set.names[static_cast<size_t>(style)] = name.isString() ? name.asString() : std::string();
        for (int channel = 0; channel < 3; ++channel)
            set.colours[static_cast<size_t>(style)][static_cast<size_t>(channel)] =
                static_cast<uint8_t>(
                    IntIn(info[ColourKey(channel, style)], 0, kStyleChannelTop, 0));
    }
    return set;
}

void WriteAudioStyleSet(const AudioStyleSet& set, Json::Value& device) {
    if (!device.isObject()) device = Json::Value(Json::objectValue);
    Json::Value& info = device[kInfo];
    if (!info.isObject()) info = Json::Value(Json::objectValue);
    info["nAudioStyle"] = std::min<int>(set.selected, kAudioStyles - 1);
    for (int style = 0; style < kAudioStyles; ++style) {
        info[NameKey(style)] = set.names[static_cast<size_t>(style)];
        for (int channel = 0; channel < 3; ++channel)
            info[ColourKey(channel, style)] =
                std::min<int>(set.colours[static_cast<size_t>(style)][static_cast<size_t>(channel)],
                              kStyleChannelTop);
    }
}

std::string ShownStyleName(const std::string& name) {
    // Counts characters, not bytes: a UTF-8 continuation byte (10xxxxxx) starts none.
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if ((static_cast<unsigned char>(name[i]) & 0xC0) == 0x80) continue;
        if (characters == kShownStyleNameLength) return name.substr(0, i) + "…";
        ++characters;
    }
    return name;
}

std::string DefaultStyleName(int style) {
    return style >= 0 && style < kAudioStyles ? kDefaultNames[static_cast<size_t>(style)] : "";
}

AudioFileLoad ResetAudioFile(const AudioFilePaths& paths) {
    AudioFileLoad load;
    JsonFile file;
    const Json::Value shipped = file.ReadDocument(paths.shipped);
    load.device = shipped.isObject() ? shipped[kDevice] : Json::Value();
    if (!HasDeviceObject(shipped)) {
        // Without a usable default there is nothing to write: the user's file stays as it is.
        load.written = false;
        return load;
    }
    JsonFile writer;
    writer.SetShapeCheck(HasDeviceObject);
    load.replaced = true;
    load.written = writer.WriteDocument(shipped, paths.user).ok();
    return load;
}

AudioFileLoad LoadAudioFile(const AudioFilePaths& paths) {
    JsonFile file;
    file.SetShapeCheck(HasDeviceObject);
    const DocumentReadResult user = file.ReadDocumentChecked(paths.user);
    if (user.status == ReadStatus::Ok && HasDeviceObject(user.value)) {
        AudioFileLoad load;
        load.device = user.value[kDevice];
        return load;
    }
    return ResetAudioFile(paths);
}

bool SaveAudioFile(const AudioFilePaths& paths, const Json::Value& device) {
    JsonFile file;
    file.SetShapeCheck(HasDeviceObject);
    Json::Value root = file.ReadDocument(paths.user);
    if (!root.isObject()) root = Json::Value(Json::objectValue);
    root[kDevice] = device;
    return file.WriteDocument(root, paths.user).ok();
}

}  // namespace profiles
