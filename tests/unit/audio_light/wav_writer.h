#pragma once
// Writes the WAV files the sound tests read into a temporary folder: nothing binary is kept in
// the tree. A file is described by its format and a sample function; the header can be made to
// lie (data size, extra chunks) and the file cut short.
#include <QTemporaryDir>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace wav_test {

struct WavFormat {
    uint16_t tag = 1;     // 1 PCM, 3 float, 0xFFFE extensible, 6 A-law ...
    uint16_t subTag = 1;  // the extensible form's sub-format
    int channels = 1;
    uint32_t rate = 48000;
    int bits = 16;
    double seconds = 1.0;
    // Sample of channel c at time t (seconds), full scale 1.0.
    std::function<double(double t, int c)> sample = [](double, int) { return 0.0; };
    bool chunksBeforeFormat = false;  // a LIST chunk of odd size before "fmt "
    bool factChunk = false;           // a "fact" chunk between "fmt " and "data"
    int64_t declaredData = -1;        // the data chunk's size field; -1: the true size
    int64_t cutBytes = 0;             // bytes dropped from the file's end
};

inline void Put16(std::string& s, uint16_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8));
}
inline void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The header up to and including the data chunk's size field.
inline std::string Header(const WavFormat& wav, uint32_t dataBytes) {
    const int blockAlign = wav.channels * wav.bits / 8;
    std::string fmt;
    Put16(fmt, wav.tag);
    Put16(fmt, static_cast<uint16_t>(wav.channels));
    Put32(fmt, wav.rate);
    Put32(fmt, wav.rate * static_cast<uint32_t>(blockAlign));
    Put16(fmt, static_cast<uint16_t>(blockAlign));
    Put16(fmt, static_cast<uint16_t>(wav.bits));
    if (wav.tag == 0xFFFE) {
        Put16(fmt, 22);
        Put16(fmt, static_cast<uint16_t>(wav.bits));
        Put32(fmt, 0);
        Put16(fmt, wav.subTag);
        fmt += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    std::string body = "WAVE";
    if (wav.chunksBeforeFormat) {
        body += "LIST";
        Put32(body, 5);
        body += std::string("INFO!\0", 6);  // odd size, one pad byte
    }
    body += "fmt ";
    Put32(body, static_cast<uint32_t>(fmt.size()));
    body += fmt;
    if (wav.factChunk) {
        body += "fact";
        Put32(body, 4);
        Put32(body, 0);
    }
    body += "data";
    Put32(body, dataBytes);
    std::string file = "RIFF";
    Put32(file, static_cast<uint32_t>(body.size() + dataBytes));
    return file + body;
}

inline std::string Samples(const WavFormat& wav) {
    const auto frames = static_cast<int64_t>(std::llround(wav.seconds * wav.rate));
    std::string data;
    data.reserve(static_cast<size_t>(frames * wav.channels * wav.bits / 8));
    for (int64_t f = 0; f < frames; ++f) {
        const double t = static_cast<double>(f) / wav.rate;
        for (int c = 0; c < wav.channels; ++c) {
            const double v = wav.sample(t, c);
            if (wav.bits == 16) {
                const double clipped = std::fmax(-1.0, std::fmin(v, 32767.0 / 32768.0));
                Put16(data,
                      static_cast<uint16_t>(static_cast<int16_t>(std::lround(clipped * 32768))));
            } else if (wav.bits == 32) {
                const float value = static_cast<float>(v);
                uint32_t word;
                std::memcpy(&word, &value, 4);
                Put32(data, word);
            } else {
                for (int b = 0; b < wav.bits / 8; ++b) data.push_back(0);
            }
        }
    }
    return data;
}

inline std::string Bytes(const WavFormat& wav) {
    const std::string data = Samples(wav);
    const uint32_t declared = wav.declaredData >= 0 ? static_cast<uint32_t>(wav.declaredData)
                                                    : static_cast<uint32_t>(data.size());
    std::string file = Header(wav, declared) + data;
    file.resize(file.size() - static_cast<size_t>(wav.cutBytes));
    return file;
}

inline std::string Write(const QTemporaryDir& dir, const std::string& name, const WavFormat& wav) {
    const std::string path = dir.path().toStdString() + "/" + name;
    std::ofstream(path, std::ios::binary) << Bytes(wav);
    return path;
}

// A sine of `amplitude` (1.0: full scale) at `hz` on every channel.
inline std::function<double(double, int)> Sine(double hz, double amplitude) {
    return [=](double t, int) { return amplitude * std::sin(2 * std::numbers::pi * hz * t); };
}
// A logarithmic sweep from `from` to `to` Hz over `seconds`.
inline std::function<double(double, int)> Sweep(double from, double to, double seconds,
                                                double amplitude = 0.5) {
    const double k = std::log(to / from) / seconds;
    return [=](double t, int) {
        const double phase = 2 * std::numbers::pi * from * (std::exp(k * t) - 1) / k;
        return amplitude * std::sin(phase);
    };
}

}  // namespace wav_test
