#include "profiles/profile_list.h"

#include <QString>
#include <algorithm>
#include <cstdio>
#include <set>
#include <system_error>

#include "profiles/profile_log.h"
#include "profiles/text_convert.h"

namespace profiles {

namespace {

constexpr char kSelectKey[] = "profileselect";
constexpr char kListKey[] = "profilelist";
constexpr char kNameKey[] = "profilename";
constexpr char kIdentifierKey[] = "profileUUID";
constexpr char kIsLinkKey[] = "profileislink";
constexpr char kLinkNameKey[] = "profilelinkmame";

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsBlank(std::string_view text) { return std::all_of(text.begin(), text.end(), IsWhiteSpace); }

std::string StringOr(const Json::Value& value, const char* key) {
    const Json::Value& v = value[key];
    return v.isString() ? v.asString() : std::string();
}

// Reads a profile file; Ok with an object, Missing, or another status for a file whose content
// is unknown or not an object.
DocumentReadResult ReadProfile(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error))
        return {Json::Value(), ReadStatus::Unreadable};
    DocumentReadResult read = JsonFile().ReadDocumentChecked(path);
    if (read.status == ReadStatus::Ok && !read.value.isObject())
        read.status = ReadStatus::ParseError;
    return read;
}

WriteResult WriteProfile(const Json::Value& document, const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error)) {
        ProfileWarning("profile list: " + path.string() + " is not a file; not written");
        return {WriteStatus::InvalidTarget, 0};
    }
    return JsonFile().WriteDocument(document, path);
}

Json::Value NamedDocument(Json::Value document, const ProfileEntry& entry) {
    if (!document.isObject()) document = Json::Value(Json::objectValue);
    document[kNameKey] = entry.name;
    document[kIdentifierKey] = entry.identifier;
    return document;
}

}  // namespace

bool IsPlainIdentifier(std::string_view identifier) {
    if (identifier.empty() || identifier.size() > kMaxIdentifierBytes) return false;
    if (identifier.front() == '.') return false;
    for (const char c : identifier) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) return false;
    }
    return true;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()))
               .compare(QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())),
                        Qt::CaseInsensitive) == 0;
}

CProfileList::CProfileList(std::filesystem::path folder, std::filesystem::path legacyProfile)
    : folder_(std::move(folder)),
      legacyProfile_(std::move(legacyProfile)),
      newIdentifier_([] { return MakeTimeStampName(); }) {}

// ---- Reading and writing the list ----

void CProfileList::Parse(const Json::Value& document) {
    entries_.clear();
    extraKeys_ = Json::Value(Json::objectValue);
    for (const std::string& key : document.getMemberNames()) {
        if (key != kSelectKey && key != kListKey) extraKeys_[key] = document[key];
    }
    for (const Json::Value& item : document[kListKey]) {
        ProfileEntry entry;
        if (item.isObject()) {
            entry.name = StringOr(item, kNameKey);
            entry.identifier = StringOr(item, kIdentifierKey);
            entry.isLink = item[kIsLinkKey].isBool() && item[kIsLinkKey].asBool();
            entry.linkName = StringOr(item, kLinkNameKey);
        }
        entries_.push_back(std::move(entry));
    }
    const Json::Value& select = document[kSelectKey];
    active_ = select.isIntegral() && select.isInt() ? select.asInt() : 0;
    if (!InRange(active_)) active_ = 0;
    MarkUsable();
}

void CProfileList::MarkUsable() {
    std::set<std::string> seen;
    for (ProfileEntry& entry : entries_) {
        entry.usable = IsPlainIdentifier(entry.identifier) && seen.insert(entry.identifier).second;
        if (!entry.usable) {
            ProfileTrace("profile list: entry \"" + entry.name +
                         "\" has no usable identifier; its file is never touched");
        }
    }
}

