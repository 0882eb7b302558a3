#pragma once
// The macro files of a device kind's user data folder, shared by the keyboard, the mouse and
// the macro editor. "macro.config" lists the macros ("MacroInfo": one {"MacroName", "Guid"}
// per macro, the position being the macro number); Guid + ".mac" holds each macro's
// {"MacroName", "Guid", "Events", "Version": 64}. Everything read is checked: a missing or
// broken file gives no macros or no events and says so in the notes. A Guid becomes a file
// name only when it is a plain name.
#include <json/value.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "devices/macro_image.h"
#include "profiles/json_file.h"

namespace macro_codec {

inline constexpr char kConfigFile[] = "macro.config";
inline constexpr char kEventsSuffix[] = ".mac";
inline constexpr int kVersion = 64;
inline constexpr std::size_t kMaxMacros = 50;
// Files taken in by import: size, events, and the event types the editor knows.
inline constexpr std::uintmax_t kMaxImportSize = 1024 * 1024;
inline constexpr std::size_t kMaxImportEvents = 10000;

struct MacroEntry {
    std::string name;
    std::string guid;
};

struct MacroList {
    std::vector<MacroEntry> entries;
    std::vector<std::string> notes;  // what was wrong with the file
};

// A name without a path separator, not "..", not starting with a dot, and not empty.
bool IsPlainName(const std::string& guid);

// "macro.config" in folder; missing, empty, not JSON or without a "MacroInfo" array: no macros.
MacroList ReadMacroConfig(const std::filesystem::path& folder);
profiles::WriteResult WriteMacroConfig(const std::filesystem::path& folder,
                                       const std::vector<MacroEntry>& entries);

// folder / guid + ".mac", or empty for a Guid that is not a plain name.
std::filesystem::path EventsFile(const std::filesystem::path& folder, const std::string& guid);

struct EventsRead {
    Json::Value events{Json::arrayValue};  // always an array
    bool ok = false;                       // the file was read and has an "Events" array
    std::string note;
};
EventsRead ReadMacroEvents(const std::filesystem::path& folder, const std::string& guid);

// {"MacroName", "Guid", "Events", "Version": 64}, replacing the file atomically.
profiles::WriteResult WriteMacroEvents(const std::filesystem::path& folder, const MacroEntry& macro,
                                       const Json::Value& events);

// Checks a file offered for import: at most 1 MiB, a JSON object whose "Events" is an array
// of at most 10,000 event objects with "Action" "down" or "up", "Button" 0..255, "Type" one
// of 1, 4, 5, 9, 10 and "Delay" a decimal string or an integer 0..65,535. Empty reason: good.
std::string CheckImportFile(const std::filesystem::path& path);

// Copies from to to byte for byte through a temporary file in to's folder and a rename, so a
// failed copy leaves to as it was. Empty reason on success.
std::string CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to);

// base, or base + "_N" (smallest N >= 2) when an entry already has that Guid.
std::string FreeGuid(const std::vector<MacroEntry>& entries, const std::string& base);

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
