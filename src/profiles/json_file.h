#pragma once
// Whole-document JSON file reading and writing. Documents are written with Json::StyledWriter
// (three-space indentation) to a temporary file in the target's folder that is then renamed
// over the target, so a crash or a full disk never leaves a truncated file behind.
#include <json/json.h>

#include <cstddef>
#include <filesystem>
#include <string>

namespace profiles {

// Files larger than this are not read: no profile, light or macro file comes close.
inline constexpr std::uintmax_t kMaxJsonFileSize = 32u * 1024u * 1024u;

enum class ReadStatus {
    Ok,          // parsed; the value may still be of any JSON type
    Missing,     // no such file
    Unreadable,  // exists but could not be opened or read completely
    TooLarge,    // larger than kMaxJsonFileSize
    Empty,       // empty text
    ParseError,  // not JSON
};

struct TextReadResult {
    std::string text;
    ReadStatus status = ReadStatus::Missing;
};

struct DocumentReadResult {
    Json::Value value;  // null unless status is Ok
    ReadStatus status = ReadStatus::Missing;
};

enum class WriteStatus {
    Ok,
    InvalidTarget,  // empty path, or a target whose old content could not be read and is kept
    CreateFailed,   // the temporary file could not be created
    WriteFailed,    // writing or flushing the text failed (for example a full disk)
    RenameFailed,   // the temporary file could not replace the target
};

struct WriteResult {
    WriteStatus status = WriteStatus::Ok;
    int error_code = 0;  // errno of the failing call, 0 when none applies
    bool ok() const { return status == WriteStatus::Ok; }
};

// The whole file as text: empty when it cannot be opened, is larger than kMaxJsonFileSize,
// or cannot be read completely.
std::string readjsonFile(const std::filesystem::path& path);
TextReadResult ReadJsonText(const std::filesystem::path& path);

// True when status says the file's content is unknown (it exists but could not be read), so
// that writing over it could destroy data nobody looked at.
bool ContentUnknown(ReadStatus status);

// The styled text that WriteDocument stores.
std::string StyledText(const Json::Value& value);

class JsonFile {
  public:
    // Null when the file is missing, empty, unreadable or not JSON.
    Json::Value ReadDocument(const std::filesystem::path& path) const;
    DocumentReadResult ReadDocumentChecked(const std::filesystem::path& path) const;
    // Atomic replace; a failure is logged and returned, the old file is then untouched.
    WriteResult WriteDocument(const Json::Value& value, const std::filesystem::path& path) const;
};

}  // namespace profiles
