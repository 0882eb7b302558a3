#pragma once
// The macro files of a device kind's profile folder: "macro.config" lists the macros
// ("MacroInfo": one {"MacroName", "Guid"} per macro, the position being the macro number), and
// Guid + ".mac" holds each macro's "Events". Everything read is checked: a missing or broken
// file gives no macros or no events, and says so in the notes.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "devices/macro_image.h"

namespace macro_codec {

struct MacroEntry {
    std::string name;
    std::string guid;
};

struct MacroList {
    std::vector<MacroEntry> entries;
    std::vector<std::string> notes;  // what was wrong with the file
};

// "macro.config" in folder; missing, empty, not JSON or without a "MacroInfo" array: no macros.
MacroList ReadMacroConfig(const std::filesystem::path& folder);

struct MacroImageResult {
    std::vector<uint8_t> image;  // empty when nothing is to be sent
    uint64_t size = 0;
    uint64_t excess = 0;  // > 0: does not fit, image empty
    std::vector<std::string> notes;
};

// The image of macros (numbers into config.entries, in upload order), checked against capacity
// from the event counts before a single event is encoded. A number outside the list, a missing
// or unparseable macro file or a Guid that is not a plain file name gives that macro no events.
MacroImageResult BuildMacroImageFromFiles(const std::filesystem::path& folder,
                                          const MacroList& config, const std::vector<int>& macros,
                                          uint64_t capacity);

}  // namespace macro_codec