Json::Value CProfileList::ToDocument() const {
    Json::Value document = extraKeys_.isObject() ? extraKeys_ : Json::Value(Json::objectValue);
    document[kSelectKey] = active_;
    Json::Value list(Json::arrayValue);
    for (const ProfileEntry& entry : entries_) {
        Json::Value item(Json::objectValue);
        item[kNameKey] = entry.name;
        item[kIdentifierKey] = entry.identifier;
        item[kIsLinkKey] = entry.isLink;
        item[kLinkNameKey] = entry.linkName;
        list.append(item);
    }
    document[kListKey] = list;
    return document;
}

// A list this class can read: anything else in its place is kept aside before it is replaced.
bool IsListShape(const Json::Value& root) {
    return root.isObject() && (!root.isMember(kListKey) || root[kListKey].isArray());
}

// The list is written by the one rule for files that cannot be read: a damaged list is kept as
// "ProfileList.ini.bad-YYYYMMDD-HHMMSS" (never over an earlier copy) and the user is told once.
// A list too large or unreadable is kept the same way; when it cannot be kept, it stays.
bool CProfileList::WriteList() {
    std::error_code error;
    if (std::filesystem::is_regular_file(ListPath(), error) &&
        ContentUnknown(ReadJsonText(ListPath()).status)) {
        const std::filesystem::path copy = KeepUnreadableFile(ListPath());
        if (copy.empty()) {
            ProfileWarning("profile list: " + ListPath().string() +
                           " cannot be read and no copy could be kept; not replaced");
            return false;
        }
        TellUnreadableFile(ListPath(), copy);
    }
    JsonFile file;
    file.SetShapeCheck(IsListShape);
    return file.WriteDocument(ToDocument(), ListPath()).ok();
}

bool CProfileList::Peek() {
    const DocumentReadResult read = JsonFile().ReadDocumentChecked(ListPath());
    if (read.status != ReadStatus::Ok || !read.value.isObject() ||
        !read.value[kListKey].isArray()) {
        entries_.clear();
        active_ = 0;
        return false;
    }
    Parse(read.value);
    return true;
}

// Every operation starts from the file as it is now; a list that went missing or bad since is
// loaded again by the full rule.
bool CProfileList::Refresh() {
    if (Peek() && !entries_.empty()) return true;
    Load();
    return !entries_.empty();
}

ListLoad CProfileList::Load() {
    const DocumentReadResult read = JsonFile().ReadDocumentChecked(ListPath());
    ListLoad result = ListLoad::Loaded;
    const bool shapeOk = read.status == ReadStatus::Ok && IsListShape(read.value);
    if (read.status == ReadStatus::Missing || read.status == ReadStatus::Empty ||
        (shapeOk && read.value[kListKey].empty())) {
        if (shapeOk) Parse(read.value);
        CreateFresh();
        result = ListLoad::Created;
    } else if (!shapeOk) {
        // The profiles in the folder are listed again so none of them drops out; writing the
        // new list keeps the damaged one aside (WriteList).
        ProfileWarning("profile list: " + ListPath().string() + " cannot be used; rebuilt");
        RebuildFromFolder();
        result = ListLoad::Rebuilt;
    } else {
        Parse(read.value);
    }
    if (result != ListLoad::Loaded && !WriteList())
        ProfileWarning("profile list: " + ListPath().string() + " could not be written");
    SyncProfileFiles();
    return result;
}

void CProfileList::CreateFresh() {
    entries_.clear();
    active_ = 0;
    ProfileEntry first = NewEntry("profile1");
    std::error_code error;
    if (!legacyProfile_.empty() && std::filesystem::is_regular_file(legacyProfile_, error)) {
        // What the user set before there was a list becomes profile1; the old file is left.
        const DocumentReadResult old = ReadProfile(legacyProfile_);
        if (old.status == ReadStatus::Ok &&
            !WriteProfile(NamedDocument(old.value, first),
                          folder_ / (first.identifier + kProfileFileExtension))
                 .ok()) {
            ProfileWarning("profile list: the earlier profile could not be copied");
        }
    }
    entries_.push_back(std::move(first));
}

