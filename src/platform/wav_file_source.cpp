#include "platform/wav_file_source.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;
constexpr uint16_t kTagALaw = 6;
constexpr uint16_t kTagMuLaw = 7;
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr int kMinRate = 8000;
constexpr int kMaxRate = 192000;
constexpr int kMaxChannels = 8;
// A "fmt " chunk is small; anything larger is not a format chunk we would read.
constexpr uint32_t kMaxFormatChunk = 256;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

std::string TagName(uint16_t tag, int bits) {
    if (tag == kTagPcm) return std::to_string(bits) + "-bit PCM";
    if (tag == kTagFloat) return std::to_string(bits) + "-bit float";
    if (tag == kTagALaw) return "A-law";
    if (tag == kTagMuLaw) return "mu-law";
    return "format tag " + std::to_string(tag);
}

}  // namespace

std::optional<WavFormat> ParseWavFormatChunk(std::span<const uint8_t> body, std::string& error) {
    if (body.size() < 16) {
        error = "broken WAV file: format chunk of " + std::to_string(body.size()) + " bytes";
        return std::nullopt;
    }
    uint16_t tag = U16(&body[0]);
    const int channels = U16(&body[2]);
    const uint32_t rate = U32(&body[4]);
    const int blockAlign = U16(&body[12]);
    const int bits = U16(&body[14]);
    if (tag == kTagExtensible) {
        // cbSize, valid bits, channel mask, then the sub-format GUID whose first two bytes
        // are the plain format tag.
        if (body.size() < 40) {
            error = "broken WAV file: extensible format chunk of " + std::to_string(body.size()) +
                    " bytes";
            return std::nullopt;
        }
        tag = U16(&body[24]);
    }
    const bool pcm16 = tag == kTagPcm && bits == 16;
    const bool float32 = tag == kTagFloat && bits == 32;
    if (!pcm16 && !float32) {
        error = "unsupported WAV format: " + TagName(tag, bits);
        return std::nullopt;
    }
    if (channels < 1 || channels > kMaxChannels) {
        error = "unsupported WAV channel count: " + std::to_string(channels);
        return std::nullopt;
    }
    if (rate < kMinRate || rate > kMaxRate) {
        error = "unsupported WAV sample rate: " + std::to_string(rate);
        return std::nullopt;
    }
    if (blockAlign != channels * bits / 8) {
        error = "broken WAV file: block align " + std::to_string(blockAlign) + " for " +
                std::to_string(channels) + " channels of " + std::to_string(bits) + " bits";
        return std::nullopt;
    }
    WavFormat format;
    format.channels = channels;
    format.sampleRate = static_cast<int>(rate);
    format.isFloat = float32;
    format.bytesPerFrame = blockAlign;
    return format;
}

CWavFileSource::CWavFileSource(std::string path, Pacing pacing)
    : path_(std::move(path)), pacing_(pacing) {}

CWavFileSource::~CWavFileSource() {
    if (fd_ >= 0) close(fd_);
}

AudioOpenResult CWavFileSource::Refuse(std::string detail) {
    error_ = std::move(detail);
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    return {false, error_};
}

bool CWavFileSource::ReadExact(uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = read(fd_, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool CWavFileSource::Skip(uint64_t size) {
    // Read and dropped rather than sought: a FIFO cannot seek.
    std::array<uint8_t, 4096> scratch;
    while (size > 0) {
        const std::size_t part = static_cast<std::size_t>(std::min<uint64_t>(size, scratch.size()));
        if (!ReadExact(scratch.data(), part)) return false;
        size -= part;
    }
    return true;
}

AudioOpenResult CWavFileSource::Open() {
    if (fd_ >= 0) close(fd_);
    fd_ = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return Refuse("cannot open '" + path_ + "': " + std::strerror(errno));
    uint8_t header[12];
    if (!ReadExact(header, sizeof header)) return Refuse("not a WAV file: shorter than its header");
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
        return Refuse("not a WAV file: no RIFF/WAVE header");

    std::optional<WavFormat> format;
    for (;;) {
        uint8_t chunk[8];
        if (!ReadExact(chunk, sizeof chunk))
            return Refuse(format ? "broken WAV file: no data chunk"
                                 : "broken WAV file: no format chunk");
        const uint32_t size = U32(chunk + 4);
        const uint64_t padded = size + (size & 1u);  // chunks are word-aligned
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size > kMaxFormatChunk)
                return Refuse("broken WAV file: format chunk of " + std::to_string(size) +
                              " bytes");
            std::vector<uint8_t> body(padded);
            if (!ReadExact(body.data(), body.size()))
                return Refuse("broken WAV file: cut inside the format chunk");
            std::string error;
            format = ParseWavFormatChunk(std::span(body.data(), size), error);
            if (!format) return Refuse(error);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!format) return Refuse("broken WAV file: data before the format chunk");
            dataLeft_ = size;
            break;
        } else if (!Skip(padded)) {
            return Refuse("broken WAV file: cut inside a chunk");
        }
    }
    format_ = *format;
    raw_.assign(kBlockFrames * static_cast<std::size_t>(format_.bytesPerFrame), 0);
    carried_ = 0;
    delivered_ = 0;
    started_ = false;
    error_.clear();
    return {true, {}};
}

