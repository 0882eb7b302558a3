#include "panels/macro_library.h"

#include <QString>
#include <algorithm>
#include <system_error>

#include "profiles/basic_profiledata.h"
#include "profiles/text_convert.h"
#include "tables/key_code.h"

namespace macro_edit {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

std::string NextMacroName(const std::vector<std::string>& names) {
    for (int k = 1;; ++k) {
        const std::string candidate = "macro_" + std::to_string(k);
        bool taken = false;
        for (const std::string& name : names) {
            if (SameNameIgnoringCase(name, candidate)) {
                taken = true;
                break;
            }
        }
        if (!taken) return candidate;
    }
}

MacroLibrary::MacroLibrary(std::filesystem::path folder) : folder_(std::move(folder)) {}

const std::vector<std::string>& MacroLibrary::Load() {
    macro_codec::MacroList list = macro_codec::ReadMacroConfig(folder_);
    entries_ = std::move(list.entries);
    notes_ = std::move(list.notes);
    return notes_;
}

std::vector<std::string> MacroLibrary::Names() const {
    std::vector<std::string> names;
    names.reserve(entries_.size());
    for (const auto& e : entries_) names.push_back(e.name);
    return names;
}

bool MacroLibrary::WriteList() { return macro_codec::WriteMacroConfig(folder_, entries_).ok(); }

AddResult MacroLibrary::Add(const std::string& name) {
    AddResult result;
    if (folder_.empty()) {
        result.error = "no macro folder";
        return result;
    }
    if (entries_.size() >= macro_codec::kMaxMacros) return result;
    const std::vector<std::string> names = Names();
    if (!name.empty()) {
        for (const std::string& other : names) {
            if (SameNameIgnoringCase(other, name)) {
                result.error = "a macro named " + name + " exists";
                return result;
            }
        }
    }
    macro_codec::MacroEntry entry;
    entry.name = name.empty() ? NextMacroName(names) : name;
    entry.guid = macro_codec::FreeGuid(
        entries_, guid_source_ ? guid_source_() : profiles::MakeTimeStampName());
    entries_.push_back(entry);
    if (!WriteList()) {
        entries_.pop_back();
        result.error = "macro.config cannot be written";
        return result;
    }
    result.index = static_cast<int>(entries_.size()) - 1;
    result.name = entry.name;
    result.guid = entry.guid;
    return result;
}

RenameStatus MacroLibrary::Rename(int index, const std::string& name) {
    if (name.find_first_not_of(" \t\r\n") == std::string::npos) return RenameStatus::Empty;
    if (index < 0 || index >= Count()) return RenameStatus::NoMacro;
    for (const auto& e : entries_) {
        if (SameNameIgnoringCase(e.name, name)) return RenameStatus::Duplicate;
    }
    const std::string old = entries_[static_cast<std::size_t>(index)].name;
    entries_[static_cast<std::size_t>(index)].name = name;
    if (!WriteList()) {
        entries_[static_cast<std::size_t>(index)].name = old;
        return RenameStatus::WriteFailed;
    }
    return RenameStatus::Renamed;
}

bool MacroLibrary::Delete(int index) {
    if (index < 0 || index >= Count()) return false;
    const auto removed = entries_.begin() + index;
    const macro_codec::MacroEntry entry = *removed;
    entries_.erase(removed);
    if (!WriteList()) {
        entries_.insert(entries_.begin() + index, entry);
        return false;
    }
    const std::filesystem::path file = macro_codec::EventsFile(folder_, entry.guid);
    std::error_code error;
    if (!file.empty()) std::filesystem::remove(file, error);
    return true;
}

AddResult MacroLibrary::Import(const std::filesystem::path& file) {
    AddResult result;
    const std::string reason = macro_codec::CheckImportFile(file);
    if (!reason.empty()) {
        result.error = reason;
        return result;
    }
    result = Add();
    if (result.index < 0) {
        if (result.error.empty()) result.error = "50 macros already";
        return result;
    }
    const std::string copied =
        macro_codec::CopyFileAtomically(file, macro_codec::EventsFile(folder_, result.guid));
    if (!copied.empty()) {
        entries_.pop_back();
        WriteList();
        return AddResult{-1, {}, {}, copied};
    }
    return result;
}

std::string MacroLibrary::Export(int index, const std::filesystem::path& path) const {
    if (index < 0 || index >= Count()) return "no such macro";
    const std::filesystem::path from =
        macro_codec::EventsFile(folder_, entries_[static_cast<std::size_t>(index)].guid);
    if (from.empty()) return "the macro's Guid is not a plain file name";
    return macro_codec::CopyFileAtomically(from, path);
}

macro_codec::EventsRead MacroLibrary::LoadEvents(int index) const {
    if (index < 0 || index >= Count()) return {};
    return macro_codec::ReadMacroEvents(folder_, entries_[static_cast<std::size_t>(index)].guid);
}

profiles::WriteResult MacroLibrary::SaveEvents(int index, const Json::Value& events) const {
    if (index < 0 || index >= Count()) return {profiles::WriteStatus::InvalidTarget, 0};
    return macro_codec::WriteMacroEvents(folder_, entries_[static_cast<std::size_t>(index)],
                                         events);
}

bool FixKeyListAfterMacroDelete(std::vector<profiles::KeyAssignmentPair>& keys, int deleted) {
    bool changed = false;
    for (profiles::KeyAssignmentPair& pair : keys) {
        profiles::KeyAssignment& a = pair.current;
        if (a.kind != tables::kKindMacro && a.kind != tables::kKindMacroAlt) continue;
        if (a.high == deleted) {
            const uint16_t index = a.key_index;
            a = pair.default_assignment;
            a.key_index = index;
            changed = true;
        } else if (a.high > deleted) {
            --a.high;
            changed = true;
        }
    }
    return changed;
}

bool KeyListUsesMacro(const std::vector<profiles::KeyAssignmentPair>& keys, int index) {
    for (const profiles::KeyAssignmentPair& pair : keys) {
        const profiles::KeyAssignment& a = pair.current;
        if ((a.kind == tables::kKindMacro || a.kind == tables::kKindMacroAlt) && a.high == index)
            return true;
    }
    return false;
}

int FixProfilesAfterMacroDelete(profiles::CBasicProfiledata& data,
                                const std::vector<std::filesystem::path>& profiles, int deleted) {
    int changed = 0;
    for (const std::filesystem::path& path : profiles) {
        data.LoadSecondary(path);
        std::vector<profiles::KeyAssignmentPair> keys = data.ReadSecondaryKeyList();
        if (!FixKeyListAfterMacroDelete(keys, deleted)) continue;
        data.WriteSecondaryKeyList(keys);
        if (data.SaveSecondary(path).ok()) ++changed;
    }
    return changed;
}

}  // namespace macro_edit