void CProfileList::RebuildFromFolder() {
    entries_.clear();
    extraKeys_ = Json::Value(Json::objectValue);
    active_ = 0;
    std::vector<std::pair<std::string, std::string>> found;  // identifier, name
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end;
         it.increment(error)) {
        const std::filesystem::path& path = it->path();
        if (path.extension() != kProfileFileExtension || !it->is_regular_file(error)) continue;
        const std::string identifier = path.stem().string();
        if (!IsPlainIdentifier(identifier)) continue;
        const DocumentReadResult read = ReadProfile(path);
        if (read.status != ReadStatus::Ok || !read.value[kNameKey].isString() ||
            !read.value[kIdentifierKey].isString())
            continue;
        found.emplace_back(identifier, read.value[kNameKey].asString());
    }
    // Time-stamp identifiers sort in the order the profiles were made.
    std::sort(found.begin(), found.end());
    for (auto& [identifier, name] : found) {
        ProfileEntry entry;
        entry.name = name;
        entry.identifier = identifier;
        entries_.push_back(std::move(entry));
    }
    MarkUsable();
    if (entries_.empty()) CreateFresh();
}

void CProfileList::SyncProfileFiles() {
    for (const ProfileEntry& entry : entries_) {
        if (!entry.usable) continue;
        const std::filesystem::path path = folder_ / (entry.identifier + kProfileFileExtension);
        DocumentReadResult read = ReadProfile(path);
        if (read.status == ReadStatus::Missing || read.status == ReadStatus::Empty) {
            read.value = Json::Value(Json::objectValue);
        } else if (read.status != ReadStatus::Ok) {
            ProfileWarning("profile list: " + path.string() + " cannot be read; left as it is");
            continue;
        } else if (StringOr(read.value, kNameKey) == entry.name &&
                   StringOr(read.value, kIdentifierKey) == entry.identifier &&
                   read.value[kNameKey].isString() && read.value[kIdentifierKey].isString()) {
            continue;
        }
        WriteProfile(NamedDocument(read.value, entry), path);
    }
}

// ---- Look-ups ----

std::optional<std::filesystem::path> CProfileList::ProfilePath(int index) const {
    if (!InRange(index) || !entries_[static_cast<std::size_t>(index)].usable) return std::nullopt;
    return folder_ / (entries_[static_cast<std::size_t>(index)].identifier + kProfileFileExtension);
}

std::optional<std::string> CProfileList::IdentifierAt(int index) const {
    if (!InRange(index) || !entries_[static_cast<std::size_t>(index)].usable) return std::nullopt;
    return entries_[static_cast<std::size_t>(index)].identifier;
}

std::optional<int> CProfileList::FindLinked(std::string_view program) const {
    if (program.empty()) return std::nullopt;
    for (int i = 0; i < Count(); ++i) {
        const ProfileEntry& entry = entries_[static_cast<std::size_t>(i)];
        if (entry.isLink && !entry.linkName.empty() &&
            SameNameIgnoringCase(entry.linkName, program))
            return i;
    }
    return std::nullopt;
}

bool CProfileList::AnyLinked() const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const ProfileEntry& e) { return e.isLink && !e.linkName.empty(); });
}

bool CProfileList::NameTaken(std::string_view name, int except) const {
    for (int i = 0; i < Count(); ++i) {
        if (i != except && SameNameIgnoringCase(entries_[static_cast<std::size_t>(i)].name, name))
            return true;
    }
    return false;
}

std::string CProfileList::FreeIdentifier() {
    const std::string base = newIdentifier_();
    auto taken = [this](const std::string& id) {
        std::error_code error;
        if (std::filesystem::exists(folder_ / (id + kProfileFileExtension), error)) return true;
        return std::any_of(entries_.begin(), entries_.end(), [&](const ProfileEntry& e) {
            return SameNameIgnoringCase(e.identifier, id);
        });
    };
    std::string candidate = base;
    for (int n = 1; taken(candidate); ++n) candidate = base + "_" + std::to_string(n);
    return candidate;
}

