#include "platform/autostart.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>

namespace platform {
namespace {

// A value of the Exec key: arguments with spaces or the reserved characters are quoted,
// with '"', '`', '$' and '\' escaped inside the quotes; '%' is doubled (field codes).
std::string ExecArgument(const std::string& value) {
    std::string escaped;
    bool quote = value.empty();
    for (char c : value) {
        if (c == '%') {
            escaped += "%%";
            continue;
        }
        if (std::strchr(" \t\n\"'\\><~|&;$*?#()`", c)) quote = true;
        if (c == '"' || c == '`' || c == '$' || c == '\\') escaped += '\\';
        escaped += c;
    }
    if (!quote) return escaped;
    // Inside a desktop entry's string value a backslash is itself escaped once more.
    std::string doubled;
    for (char c : escaped) {
        if (c == '\\') doubled += '\\';
        doubled += c;
    }
    return "\"" + doubled + "\"";
}

std::string ErrnoText(const char* what, const std::filesystem::path& path, int code) {
    return std::string(what) + " '" + path.string() + "': " + std::strerror(code);
}

}  // namespace

std::filesystem::path AutostartEntryPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path base;
    if (config && config[0] == '/') {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        base = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    return base / "autostart" / kAutostartFileName;
}

std::string AutostartEntryText(const std::string& program) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Skelmora\n"
           "Comment=Configure keyboards, mice and headsets\n"
           "Exec=" +
           ExecArgument(program) +
           " --minimized\n"
           "Icon=org.skelmora.Skelmora\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool IsAutostartEnabled() {
    const std::filesystem::path path = AutostartEntryPath();
    if (path.empty()) return false;
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    bool ours = false;
    bool off = false;
    while (std::getline(in, line)) {
        if (line.rfind("Exec=", 0) == 0 && line.find("--minimized") != std::string::npos)
            ours = true;
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") off = true;
    }
    return ours && !off;
}

bool SetAutostart(bool on, const std::string& program, std::string& error) {
    const std::filesystem::path path = AutostartEntryPath();
    if (path.empty()) {
        error = "no configuration folder (neither XDG_CONFIG_HOME nor HOME is set)";
        return false;
    }
    std::error_code ec;
    if (!on) {
        if (std::filesystem::remove(path, ec) || !ec) return true;
        error = ErrnoText("cannot remove", path, ec.value());
        return false;
    }
    if (program.empty() || program.find('\n') != std::string::npos) {
        error = "the program's path cannot go into a desktop entry";
        return false;
    }
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) {
        error = ErrnoText("cannot create", path.parent_path(), ec.value());
        return false;
    }
    std::string temporary = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = ErrnoText("cannot create a file in", path.parent_path(), errno);
        return false;
    }
    const std::string text = AutostartEntryText(program);
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    const bool complete = written == text.size() && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    const int saved = errno;
    if (::close(fd) != 0 || !complete) {
        error = ErrnoText("cannot write", temporary, complete ? errno : saved);
        ::unlink(temporary.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        error = ErrnoText("cannot replace", path, errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace platform
