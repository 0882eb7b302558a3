#include "devices/macro_files.h"

#include "devices/macro_event_codec.h"
#include "profiles/json_file.h"

namespace macro_codec {
namespace {

bool PlainFileName(const std::string& guid) {
    return !guid.empty() && guid.find('/') == std::string::npos &&
           guid.find('\\') == std::string::npos && guid != "." && guid != "..";
}

}  // namespace

MacroList ReadMacroConfig(const std::filesystem::path& folder) {
    MacroList list;
    const profiles::DocumentReadResult read =
        profiles::JsonFile().ReadDocumentChecked(folder / "macro.config");
    if (read.status != profiles::ReadStatus::Ok) {
        list.notes.push_back("macro.config not read: no macros");
        return list;
    }
    const Json::Value& info = read.value.isObject() ? read.value["MacroInfo"] : Json::Value();
    if (!info.isArray()) {
        list.notes.push_back("macro.config has no MacroInfo array: no macros");
        return list;
    }
    for (Json::ArrayIndex i = 0; i < info.size(); ++i) {
        const Json::Value& entry = info[i];
        MacroEntry macro;
        if (entry.isObject()) {
            if (entry["MacroName"].isString()) macro.name = entry["MacroName"].asString();
            if (entry["Guid"].isString()) macro.guid = entry["Guid"].asString();
        }
        list.entries.push_back(std::move(macro));
    }
    return list;
}

MacroImageResult BuildMacroImageFromFiles(const std::filesystem::path& folder,
                                          const MacroList& config, const std::vector<int>& macros,
                                          uint64_t capacity) {
    MacroImageResult result;
    std::vector<Json::Value> events(macros.size());
    std::vector<uint64_t> counts(macros.size(), 0);
    for (size_t i = 0; i < macros.size(); ++i) {
        const int number = macros[i];
        if (number < 0 || number >= static_cast<int>(config.entries.size())) {
            result.notes.push_back("macro " + std::to_string(number) + " is not listed");
            continue;
        }
        const std::string& guid = config.entries[static_cast<size_t>(number)].guid;
        if (!PlainFileName(guid)) {
            result.notes.push_back("macro " + std::to_string(number) + " has no usable Guid");
            continue;
        }
        profiles::DocumentReadResult read =
            profiles::JsonFile().ReadDocumentChecked(folder / (guid + ".mac"));
        const Json::Value* list = read.status == profiles::ReadStatus::Ok && read.value.isObject()
                                      ? read.value.find("Events", "Events" + 6)
                                      : nullptr;
        if (!list || !list->isArray()) {
            result.notes.push_back("macro file " + guid + ".mac missing or unreadable: no events");
            continue;
        }
        events[i] = *list;
        counts[i] = list->size();
    }
    result.size = MacroImageSize(counts);
    result.excess = MacroImageExcess(result.size, capacity);
    if (result.excess > 0) return result;

    std::vector<std::vector<DeviceEvent>> encoded(macros.size());
    int repaired = 0;
    for (size_t i = 0; i < macros.size(); ++i) {
        encoded[i].reserve(counts[i]);
        for (const Json::Value& event : events[i]) {
            macro_codec::EventIssues issues;
            encoded[i].push_back(
                macro_codec::EncodeDeviceEvent(macro_codec::ReadMacroEvent(event, &issues)));
            if (issues.Any()) ++repaired;
        }
    }
    if (repaired > 0)
        result.notes.push_back(std::to_string(repaired) +
                               " macro events repaired (delay or fields)");
    result.image = BuildMacroImage(encoded, capacity);
    return result;
}

}  // namespace macro_codec