ProfileEntry CProfileList::NewEntry(std::string name) {
    ProfileEntry entry;
    entry.name = std::move(name);
    entry.identifier = FreeIdentifier();
    entry.usable = IsPlainIdentifier(entry.identifier);
    return entry;
}

// ---- Operations ----

bool CProfileList::Select(int index) {
    if (!Refresh() || !InRange(index)) return false;
    active_ = index;
    return WriteList();
}

// The new profile's file is written before the list names it, so a crash in between leaves
// at worst an unlisted file, never a listed profile that lost its content. The active entry
// stays where it is: the device goes on using it until the user switches.
ProfileFileResult CProfileList::Append(std::string name, Json::Value content) {
    ProfileEntry entry = NewEntry(std::move(name));
    if (!entry.usable) return {FileStatus::Refused};
    const std::filesystem::path path = folder_ / (entry.identifier + kProfileFileExtension);
    if (!WriteProfile(NamedDocument(std::move(content), entry), path).ok())
        return {FileStatus::WriteFailed};
    entries_.push_back(std::move(entry));
    if (!WriteList()) {
        entries_.pop_back();
        std::error_code error;
        std::filesystem::remove(path, error);
        return {FileStatus::WriteFailed};
    }
    return {FileStatus::Ok, Count() - 1};
}

ProfileFileResult CProfileList::Add() {
    if (!Refresh()) return {FileStatus::Unreadable};
    if (Count() >= kMaxProfiles) return {FileStatus::Refused};
    int n = 1;
    while (NameTaken("profile" + std::to_string(n))) ++n;
    return Append("profile" + std::to_string(n), Json::Value(Json::objectValue));
}

DeleteResult CProfileList::Delete(int index) {
    if (!Refresh() || !InRange(index) || Count() < 2) return {};
    const int selection = index == 0 ? 0 : index - 1;
    const bool wasActive = index == active_;
    const std::vector<ProfileEntry> before = entries_;
    const int activeBefore = active_;
    const ProfileEntry removed = entries_[static_cast<std::size_t>(index)];
    entries_.erase(entries_.begin() + index);
    if (wasActive) {
        active_ = selection;
    } else if (index < active_) {
        --active_;
    }
    // The list is written before the file goes, so a crash in between leaves at worst an
    // unlisted file, never a listed profile without its file.
    if (!WriteList()) {
        entries_ = before;
        active_ = activeBefore;
        return {};
    }
    const bool shared = std::any_of(entries_.begin(), entries_.end(), [&](const ProfileEntry& e) {
        return e.identifier == removed.identifier;
    });
    if (removed.usable && !shared) {
        std::error_code error;
        const std::filesystem::path path = folder_ / (removed.identifier + kProfileFileExtension);
        if (std::filesystem::is_regular_file(path, error)) std::filesystem::remove(path, error);
        if (error)
            ProfileWarning("profile list: " + path.string() + " not deleted: " + error.message());
    }
    MarkUsable();
    return {true, selection, wasActive};
}

ProfileFileResult CProfileList::Copy(int index) {
    if (!Refresh()) return {FileStatus::Unreadable};
    const std::optional<std::filesystem::path> source = ProfilePath(index);
    if (!source) return {FileStatus::Refused};
    if (Count() >= kMaxProfiles) return {FileStatus::Refused};
    DocumentReadResult read = ReadProfile(*source);
    if (read.status == ReadStatus::Missing) {
        read.value = Json::Value(Json::objectValue);
    } else if (read.status != ReadStatus::Ok) {
        return {FileStatus::Unreadable};
    }
    std::string name = entries_[static_cast<std::size_t>(index)].name + " copy";
    while (NameTaken(name)) name += " copy";
    return Append(std::move(name), std::move(read.value));
}

