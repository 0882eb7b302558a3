#pragma once
// Where the sound for audio-reactive lighting comes from: the monitor of the desktop's default
// output (PulseAudio or PipeWire), a WAV file or FIFO (tests, benchmarks, --audio-analyse), or
// nothing. Every source hands out mono float samples at its own rate; a read waits at most
// its time-out and wakes at once when the caller's stop event fires.
#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace platform {

enum class AudioReadStatus {
    Data,      // count samples were written
    TimedOut,  // nothing arrived within the time-out
    Stopped,   // the stop event fired
    Ended,     // the source has no more samples (end of file, writer closed the FIFO)
    Failed,    // the source broke (server gone, read error); detail says why
};

struct AudioReadResult {
    AudioReadStatus status = AudioReadStatus::Failed;
    std::size_t count = 0;
};

struct AudioOpenResult {
    bool ok = false;
    std::string detail;  // what failed, in words, when !ok
};

class IAudioSource {
  public:
    virtual ~IAudioSource() = default;
    virtual AudioOpenResult Open() = 0;
    // Samples per second of what Read hands out (valid after a successful Open).
    virtual int SampleRate() const = 0;
    // Fills the front of mono with up to mono.size() samples. Waits at most timeoutMs
    // (negative: no limit) and returns Stopped as soon as stopFd (an eventfd, or -1 for none)
    // becomes readable.
    virtual AudioReadResult Read(std::span<float> mono, int timeoutMs, int stopFd) = 0;
    // The reason of the last Failed read or refused Open.
    virtual std::string LastError() const = 0;
};

// The choice made at start by SKELMORA_AUDIO: "pulse" (also when unset or empty),
// "file:PATH" or "none".
struct AudioChoice {
    enum class Kind { Pulse, File, None };
    Kind kind = Kind::Pulse;
    std::string path;   // for File
    std::string error;  // a value that names no source; the choice then is None
};
AudioChoice ParseAudioChoice(const char* value);

// A new source of the choice, not opened yet; nullptr for None. A file source is paced in
// real time.
std::unique_ptr<IAudioSource> MakeAudioSource(const AudioChoice& choice);

}  // namespace platform
