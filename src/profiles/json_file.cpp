#include "profiles/json_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <mutex>
#include <vector>

#include "profiles/profile_log.h"

namespace profiles {

namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports whether the close succeeded.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

std::string Describe(const std::filesystem::path& path, int error) {
    return path.string() + ": " + std::strerror(error);
}

WriteResult Fail(WriteStatus status, int error, const std::filesystem::path& path,
                 const char* what) {
    ProfileWarning(std::string("WriteDocument ") + what + " " + Describe(path, error));
    return WriteResult{status, error};
}

bool WriteAll(int fd, const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

std::mutex notice_mutex;
UnreadableFileNotice& Notice() {
    static UnreadableFileNotice notice;
    return notice;
}

}  // namespace

std::filesystem::path UnreadableCopyName(const std::filesystem::path& path,
                                         const std::tm& local_time, int attempt) {
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, ".bad-%04d%02d%02d-%02d%02d%02d", local_time.tm_year + 1900,
                  local_time.tm_mon + 1, local_time.tm_mday, local_time.tm_hour, local_time.tm_min,
                  local_time.tm_sec);
    std::filesystem::path name = path;
    name += stamp;
    if (attempt > 0) name += "-" + std::to_string(attempt);
    return name;
}

void SetUnreadableFileNotice(UnreadableFileNotice notice) {
    std::lock_guard lock(notice_mutex);
    Notice() = std::move(notice);
}

void TellUnreadableFile(const std::filesystem::path& file, const std::filesystem::path& copy) {
    ProfileWarning(file.string() + " could not be read; the old file is kept as " + copy.string());
    UnreadableFileNotice notice;
    {
        std::lock_guard lock(notice_mutex);
        notice = Notice();
    }
    if (notice) notice(file, copy);
}

std::filesystem::path KeepUnreadableFile(const std::filesystem::path& path) {
    const std::time_t now = std::time(nullptr);
    std::tm local_time{};
    ::localtime_r(&now, &local_time);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::filesystem::path copy = UnreadableCopyName(path, local_time, attempt);
        if (::link(path.c_str(), copy.c_str()) == 0) return copy;
        if (errno == EEXIST) continue;
        // No hard links here: a copy that refuses to replace an existing file.
        std::error_code error;
        if (std::filesystem::copy_file(path, copy, std::filesystem::copy_options::none, error))
            return copy;
        if (error == std::errc::file_exists) continue;
        ProfileWarning("cannot keep a copy of " + path.string() + ": " + error.message());
        return {};
    }
    return {};
}

bool ContentUnknown(ReadStatus status) {
    return status == ReadStatus::Unreadable || status == ReadStatus::TooLarge;
}

TextReadResult ReadJsonText(const std::filesystem::path& path) {
    TextReadResult result;
    errno = 0;
    // Non-blocking, so that a FIFO in place of a profile cannot hang the caller.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    const int open_error = file.get() < 0 ? errno : 0;
    char trace[64];
    std::snprintf(trace, sizeof trace, "readjsonFile 错误吗：：%d", open_error);
    ProfileTrace(trace);
    if (file.get() < 0) {
        result.status = (open_error == ENOENT || open_error == ENOTDIR) ? ReadStatus::Missing
                                                                        : ReadStatus::Unreadable;
        return result;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        result.status = ReadStatus::Unreadable;
        return result;
    }
    const auto size = static_cast<std::uintmax_t>(info.st_size);
    if (size > kMaxJsonFileSize) {
        ProfileWarning("readjsonFile: " + path.string() + " is too large (" + std::to_string(size) +
                       " bytes)");
        result.status = ReadStatus::TooLarge;
        return result;
    }
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1, '\0');
    std::size_t count = 0;
    while (count < size) {
        const ssize_t got = ::read(file.get(), buffer.data() + count, size - count);
        if (got < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (got == 0) break;
        count += static_cast<std::size_t>(got);
    }
    if (count != size) {
        result.status = ReadStatus::Unreadable;
        return result;
    }
    result.text.assign(buffer.data(), count);
    result.status = count == 0 ? ReadStatus::Empty : ReadStatus::Ok;
    return result;
}

