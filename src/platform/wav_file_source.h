#pragma once
// CWavFileSource: a RIFF/WAVE file or FIFO as a sound source. 16-bit PCM, 32-bit float and
// their extensible forms, 1 to 8 channels mixed down to mono, 8,000 to 192,000 Hz. The data is
// streamed in blocks, never read whole, so a FIFO that declares gigabytes costs nothing. Paced
// in real time by default (a read sleeps on the stop event until its samples are due), unpaced
// for tests and benchmarks.
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/audio_source.h"

namespace platform {

struct WavFormat {
    int channels = 0;
    int sampleRate = 0;
    bool isFloat = false;   // 32-bit float; else 16-bit PCM
    int bytesPerFrame = 0;  // block align
};

// Checks the "fmt " chunk's body. On refusal returns nullopt and sets error to one line
// ("unsupported WAV format: 24-bit PCM", "unsupported WAV channel count: 0", ...).
std::optional<WavFormat> ParseWavFormatChunk(std::span<const uint8_t> body, std::string& error);

class CWavFileSource : public IAudioSource {
  public:
    enum class Pacing { RealTime, Unpaced };
    explicit CWavFileSource(std::string path, Pacing pacing = Pacing::RealTime);
    ~CWavFileSource() override;
    CWavFileSource(const CWavFileSource&) = delete;
    CWavFileSource& operator=(const CWavFileSource&) = delete;

    AudioOpenResult Open() override;
    int SampleRate() const override { return format_.sampleRate; }
    AudioReadResult Read(std::span<float> mono, int timeoutMs, int stopFd) override;
    std::string LastError() const override { return error_; }
    const WavFormat& Format() const { return format_; }

    // Samples are read from the file in blocks of this many frames at most.
    static constexpr std::size_t kBlockFrames = 1024;

  private:
    bool ReadExact(uint8_t* data, std::size_t size);
    bool Skip(uint64_t size);
    AudioOpenResult Refuse(std::string detail);
    // Waits until the samples after `delivered_` are due; false when the stop event fired
    // or the time-out passed first (timedOut says which).
    bool WaitUntilDue(int timeoutMs, int stopFd, bool& timedOut);

    std::string path_;
    Pacing pacing_;
    int fd_ = -1;
    WavFormat format_;
    uint64_t dataLeft_ = 0;     // bytes the data chunk still declares
    std::vector<uint8_t> raw_;  // one block of frames, plus a partial frame carried over
    std::size_t carried_ = 0;
    uint64_t delivered_ = 0;  // samples handed out
    std::chrono::steady_clock::time_point start_;
    bool started_ = false;
    std::string error_;
};

}  // namespace platform
