#include "devices/keyboard/keyboard_files.h"

namespace keyboard {

std::optional<KeyPositions> ReadStoredKeyMap(const std::filesystem::path& file, int positions) {
    const profiles::DocumentReadResult read = profiles::JsonFile().ReadDocumentChecked(file);
    if (read.status != profiles::ReadStatus::Ok || !read.value.isObject()) return std::nullopt;
    const Json::Value& count = read.value["Positions"];
    const Json::Value& list = read.value["KeyMap"];
    if (!count.isInt() || count.asInt() != positions || !list.isArray() ||
        list.size() != static_cast<Json::ArrayIndex>(kKeyIndexCount))
        return std::nullopt;
    KeyPositions map;
    for (int key = 0; key < kKeyIndexCount; ++key) {
        const Json::Value& entry = list[static_cast<Json::ArrayIndex>(key)];
        if (!entry.isInt()) return std::nullopt;
        const int position = entry.asInt();
        if (position != kNoPosition && (position < 0 || position >= positions)) return std::nullopt;
        map[key] = position;
    }
    return map;
}

profiles::WriteResult WriteStoredKeyMap(const std::filesystem::path& file, const KeyPositions& map,
                                        int positions) {
    Json::Value document(Json::objectValue);
    document["Positions"] = positions;
    Json::Value& list = document["KeyMap"] = Json::Value(Json::arrayValue);
    for (int position : map) list.append(position);
    return profiles::JsonFile().WriteDocument(document, file);
}

}  // namespace keyboard
