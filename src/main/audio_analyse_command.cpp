#include "main/audio_analyse_command.h"

#include <array>
#include <vector>

#include "devices/audio_light/audio_analyser.h"
#include "devices/audio_light/audio_frame_processor.h"
#include "devices/audio_light/audio_level_rule.h"
#include "platform/wav_file_source.h"

int RunAudioAnalyse(const AudioAnalyseOptions& options, std::FILE* out, std::FILE* err) {
    platform::CWavFileSource source(options.file, platform::CWavFileSource::Pacing::Unpaced);
    const platform::AudioOpenResult opened = source.Open();
    if (!opened.ok) {
        std::fprintf(err, "skelmora: --audio-analyse: %s\n", opened.detail.c_str());
        return 1;
    }
    audio_light::AudioAnalyser analyser(source.SampleRate());
    audio_light::AudioFrameProcessor processor;
    audio_light::AudioLevelRule rule;
    audio_light::AudioAnalysis analysis;
    std::array<int, audio_light::kLevelBands> handed{};
    std::vector<float> block(platform::CWavFileSource::kBlockFrames);
    for (;;) {
        const platform::AudioReadResult read = source.Read(block, -1, -1);
        if (read.status == platform::AudioReadStatus::Ended) break;
        if (read.status != platform::AudioReadStatus::Data) {
            std::fprintf(err, "skelmora: --audio-analyse: %s\n", source.LastError().c_str());
            return 1;
        }
        std::span<const float> samples(block.data(), read.count);
        while (analyser.Feed(samples, analysis)) {
            std::fprintf(out, "t %llu level %d bands",
                         static_cast<unsigned long long>(analysis.EndMs(source.SampleRate())),
                         analysis.level);
            for (const int32_t band : analysis.bands) std::fprintf(out, " %d", band);
            std::fputc('\n', out);
            processor.BandValues(analysis.bands);
            if (!processor.LevelFrame(analysis.levels, handed)) continue;
            std::fputs("levels", out);
            for (int i = 0; i < audio_light::kMeans; ++i)
                std::fprintf(out, " %d", handed[static_cast<size_t>(i)]);
            std::fputc('\n', out);
            if (rule.SetAudioLevels(handed, options.effectCode, options.audioMode))
                std::fputs("reaction\n", out);
        }
    }
    return 0;
}