ProfileFileResult CProfileList::Import(const Json::Value& document) {
    if (!document.isObject() || !document[kNameKey].isString()) return {FileStatus::Refused};
    if (!Refresh()) return {FileStatus::Unreadable};
    if (Count() >= kMaxProfiles) return {FileStatus::Refused};
    const std::string base = document[kNameKey].asString();
    std::string name = base;
    for (int n = 1; NameTaken(name); ++n) name = base + "(" + std::to_string(n) + ")";
    return Append(std::move(name), document);
}

ProfileFileResult CProfileList::Export(int index, const std::filesystem::path& target) {
    if (!Refresh()) return {FileStatus::Unreadable};
    const std::optional<std::filesystem::path> source = ProfilePath(index);
    if (!source) return {FileStatus::Refused};
    const DocumentReadResult read = ReadProfile(*source);
    if (read.status != ReadStatus::Ok) return {FileStatus::Unreadable};
    std::error_code error;
    if (std::filesystem::is_directory(target, error)) return {FileStatus::WriteFailed};
    return JsonFile().WriteDocument(read.value, target).ok()
               ? ProfileFileResult{FileStatus::Ok, index}
               : ProfileFileResult{FileStatus::WriteFailed};
}

RenameResult CProfileList::Rename(int index, const std::string& name) {
    if (IsBlank(name)) return RenameResult::Blank;
    if (!Refresh() || !InRange(index)) return RenameResult::Duplicate;
    if (NameTaken(name, index)) return RenameResult::Duplicate;
    ProfileEntry& entry = entries_[static_cast<std::size_t>(index)];
    const std::string previous = entry.name;
    entry.name = name;
    if (!WriteList()) {
        entry.name = previous;
        return RenameResult::Duplicate;
    }
    if (entry.usable) {
        const std::filesystem::path path = folder_ / (entry.identifier + kProfileFileExtension);
        DocumentReadResult read = ReadProfile(path);
        if (read.status == ReadStatus::Ok || read.status == ReadStatus::Missing)
            WriteProfile(NamedDocument(read.value, entry), path);
    }
    return RenameResult::Renamed;
}

ProfileFileResult CProfileList::Reset(int index, const std::filesystem::path& defaultProfile,
                                      bool keepHeadsetEqualisers) {
    if (!Refresh()) return {FileStatus::Unreadable};
    const std::optional<std::filesystem::path> path = ProfilePath(index);
    if (!path) return {FileStatus::Refused};
    const DocumentReadResult defaults = ReadProfile(defaultProfile);
    if (defaults.status != ReadStatus::Ok) return {FileStatus::Unreadable};
    Json::Value document = NamedDocument(defaults.value, entries_[static_cast<std::size_t>(index)]);
    if (keepHeadsetEqualisers) {
        const DocumentReadResult old = ReadProfile(*path);
        const Json::Value oldDevice =
            old.status == ReadStatus::Ok ? old.value["Device"] : Json::Value();
        if (oldDevice.isArray() && !oldDevice.empty() && oldDevice[0].isObject() &&
            document["Device"].isArray() && !document["Device"].empty() &&
            document["Device"][0].isObject()) {
            for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
                if (oldDevice[0].isMember(key)) document["Device"][0][key] = oldDevice[0][key];
            }
        }
    }
    if (!WriteProfile(document, *path).ok()) return {FileStatus::WriteFailed};
    return {FileStatus::Ok, index};
}

bool CProfileList::Link(int index, const std::string& program) {
    if (!Refresh() || !InRange(index)) return false;
    if (!program.empty()) {
        for (ProfileEntry& entry : entries_) {
            if (entry.isLink && SameNameIgnoringCase(entry.linkName, program)) {
                entry.isLink = false;
                entry.linkName.clear();
            }
        }
    }
    ProfileEntry& entry = entries_[static_cast<std::size_t>(index)];
    entry.isLink = !program.empty();
    entry.linkName = program;
    return WriteList();
}

}  // namespace profiles