bool CWavFileSource::WaitUntilDue(int timeoutMs, int stopFd, bool& timedOut) {
    timedOut = false;
    const auto now = std::chrono::steady_clock::now();
    if (!started_) {
        start_ = now;
        started_ = true;
    }
    const auto due = start_ + std::chrono::microseconds(delivered_ * 1000000ull /
                                                        static_cast<uint64_t>(format_.sampleRate));
    if (due <= now) return true;
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - now).count();
    if (timeoutMs >= 0 && wait > timeoutMs) {
        wait = timeoutMs;
        timedOut = true;
    }
    pollfd p{stopFd, POLLIN, 0};
    int r;
    do {
        r = poll(&p, stopFd >= 0 ? 1 : 0, static_cast<int>(wait));
    } while (r < 0 && errno == EINTR);
    if (r > 0) {
        timedOut = false;
        return false;
    }
    return !timedOut;
}

AudioReadResult CWavFileSource::Read(std::span<float> mono, int timeoutMs, int stopFd) {
    if (fd_ < 0) {
        if (error_.empty()) error_ = "the WAV source is not open";
        return {AudioReadStatus::Failed, 0};
    }
    if (mono.empty()) return {AudioReadStatus::Data, 0};
    if (pacing_ == Pacing::RealTime) {
        bool timedOut = false;
        if (!WaitUntilDue(timeoutMs, stopFd, timedOut))
            return {timedOut ? AudioReadStatus::TimedOut : AudioReadStatus::Stopped, 0};
    }
    const std::size_t frameBytes = static_cast<std::size_t>(format_.bytesPerFrame);
    const std::size_t frames = std::min(mono.size(), kBlockFrames);
    std::size_t want = frames * frameBytes;
    if (dataLeft_ < want) want = static_cast<std::size_t>(dataLeft_);
    if (want < frameBytes) return {AudioReadStatus::Ended, 0};  // what is left is no whole frame

    // Waits for the file (a FIFO) beside the stop event.
    pollfd polls[2] = {{fd_, POLLIN, 0}, {stopFd, POLLIN, 0}};
    for (;;) {
        const int r = poll(polls, stopFd >= 0 ? 2 : 1, timeoutMs);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            error_ = std::string("reading the WAV file: ") + std::strerror(errno);
            return {AudioReadStatus::Failed, 0};
        }
        if (r == 0) return {AudioReadStatus::TimedOut, 0};
        if (stopFd >= 0 && (polls[1].revents & POLLIN)) return {AudioReadStatus::Stopped, 0};
        break;
    }
    ssize_t n;
    do {
        n = read(fd_, raw_.data() + carried_, want - carried_);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        error_ = std::string("reading the WAV file: ") + std::strerror(errno);
        return {AudioReadStatus::Failed, 0};
    }
    // The end of the file ends the data, whatever its chunk declared; a sample cut off at the
    // end is dropped.
    if (n == 0) return {AudioReadStatus::Ended, 0};
    const std::size_t have = carried_ + static_cast<std::size_t>(n);
    dataLeft_ -= static_cast<uint64_t>(n);
    const std::size_t whole = have / frameBytes;
    const int channels = format_.channels;
    for (std::size_t f = 0; f < whole; ++f) {
        const uint8_t* frame = raw_.data() + f * frameBytes;
        float sum = 0.0f;
        for (int c = 0; c < channels; ++c) {
            if (format_.isFloat) {
                float value;
                std::memcpy(&value, frame + c * 4, 4);
                sum += value;
            } else {
                sum += static_cast<float>(static_cast<int16_t>(U16(frame + c * 2))) / 32768.0f;
            }
        }
        mono[f] = sum / static_cast<float>(channels);
    }
    carried_ = have - whole * frameBytes;
    if (carried_ > 0) std::memmove(raw_.data(), raw_.data() + whole * frameBytes, carried_);
    delivered_ += whole;
    return {AudioReadStatus::Data, whole};
}

}  // namespace platform
