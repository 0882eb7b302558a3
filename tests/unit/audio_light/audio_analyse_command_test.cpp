// --audio-analyse: its lines, the reaction and the one-line refusal, over WAV files written
// into a temporary folder.
#include "main/audio_analyse_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "wav_writer.h"

namespace {

struct Printed {
    int exitCode = 0;
    std::vector<std::string> lines;
    std::string error;
};

std::string Slurp(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    std::fclose(file);
    return text;
}

Printed Analyse(const AudioAnalyseOptions& options) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Printed run;
    run.exitCode = RunAudioAnalyse(options, out, err);
    std::istringstream lines(Slurp(out));
    for (std::string line; std::getline(lines, line);) run.lines.push_back(line);
    run.error = Slurp(err);
    return run;
}

size_t Count(const Printed& run, const std::string& prefix) {
    size_t n = 0;
    for (const std::string& line : run.lines) n += line.rfind(prefix, 0) == 0;
    return n;
}

TEST(AudioAnalyseCommand, PrintsEachAnalysisEveryThirdLevelsAndTheReactions) {
    QTemporaryDir dir;
    wav_test::WavFormat wav;
    wav.seconds = 1.0;
    // Loud bursts of 100 ms between near silence: the level frames change, the rule fires.
    wav.sample = [](double t, int) {
        const bool loud = static_cast<int>(t * 10) % 2 == 0;
        return (loud ? 1.0 : 0.01) * std::sin(2 * std::numbers::pi * 1000 * t);
    };
    AudioAnalyseOptions options;
    options.file = wav_test::Write(dir, "bursts.wav", wav);
    const Printed run = Analyse(options);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.error, "");
    ASSERT_EQ(Count(run, "t "), 45u);
    EXPECT_EQ(run.lines[0], "t 42 level 2000 bands 0 0 128 2000 0 0");
    EXPECT_EQ(Count(run, "levels "), 15u);
    EXPECT_EQ(run.lines[3].rfind("levels 0 0 0", 0), 0u) << run.lines[3];
    EXPECT_GT(Count(run, "reaction"), 0u);

    // Only the rhythm's audio mode of effect 29 feeds the rule.
    for (const auto& [code, mode] : {std::pair{30, 2}, std::pair{29, 1}}) {
        options.effectCode = code;
        options.audioMode = mode;
        const Printed quiet = Analyse(options);
        EXPECT_EQ(Count(quiet, "reaction"), 0u);
        EXPECT_EQ(Count(quiet, "t "), 45u);
    }
}

TEST(AudioAnalyseCommand, ARefusedFileIsOneLineAndExitOne) {
    QTemporaryDir dir;
    wav_test::WavFormat wav;
    wav.bits = 24;
    AudioAnalyseOptions options;
    options.file = wav_test::Write(dir, "deep.wav", wav);
    const Printed run = Analyse(options);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.lines.empty());
    EXPECT_EQ(run.error, "skelmora: --audio-analyse: unsupported WAV format: 24-bit PCM\n");
}

}  // namespace
