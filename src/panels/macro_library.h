#pragma once
// The macros of one device kind as the editor changes them: the list of "macro.config" and
// the events files beside it. Every change is written at once (the list through a temporary
// file and a rename); a change that cannot be written is undone in memory and reported.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "devices/macro_files.h"
#include "profiles/records.h"

namespace profiles {
class CBasicProfiledata;
}

namespace macro_edit {

struct AddResult {
    int index = -1;  // -1: nothing added
    std::string name;
    std::string guid;
    std::string error;  // why nothing was added (empty at the 50-macro limit)
};

enum class RenameStatus { Renamed, Empty, Duplicate, NoMacro, WriteFailed };

class MacroLibrary {
  public:
    explicit MacroLibrary(std::filesystem::path folder = {});

    void SetFolder(std::filesystem::path folder) { folder_ = std::move(folder); }
    const std::filesystem::path& Folder() const { return folder_; }
    // Reads "macro.config"; its notes say what was wrong with it.
    const std::vector<std::string>& Load();

    const std::vector<macro_codec::MacroEntry>& Entries() const { return entries_; }
    std::vector<std::string> Names() const;
    int Count() const { return static_cast<int>(entries_.size()); }

    // A new macro at the end, named "macro_%d" (or name when given and free); its Guid a new
    // time-stamp name made unique in the list. Nothing at 50 macros.
    AddResult Add(const std::string& name = {});
    // Empty or white space: Empty; a name another macro has (without regard to case):
    // Duplicate.
    RenameStatus Rename(int index, const std::string& name);
    // Removes the events file and the entry (later macros move down).
    bool Delete(int index);
    // Checks the file, adds a macro and copies the file byte for byte as its events file; a
    // refused file or a failed copy adds nothing.
    AddResult Import(const std::filesystem::path& file);
    // Copies the macro's events file to path atomically; empty on success, else the reason.
    std::string Export(int index, const std::filesystem::path& path) const;

    macro_codec::EventsRead LoadEvents(int index) const;
    profiles::WriteResult SaveEvents(int index, const Json::Value& events) const;

    // The time-stamp source of new Guids (tests fix it).
    void SetGuidSource(std::string (*source)()) { guid_source_ = source; }

  private:
    bool WriteList();

    std::filesystem::path folder_;
    std::vector<macro_codec::MacroEntry> entries_;
    std::vector<std::string> notes_;
    std::string (*guid_source_)() = nullptr;
};

// "macro_%d" with the smallest k >= 1 that no name equals without regard to case.
std::string NextMacroName(const std::vector<std::string>& names);
// Equal without regard to (ASCII and Unicode) case.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);

// After macro d is deleted: an assignment of macro d (kinds 0x70, 0x71) gets its default
// back, one of a later macro its number − 1. True when anything changed.
bool FixKeyListAfterMacroDelete(std::vector<profiles::KeyAssignmentPair>& keys, int deleted);

// Whether an assignment of keys (kinds 0x70, 0x71) uses macro index.
bool KeyListUsesMacro(const std::vector<profiles::KeyAssignmentPair>& keys, int index);

// The same for every profile file in profiles (not the current one): each is loaded as the
// secondary element of data, fixed, and saved when it changed. Returns the files changed.
int FixProfilesAfterMacroDelete(profiles::CBasicProfiledata& data,
                                const std::vector<std::filesystem::path>& profiles, int deleted);

}  // namespace macro_edit
