#pragma once
// Whole-document JSON file reading and writing. Documents are written with Json::StyledWriter
// (three-space indentation) to a temporary file in the target's folder that is then renamed
// over the target, so a crash or a full disk never leaves a truncated file behind.
//
// A file that exists but does not parse, or does not have the shape its reader expects, is
// never simply replaced: before the new document goes in, the old file is kept beside it as
// NAME.bad-YYYYMMDD-HHMMSS (a further "-N" when that name is taken; an earlier copy is never
// overwritten), the path is logged, and the notice set with SetUnreadableFileNotice is called
// once for it, so that the program can tell the user.
#include <json/json.h>

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <functional>
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

// The name a file is kept under: NAME.bad-YYYYMMDD-HHMMSS from the local time, and "-N" after
// it for attempt N > 0. Pure.
std::filesystem::path UnreadableCopyName(const std::filesystem::path& path,
                                         const std::tm& local_time, int attempt);

// Called (on the writing thread) each time a file was kept aside: the file, and its copy.
using UnreadableFileNotice =
    std::function<void(const std::filesystem::path& file, const std::filesystem::path& copy)>;
// Sets the notice for the whole process; an empty function removes it.
void SetUnreadableFileNotice(UnreadableFileNotice notice);

// Keeps the file as it is under UnreadableCopyName(...): a hard link, or a copy where the
// file system has none. Returns the copy's path, or an empty path when nothing could be kept.
std::filesystem::path KeepUnreadableFile(const std::filesystem::path& path);
// Logs that file was kept as copy and calls the notice: for a writer that kept a file itself.
void TellUnreadableFile(const std::filesystem::path& file, const std::filesystem::path& copy);

class JsonFile {
  public:
    // Whether a parsed document has the shape its reader expects. A file of another shape is
    // kept aside before WriteDocument replaces it. Without a check, any JSON will do.
    using ShapeCheck = std::function<bool(const Json::Value& root)>;
    void SetShapeCheck(ShapeCheck check) { shape_check_ = std::move(check); }

    // Null when the file is missing, empty, unreadable or not JSON.
    Json::Value ReadDocument(const std::filesystem::path& path) const;
    DocumentReadResult ReadDocumentChecked(const std::filesystem::path& path) const;
    // Atomic replace; a failure is logged and returned, the old file is then untouched. An old
    // file that does not parse or fails the shape check is kept aside first; when it cannot be
    // kept, nothing is written (InvalidTarget).
    WriteResult WriteDocument(const Json::Value& value, const std::filesystem::path& path) const;

  private:
    ShapeCheck shape_check_;
};

}  // namespace profiles
