#pragma once
// CPulseMonitorSource: what the desktop plays, from the monitor of the default output, through
// libpulse's asynchronous API on a threaded main loop. PipeWire serves the same API
// (pipewire-pulse), so this covers both servers. It never starts a server
// (PA_CONTEXT_NOAUTOSPAWN) and gives up a connection attempt after 2 s. Float32 mono at the
// sink's rate (the server mixes down), fragments of about 10 ms, and the stream lets an idle
// card sleep. When the server reports another default output the stream is moved to that
// output's monitor. Samples wait in a ring of one second (what does not fit is dropped and
// counted) with an eventfd the reader polls beside its stop event.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio_source.h"

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_time_event;

namespace platform {

class CPulseMonitorSource : public IAudioSource {
  public:
    static constexpr int kConnectTimeoutMs = 2000;
    static constexpr int kFragmentMs = 10;
    static constexpr char kStreamName[] = "Audio lighting";

    CPulseMonitorSource();
    ~CPulseMonitorSource() override;
    CPulseMonitorSource(const CPulseMonitorSource&) = delete;
    CPulseMonitorSource& operator=(const CPulseMonitorSource&) = delete;

    AudioOpenResult Open() override;
    int SampleRate() const override { return rate_; }
    AudioReadResult Read(std::span<float> mono, int timeoutMs, int stopFd) override;
    std::string LastError() const override;

    // Samples dropped because the reader fell a second behind.
    uint64_t DroppedSamples() const { return dropped_.load(); }
    // The monitor source being recorded (tests, logs).
    std::string MonitorName() const;

    // ---- Called from libpulse's thread (public for its C callbacks) ----
    void OnContextState();
    void OnStreamState();
    void OnStreamRead(std::size_t bytes);
    void OnServerInfo(const char* defaultSink);
    void OnSinkInfo(const char* monitorName, uint32_t rate, bool end);
    void OnTimeout();

  private:
    enum class Phase { Idle, Connecting, LookingUp, Streaming, Failed };
    // Ends a refused Open: unlocks the main loop when `locked`, closes, keeps the reason.
    AudioOpenResult Refuse(bool locked, std::string detail);
    // With the main loop locked: waits until pred() or the 2 s deadline; false on time-out.
    template <typename Pred>
    bool WaitLocked(Pred pred);
    void ConnectStream();               // main loop locked
    void DropStream();                  // main loop locked
    void MarkFailed(const char* what);  // main loop locked: marks the outage, wakes the reader
    void Close();
    void Wake();

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    pa_time_event* timer_ = nullptr;
    int wakeFd_ = -1;
    int rate_ = 0;
    Phase phase_ = Phase::Idle;
    bool timedOut_ = false;
    bool lookupDone_ = false;
    std::string defaultSink_;
    std::string monitor_;
    uint32_t sinkRate_ = 0;

    mutable std::mutex ringLock_;
    std::vector<float> ring_;
    std::size_t head_ = 0;   // next sample to read
    std::size_t count_ = 0;  // samples waiting
    bool failed_ = false;
    std::string error_;
    std::atomic<uint64_t> dropped_{0};
};

}  // namespace platform
