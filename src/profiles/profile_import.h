#pragma once
// The check an imported profile file passes before anything changes: at most 1 MiB, a JSON
// object, "profilename" a non-empty string, "profileUUID" a string, and "Device" (when present)
// an array whose entries are objects or null.
#include <json/value.h>

#include <cstdint>
#include <filesystem>

namespace profiles {

inline constexpr std::uintmax_t kMaxImportFileSize = 1024u * 1024u;

enum class ImportCheck {
    Ok,
    Missing,        // no such file, or not a regular file
    TooLarge,       // more than kMaxImportFileSize bytes
    Unreadable,     // could not be read
    NotJson,        // empty, binary or not JSON
    NotObject,      // JSON, but not an object
    BadName,        // "profilename" missing, empty or not a string
    BadIdentifier,  // "profileUUID" missing or not a string
    BadDevice,      // "Device" not an array of objects or nulls
};

struct ImportFile {
    ImportCheck check = ImportCheck::Missing;
    Json::Value document;  // the parsed object when check is Ok
    bool ok() const { return check == ImportCheck::Ok; }
};

ImportFile ReadImportFile(const std::filesystem::path& file);
ImportCheck CheckImportDocument(const Json::Value& document);
// A short English reason for logs and the command line.
const char* ImportCheckText(ImportCheck check);

}  // namespace profiles