std::string readjsonFile(const std::filesystem::path& path) { return ReadJsonText(path).text; }

std::string StyledText(const Json::Value& value) {
    Json::StyledWriter writer;
    return writer.write(value);
}

DocumentReadResult JsonFile::ReadDocumentChecked(const std::filesystem::path& path) const {
    DocumentReadResult result;
    TextReadResult text = ReadJsonText(path);
    if (text.status != ReadStatus::Ok) {
        if (text.text.empty()) ProfileTrace("ReadDocument: empty text " + path.string());
        result.status = text.status;
        return result;
    }
    Json::Value root;
    bool parsed = false;
    try {
        Json::Reader reader;
        parsed = reader.parse(text.text.data(), text.text.data() + text.text.size(), root);
    } catch (const std::exception& error) {
        // The reader refuses nesting deeper than its stack limit by throwing.
        ProfileTrace(std::string("ReadDocument: ") + error.what() + " " + path.string());
        parsed = false;
    }
    if (!parsed) {
        result.status = ReadStatus::ParseError;
        return result;
    }
    result.value = std::move(root);
    result.status = ReadStatus::Ok;
    return result;
}

Json::Value JsonFile::ReadDocument(const std::filesystem::path& path) const {
    return ReadDocumentChecked(path).value;
}

WriteResult JsonFile::WriteDocument(const Json::Value& value,
                                    const std::filesystem::path& requested) const {
    if (requested.empty() || !requested.has_filename()) {
        ProfileWarning("WriteDocument: no file name in \"" + requested.string() + "\"");
        return WriteResult{WriteStatus::InvalidTarget, EINVAL};
    }
    // A profile kept behind a symbolic link is replaced where the link points, and the link
    // stays.
    std::filesystem::path path = requested;
    std::error_code status_error;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(requested, status_error))) {
        std::error_code link_error;
        path = std::filesystem::weakly_canonical(requested, link_error);
        if (link_error) {
            return Fail(WriteStatus::InvalidTarget, link_error.value(), requested, "link");
        }
    }
    const std::string text = StyledText(value);

    // What is there now and cannot be taken for a document of ours is kept before it goes.
    const DocumentReadResult old = ReadDocumentChecked(path);
    if (old.status == ReadStatus::ParseError ||
        (old.status == ReadStatus::Ok && shape_check_ && !shape_check_(old.value))) {
        const std::filesystem::path copy = KeepUnreadableFile(path);
        if (copy.empty()) {
            ProfileWarning("WriteDocument: " + path.string() +
                           " cannot be read and no copy of it could be kept; not replaced");
            return WriteResult{WriteStatus::InvalidTarget, EIO};
        }
        TellUnreadableFile(requested, copy);
    }

    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    FileDescriptor file(::mkostemp(pattern.data(), O_CLOEXEC));
    if (file.get() < 0) return Fail(WriteStatus::CreateFailed, errno, path, "create");
    const std::string temporary = pattern;

    // Keep the permissions of the file being replaced.
    struct stat old_info {};
    const mode_t mode = ::stat(path.c_str(), &old_info) == 0 ? (old_info.st_mode & 07777) : 0644;
    ::fchmod(file.get(), mode);

    if (!WriteAll(file.get(), text) || ::fsync(file.get()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return Fail(WriteStatus::WriteFailed, error, path, "write");
    }
    if (!file.close()) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return Fail(WriteStatus::WriteFailed, error, path, "close");
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return Fail(WriteStatus::RenameFailed, error, path, "rename");
    }
    // Make the rename itself durable; the new content is complete either way.
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) ::fsync(directory.get());
    return WriteResult{};
}

}  // namespace profiles
