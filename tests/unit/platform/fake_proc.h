#pragma once
// A fake /proc tree and a fake focus source for the program-in-front rule.
#include <sys/eventfd.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

#include "platform/active_program.h"

namespace {

using platform::FocusState;
using platform::ForegroundProgram;
using platform::ProcReader;
using platform::ProgramSource;

// Current() answers the state set last; Set() also makes EventDescriptor() readable, as a
// property event of the X server would. Set() may come from another thread.
class FakeFocus : public platform::IFocusSource {
  public:
    explicit FakeFocus(FocusState state) : state_(state) {}
    ~FakeFocus() override {
        if (fd_ >= 0) ::close(fd_);
    }
    FocusState Current() override {
        ++reads;
        std::lock_guard lock(mutex_);
        return state_;
    }
    void Set(FocusState state) {
        {
            std::lock_guard lock(mutex_);
            state_ = state;
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
    }
    int EventDescriptor() const override { return fd_; }
    bool DrainEvents() override {
        std::uint64_t value = 0;
        return ::read(fd_, &value, sizeof value) == sizeof value;
    }
    std::atomic<int> reads{0};

  private:
    std::mutex mutex_;
    FocusState state_;
    int fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
};

class FakeProc {
  public:
    FakeProc() { root_ = dir_.path().toStdString(); }
    // A process folder with its stat (start time), exe link, cmdline and comm.
    void Add(int pid, unsigned long start, const std::string& exe, const std::string& cmdline,
             const std::string& comm) {
        const auto folder = root_ / std::to_string(pid);
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "stat")
            << pid << " (" << comm << ") S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 " << start
            << " 0 0";
        std::ofstream(folder / "cmdline", std::ios::binary)
            .write(cmdline.data(), static_cast<std::streamsize>(cmdline.size()));
        std::ofstream(folder / "comm") << comm << "\n";
        if (!exe.empty()) std::filesystem::create_symlink(exe, folder / "exe");
    }
    void Remove(int pid) { std::filesystem::remove_all(root_ / std::to_string(pid)); }
    ProcReader Reader() const { return ProcReader(root_, ::getuid()); }
    const std::filesystem::path& root() const { return root_; }

  private:
    QTemporaryDir dir_;
    std::filesystem::path root_;
};

}  // namespace
