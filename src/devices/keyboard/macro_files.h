#pragma once
// The keyboard's macro image built from the macro files of its user data folder.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "devices/keyboard/keyboard_macro_image.h"
#include "devices/macro_files.h"

namespace keyboard {

// The files themselves are read by devices/macro_files (shared with the mouse and the editor).
using macro_files::MacroEntry;
using macro_files::MacroList;
using macro_files::ReadMacroConfig;

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

}  // namespace keyboard
