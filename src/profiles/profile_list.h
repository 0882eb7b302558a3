#pragma once
// CProfileList: a device's list of profiles, "ProfileList.ini" in its user data folder (a JSON
// document despite its extension):
//   {"profileselect": N, "profilelist": [{"profilename", "profileUUID", "profileislink",
//    "profilelinkmame"}, ...]}
// Each profile lives in folder + identifier + ".Json" and carries its own "profilename" and
// "profileUUID" at the top level, kept equal to its list entry.
//
// The list file is read afresh by every operation and written back after each change. The
// index an operation takes is the entry the user chose (the combo's selection); the active
// entry ("profileselect") is the one the device uses, and only Select, deleting the active
// entry and a damaged list move it.
//
// An identifier becomes a file name, so only a plain name (IsPlainIdentifier) is ever used as
// one: an entry with any other identifier stays listed but its file is never opened, written
// or deleted, and a damaged list cannot reach files outside the folder.
#include <json/value.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/json_file.h"

namespace profiles {

inline constexpr char kProfileListFile[] = "ProfileList.ini";
inline constexpr char kProfileFileExtension[] = ".Json";
inline constexpr int kMaxProfiles = 50;
inline constexpr std::size_t kMaxIdentifierBytes = 200;

// Non-empty, at most kMaxIdentifierBytes bytes, no "/", no "\\", no leading dot (so neither
// "." nor ".."), no control characters.
bool IsPlainIdentifier(std::string_view identifier);

struct ProfileEntry {
    std::string name;
    std::string identifier;
    bool isLink = false;
    std::string linkName;
    // A plain identifier that no earlier entry uses: the entry's file may be touched.
    bool usable = false;
};

enum class ListLoad {
    Loaded,   // the list file was read as it stands
    Created,  // missing, empty or without entries: started with "profile1"
    Rebuilt,  // could not be read or had the wrong shape: kept aside (KeepUnreadableFile), rebuilt
};

enum class RenameResult : int { Duplicate = 0, Renamed = 1, Blank = 2 };

struct DeleteResult {
    bool done = false;
    int comboSelection = -1;     // where the user's selection moves: i - 1, or 0
    bool activeChanged = false;  // the active entry was deleted: the device must switch
};

enum class FileStatus {
    Ok,
    Refused,      // the list or the index does not allow it (full, last profile, bad identifier)
    Unreadable,   // the profile (or default) file could not be read as a JSON object
    WriteFailed,  // a file could not be written
};

struct ProfileFileResult {
    FileStatus status = FileStatus::Ok;
    int index = -1;  // the new entry, for add, copy and import
    bool ok() const { return status == FileStatus::Ok; }
};

// Case-insensitive comparison of profile names and program names.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

class CProfileList {
  public:
    using IdentifierSource = std::function<std::string()>;

    // legacyProfile: the file the device kept its single profile in before it had a list (kind
    // name + ".Json"); when the list is first created and it exists, "profile1" starts with a
    // copy of its content. It is left untouched.
    explicit CProfileList(std::filesystem::path folder, std::filesystem::path legacyProfile = {});

    // New identifiers come from here (the time-stamp name by default).
    void SetIdentifierSource(IdentifierSource source) { newIdentifier_ = std::move(source); }

    // Reads the list, creating or rebuilding it when needed, and writes each entry's name and
    // identifier into its profile file (a missing one is created holding only those keys).
    ListLoad Load();
    // Reads the list without writing anything; false when there is no readable list.
    bool Peek();

    const std::filesystem::path& Folder() const { return folder_; }
    std::filesystem::path ListPath() const { return folder_ / kProfileListFile; }
    const std::vector<ProfileEntry>& Entries() const { return entries_; }
    int Count() const { return static_cast<int>(entries_.size()); }
    // "profileselect"; a value outside the list counts as 0.
    int Active() const { return active_; }
    // The entry's profile file, or nullopt when its identifier is not usable.
    std::optional<std::filesystem::path> ProfilePath(int index) const;
    // The identifier of a usable entry.
    std::optional<std::string> IdentifierAt(int index) const;
    // The entry that links program (case-insensitive), if any.
    std::optional<int> FindLinked(std::string_view program) const;
    bool AnyLinked() const;

    // "profileselect" := index.
    bool Select(int index);
    // "profile%d", the first free number; nothing when kMaxProfiles entries exist.
    ProfileFileResult Add();
    DeleteResult Delete(int index);
    // "%s copy", repeated until free.
    ProfileFileResult Copy(int index);
    // document: a checked import (CheckImportDocument); "(%d)" from 1 while the name is taken.
    ProfileFileResult Import(const Json::Value& document);
    // Writes entry index's document to target (temporary file and rename).
    ProfileFileResult Export(int index, const std::filesystem::path& target);
    // The name is stored as typed.
    RenameResult Rename(int index, const std::string& name);
    // The default profile with entry index's name and identifier; keepHeadsetEqualisers keeps
    // the custom equalisers of the device's element.
    ProfileFileResult Reset(int index, const std::filesystem::path& defaultProfile,
                            bool keepHeadsetEqualisers);
    // Links entry index to program (an empty name unlinks it); a link to the same program held
    // by another entry moves here.
    bool Link(int index, const std::string& program);

  private:
    bool Refresh();
    void Parse(const Json::Value& document);
    Json::Value ToDocument() const;
    bool WriteList();
    ProfileEntry NewEntry(std::string name);
    std::string FreeIdentifier();
    bool NameTaken(std::string_view name, int except = -1) const;
    bool InRange(int index) const { return index >= 0 && index < Count(); }
    ProfileFileResult Append(std::string name, Json::Value content);
    void CreateFresh();
    void RebuildFromFolder();
    void SyncProfileFiles();
    void MarkUsable();

    std::filesystem::path folder_;
    std::filesystem::path legacyProfile_;
    IdentifierSource newIdentifier_;
    std::vector<ProfileEntry> entries_;
    Json::Value extraKeys_;  // other top-level keys of the list, written back unchanged
    int active_ = 0;
};

}  // namespace profiles
