#include "devices/macro_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>
#include <system_error>

#include "devices/macro_event_codec.h"

namespace macro_codec {
namespace {

std::string ErrorText(int error) { return std::strerror(error); }

// A JSON integer, or a string holding only decimal digits, within 0..maximum.
bool InRange(const Json::Value& value, int64_t maximum, bool allow_string) {
    if (value.isIntegral() && !value.isBool())
        return value.isInt64() && value.asInt64() >= 0 && value.asInt64() <= maximum;
    if (!allow_string || !value.isString()) return false;
    const std::string text = value.asString();
    if (text.empty() || text.size() > 10) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return std::stoll(text) <= maximum;
}

std::string CheckEvent(const Json::Value& event) {
    if (!event.isObject()) return "an event is not an object";
    const Json::Value& action = event["Action"];
    if (!action.isString() || (action.asString() != "down" && action.asString() != "up"))
        return "an event's Action is not \"down\" or \"up\"";
    if (!InRange(event["Button"], 255, false)) return "an event's Button is not 0 to 255";
    const Json::Value& type = event["Type"];
    static const std::set<int64_t> kTypes{1, 4, 5, 9, 10};
    if (!type.isIntegral() || type.isBool() || !type.isInt64() || !kTypes.count(type.asInt64()))
        return "an event's Type is not 1, 4, 5, 9 or 10";
    if (!InRange(event["Delay"], kMaxDelayMs, true))
        return "an event's Delay is not a number 0 to 65535";
    return {};
}

}  // namespace

bool IsPlainName(const std::string& guid) {
    return !guid.empty() && guid.front() != '.' && guid.find('/') == std::string::npos &&
           guid.find('\\') == std::string::npos && guid.find('\0') == std::string::npos;
}

MacroList ReadMacroConfig(const std::filesystem::path& folder) {
    MacroList list;
    const profiles::DocumentReadResult read =
        profiles::JsonFile().ReadDocumentChecked(folder / kConfigFile);
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
        if (!IsPlainName(macro.guid))
            list.notes.push_back("macro " + std::to_string(i) + " has no usable Guid");
        list.entries.push_back(std::move(macro));
    }
    return list;
}

profiles::WriteResult WriteMacroConfig(const std::filesystem::path& folder,
                                       const std::vector<MacroEntry>& entries) {
    Json::Value root(Json::objectValue);
    Json::Value& info = root["MacroInfo"];
    info = Json::Value(Json::arrayValue);
    for (const MacroEntry& e : entries) {
        Json::Value entry(Json::objectValue);
        entry["MacroName"] = e.name;
        entry["Guid"] = e.guid;
        info.append(entry);
    }
    profiles::JsonFile file;
    file.SetShapeCheck([](const Json::Value& doc) { return doc.isObject(); });
    return file.WriteDocument(root, folder / kConfigFile);
}

std::filesystem::path EventsFile(const std::filesystem::path& folder, const std::string& guid) {
    if (!IsPlainName(guid)) return {};
    return folder / (guid + kEventsSuffix);
}

EventsRead ReadMacroEvents(const std::filesystem::path& folder, const std::string& guid) {
    EventsRead result;
    const std::filesystem::path path = EventsFile(folder, guid);
    if (path.empty()) {
        result.note = "the Guid is not a plain file name";
        return result;
    }
    const profiles::DocumentReadResult read = profiles::JsonFile().ReadDocumentChecked(path);
    const Json::Value* list = read.status == profiles::ReadStatus::Ok && read.value.isObject()
                                  ? read.value.find("Events", "Events" + 6)
                                  : nullptr;
    if (!list || !list->isArray()) {
        result.note = "macro file " + guid + ".mac missing or unreadable: no events";
        return result;
    }
    result.events = *list;
    result.ok = true;
    return result;
}

profiles::WriteResult WriteMacroEvents(const std::filesystem::path& folder, const MacroEntry& macro,
                                       const Json::Value& events) {
    const std::filesystem::path path = EventsFile(folder, macro.guid);
    if (path.empty()) return {profiles::WriteStatus::InvalidTarget, 0};
    Json::Value root(Json::objectValue);
    root["MacroName"] = macro.name;
    root["Guid"] = macro.guid;
    root["Events"] = events.isArray() ? events : Json::Value(Json::arrayValue);
    root["Version"] = kVersion;
    profiles::JsonFile file;
    file.SetShapeCheck([](const Json::Value& doc) { return doc.isObject(); });
    return file.WriteDocument(root, path);
}

std::string CheckImportFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return "not a readable file";
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return "its size cannot be read";
    if (size > kMaxImportSize) return "larger than 1 MiB";
    const profiles::DocumentReadResult read = profiles::JsonFile().ReadDocumentChecked(path);
    if (read.status != profiles::ReadStatus::Ok) return "not a JSON file";
    if (!read.value.isObject()) return "not a JSON object";
    const Json::Value& events = read.value["Events"];
    if (!events.isArray()) return "no \"Events\" array";
    if (events.size() > kMaxImportEvents) return "more than 10000 events";
    for (const Json::Value& event : events) {
        std::string reason = CheckEvent(event);
        if (!reason.empty()) return reason;
    }
    return {};
}

std::string CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return "cannot open " + from.string();
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return "cannot read " + from.string();
    const std::filesystem::path folder = to.has_parent_path() ? to.parent_path() : ".";
    std::string pattern = (folder / ("." + to.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return "cannot create a file in " + folder.string() + ": " + ErrorText(errno);
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    int failure = 0;
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failure = n < 0 ? errno : EIO;
            break;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    if (!failure && ::fsync(fd) != 0) failure = errno;
    if (::close(fd) != 0 && !failure) failure = errno;
    if (!failure && std::rename(pattern.c_str(), to.c_str()) != 0) failure = errno;
    if (failure) {
        ::unlink(pattern.c_str());
        return "cannot write " + to.string() + ": " + ErrorText(failure);
    }
    return {};
}

std::string FreeGuid(const std::vector<MacroEntry>& entries, const std::string& base) {
    auto taken = [&entries](const std::string& guid) {
        for (const MacroEntry& e : entries) {
            if (e.guid == guid) return true;
        }
        return false;
    };
    if (!taken(base)) return base;
    for (int n = 2;; ++n) {
        const std::string candidate = base + "_" + std::to_string(n);
        if (!taken(candidate)) return candidate;
    }
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
        EventsRead read = ReadMacroEvents(folder, guid);
        if (!read.ok) {
            result.notes.push_back("macro " + std::to_string(number) + ": " + read.note);
            continue;
        }
        counts[i] = read.events.size();
        events[i] = std::move(read.events);
    }
    result.size = MacroImageSize(counts);
    result.excess = MacroImageExcess(result.size, capacity);
    if (result.excess > 0) return result;

    std::vector<std::vector<DeviceEvent>> encoded(macros.size());
    int repaired = 0;
    for (size_t i = 0; i < macros.size(); ++i) {
        encoded[i].reserve(counts[i]);
        for (const Json::Value& event : events[i]) {
            EventIssues issues;
            encoded[i].push_back(EncodeDeviceEvent(ReadMacroEvent(event, &issues)));
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
