#pragma once
// A queue of input reports with an eventfd, shared by the backends whose reports arrive
// from another thread (the emulator and the vhid bus). A reader polls the queue's fd and
// the caller's stop fd, so a stop always wakes it.
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

#include "hid/hid_backend.h"

namespace hid {

class ReportQueue {
  public:
    // Reports beyond this many are dropped oldest-first, as a device's buffer would.
    static constexpr size_t kMaxQueued = 256;

    ReportQueue();
    ~ReportQueue();
    ReportQueue(const ReportQueue&) = delete;
    ReportQueue& operator=(const ReportQueue&) = delete;

    void Push(std::span<const uint8_t> report);
    // Marks the source gone: waiting and later reads fail with Disconnected.
    void MarkGone();
    bool IsGone() const;
    IoStatus Read(std::span<uint8_t> buffer, size_t& transferred, int timeoutMs, int stopFd);

  private:
    mutable std::mutex mutex_;
    std::deque<std::vector<uint8_t>> reports_;
    bool gone_ = false;
    int fd_ = -1;
};

// Waits until fd or stopFd is readable or the deadline passes. Used by every backend.
enum class WaitResult { Ready, Stopped, Timeout, Error };
WaitResult WaitReadable(int fd, int stopFd, int timeoutMs);

}  // namespace hid
