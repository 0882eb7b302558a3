#include "platform/active_program.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>

namespace platform {

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()))
               .compare(QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())),
                        Qt::CaseInsensitive) == 0;
}

std::optional<std::string> ReadSmallFile(const std::filesystem::path& file, std::size_t limit) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(limit, '\0');
    in.read(text.data(), static_cast<std::streamsize>(limit));
    if (in.bad()) return std::nullopt;
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

// Field 22 (start time) of /proc/PID/stat; the command name in field 2 may hold spaces and
// parentheses, so the fields are counted after the last ")".
std::optional<std::uint64_t> StartTicks(const std::string& stat) {
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int n = 3; n <= 22; ++n) {
        if (!(fields >> field)) return std::nullopt;
    }
    try {
        return std::stoull(field);
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace

const char* SourceName(ProgramSource source) {
    switch (source) {
        case ProgramSource::X11:
            return "x11";
        case ProgramSource::Proc:
            return "proc";
        case ProgramSource::None:
            break;
    }
    return "none";
}

std::string ProcessInfo::DisplayName() const {
    if (!exeName.empty()) return exeName;
    if (!argumentName.empty()) return argumentName;
    return comm;
}

std::string BaseNameOfArgument(std::string_view argument) {
    const std::size_t slash = argument.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? argument : argument.substr(slash + 1));
}

bool ProcessMatches(const ProcessInfo& process, std::string_view linkName) {
    if (linkName.empty()) return false;
    for (const std::string* name : {&process.exeName, &process.argumentName, &process.comm}) {
        if (!name->empty() && SameIgnoringCase(*name, linkName)) return true;
    }
    // comm holds only the first 15 bytes of a longer name.
    return process.comm.size() == 15 && linkName.size() > 15 &&
           SameIgnoringCase(process.comm, linkName.substr(0, 15));
}

ProcReader::ProcReader(std::filesystem::path root, uid_t uid) : root_(std::move(root)), uid_(uid) {}

std::optional<std::uint64_t> ProcReader::StartTicksOf(std::int64_t pid) const {
    // One open, fstat and read: the watcher asks this of every process at each scan.
    const std::string file = (root_ / std::to_string(pid) / "stat").string();
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;  // ended, or not a process folder
    struct stat info {};
    char buffer[1024];
    ssize_t got = -1;
    // The file belongs to the process's user, as its folder does.
    if (::fstat(fd, &info) == 0 && info.st_uid == uid_) got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (got <= 0) return std::nullopt;
    return StartTicks(std::string(buffer, static_cast<std::size_t>(got)));
}

std::optional<ProcessInfo> ProcReader::Read(std::int64_t pid) const {
    const std::filesystem::path folder = root_ / std::to_string(pid);
    const auto start = StartTicksOf(pid);
    if (!start) return std::nullopt;
    ProcessInfo process;
    process.pid = pid;
    process.startTicks = *start;
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink(folder / "exe", error);
    if (!error) {
        std::string name = exe.filename().string();
        // A replaced executable reads as "NAME (deleted)".
        constexpr std::string_view deleted = " (deleted)";
        if (name.size() > deleted.size() && name.ends_with(deleted))
            name.resize(name.size() - deleted.size());
        process.exeName = name;
    }
    if (const auto cmdline = ReadSmallFile(folder / "cmdline", 4096)) {
        process.argumentName = BaseNameOfArgument(std::string_view(cmdline->c_str()));
    }
    if (auto comm = ReadSmallFile(folder / "comm", 64)) {
        while (!comm->empty() && (comm->back() == '\n' || comm->back() == '\0')) comm->pop_back();
        process.comm = *comm;
    }
    return process;
}

std::vector<std::int64_t> ProcReader::Pids() const {
    std::vector<std::int64_t> pids;
    DIR* folder = ::opendir(root_.c_str());
    if (!folder) return pids;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (name.empty() || name.size() > 18 ||
            !std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); }))
            continue;
        std::int64_t pid = 0;
        for (const char c : name) pid = pid * 10 + (c - '0');
        pids.push_back(pid);
    }
    ::closedir(folder);
    return pids;
}

std::vector<ProcessInfo> ProcReader::List() const {
    std::vector<ProcessInfo> processes;
    for (const std::int64_t pid : Pids())
        if (auto process = Read(pid)) processes.push_back(std::move(*process));
    return processes;
}

std::optional<ForegroundProgram> MostRecentLinked(const std::vector<ProcessInfo>& processes,
                                                  const std::vector<std::string>& linkNames) {
    const ProcessInfo* best = nullptr;
    std::string bestName;
    for (const ProcessInfo& process : processes) {
        for (const std::string& link : linkNames) {
            if (!ProcessMatches(process, link)) continue;
            if (!best || process.startTicks > best->startTicks ||
                (process.startTicks == best->startTicks && process.pid > best->pid)) {
                best = &process;
                bestName = link;
            }
            break;
        }
    }
    if (!best) return std::nullopt;
    return ForegroundProgram{bestName, best->pid, ProgramSource::Proc};
}

bool NeedsProcScan(const FocusState& focus, bool waylandSession) {
    if (!focus.available) return true;
    return focus.pid <= 0 && waylandSession;
}

ForegroundProgram DetectForeground(IFocusSource* focus, const ProcReader& proc, bool waylandSession,
                                   const std::vector<std::string>& linkNames) {
    const FocusState state = focus ? focus->Current() : FocusState{};
    if (state.available && state.pid > 0) {
        ForegroundProgram front{{}, state.pid, ProgramSource::X11};
        if (const auto process = proc.Read(state.pid)) {
            front.name = process->DisplayName();
            for (const std::string& link : linkNames) {
                if (ProcessMatches(*process, link)) {
                    front.name = link;
                    break;
                }
            }
        }
        return front;
    }
    if (!NeedsProcScan(state, waylandSession) || linkNames.empty()) return {};
    return MostRecentLinked(proc.List(), linkNames).value_or(ForegroundProgram{});
}

}  // namespace platform
