#pragma once
// Tells the input reader thread that the UI thread has stopped taking its events: events
// were handed over and none was taken for the time limit. The reader then releases its grab,
// so a hung program never keeps the user's keyboard. Posted/Stalled run on the reader
// thread, Taken on the UI thread.
#include <atomic>
#include <cstdint>

namespace platform {

class GrabWatchdog {
  public:
    static constexpr uint64_t kLimitMs = 2000;

    void Posted(uint64_t now_ms) {
        if (posted_.load() == taken_.load()) progress_ms_.store(now_ms);
        posted_.fetch_add(1);
    }
    void Taken(uint64_t now_ms) {
        taken_.fetch_add(1);
        progress_ms_.store(now_ms);
    }
    bool Stalled(uint64_t now_ms) const {
        return posted_.load() > taken_.load() && now_ms >= progress_ms_.load() + kLimitMs;
    }

  private:
    std::atomic<uint64_t> posted_{0};
    std::atomic<uint64_t> taken_{0};
    std::atomic<uint64_t> progress_ms_{0};
};

}  // namespace platform
