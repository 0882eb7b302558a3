#include "devices/keyboard/macro_files.h"

#include "devices/macro_event_codec.h"
#include "profiles/json_file.h"

namespace keyboard {
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
        macro_files::EventsRead read = macro_files::ReadMacroEvents(folder, guid);
        if (!read.ok) {
            result.notes.push_back("macro " + std::to_string(number) + ": " + read.note);
            continue;
        }
        const Json::Value* list = &read.events;
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

}  // namespace keyboard
