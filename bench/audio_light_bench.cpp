// What the music modes cost: (a) one second of 48 kHz sound through the analyser, the frame
// processor and the keyboard's level rule; (b) one second of the keyboard's 5 ms frame timer
// in a music mode, 200 music-mode steps each followed by the frame built by key position into
// a buffer kept from frame to frame.
// A replacement global operator new counts the allocations made inside the measured loops and
// reports them per second of sound.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <map>
#include <new>
#include <numbers>
#include <vector>

#include "devices/audio_light/audio_analyser.h"
#include "devices/audio_light/audio_frame_processor.h"
#include "devices/audio_light/audio_level_rule.h"
#include "devices/audio_light/audio_light_step.h"
#include "devices/keyboard/light_frame.h"

namespace {
std::atomic<uint64_t> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr int kRate = 48000;

// One second of music-like sound: a bass line, a melody and a little noise.
std::vector<float> OneSecond() {
    std::vector<float> samples(kRate);
    uint32_t noise = 1;
    for (int n = 0; n < kRate; ++n) {
        const double t = static_cast<double>(n) / kRate;
        noise = noise * 1664525u + 1013904223u;
        samples[static_cast<size_t>(n)] = static_cast<float>(
            0.4 * std::sin(2 * std::numbers::pi * 55 * t) * (0.5 + 0.5 * std::sin(12 * t)) +
            0.2 * std::sin(2 * std::numbers::pi * 880 * t) +
            0.02 * (static_cast<double>(noise) / 4294967296.0 - 0.5));
    }
    return samples;
}

// (a): the analysis of one second as the recorder reads it, in blocks of 2,048 samples.
void BM_AnalyseOneSecond(benchmark::State& state) {
    const std::vector<float> second = OneSecond();
    audio_light::AudioAnalyser analyser(kRate);
    audio_light::AudioFrameProcessor processor;
    audio_light::AudioLevelRule rule;
    audio_light::AudioAnalysis analysis;
    std::array<int, audio_light::kLevelBands> handed{};
    uint64_t allocations = 0;
    int analyses = 0;
    for (auto _ : state) {
        const uint64_t before = g_allocations.load();
        for (size_t start = 0; start < second.size(); start += 2048) {
            std::span<const float> block(second.data() + start,
                                         std::min<size_t>(2048, second.size() - start));
            while (analyser.Feed(block, analysis)) {
                ++analyses;
                processor.BandValues(analysis.bands);
                if (processor.LevelFrame(analysis.levels, handed))
                    benchmark::DoNotOptimize(rule.SetAudioLevels(handed, 29, 2));
            }
        }
        allocations += g_allocations.load() - before;
    }
    state.counters["analyses/s"] =
        benchmark::Counter(static_cast<double>(analyses) / static_cast<double>(state.iterations()));
    state.counters["allocations/s"] = benchmark::Counter(static_cast<double>(allocations) /
                                                         static_cast<double>(state.iterations()));
}
BENCHMARK(BM_AnalyseOneSecond)->Unit(benchmark::kMillisecond);

// (b): 200 steps of the rhythm and of the spectrum bars with a frame after each.
void BM_MusicStepsOneSecond(benchmark::State& state) {
    const int effect = static_cast<int>(state.range(0));
    std::vector<light::LedEntry> leds(170);
    std::map<int, int> keyMap;
    for (int key = 0; key < 126; ++key) keyMap[key] = key;
    profiles::AudioLightInfo info;
    info.audio_mode = 2;
    info.foreground_red = 255;
    light::LightSettings settings;
    audio_light::AudioLightState lightState;
    audio_light::AudioLightInputs inputs;
    std::vector<uint8_t> frame;  // kept from frame to frame, as the keyboard keeps it
    keyboard::BuildKeyPositionFrame(leds, keyMap, 126, frame);
    uint64_t stepAllocations = 0;
    uint64_t frameAllocations = 0;
    uint32_t now = 0;
    for (auto _ : state) {
        for (int step = 0; step < 200; ++step, now += 5) {
            if (step % 20 == 0) audio_light::FireKeyReaction(lightState, 51);
            inputs.bands = {step * 10, 1500, 900, 400, 1800, 100};
            const uint64_t before = g_allocations.load();
            audio_light::AudioLightStep(lightState, inputs, info, settings, {9, 0, 0}, effect, now,
                                        leds);
            const uint64_t afterStep = g_allocations.load();
            keyboard::BuildKeyPositionFrame(leds, keyMap, 126, frame);
            benchmark::DoNotOptimize(frame.data());
            frameAllocations += g_allocations.load() - afterStep;
            stepAllocations += afterStep - before;
        }
    }
    const auto perSecond = [&](uint64_t n) {
        return benchmark::Counter(static_cast<double>(n) / static_cast<double>(state.iterations()));
    };
    state.counters["step allocations/s"] = perSecond(stepAllocations);
    state.counters["frame allocations/s"] = perSecond(frameAllocations);
}
BENCHMARK(BM_MusicStepsOneSecond)->Arg(29)->Arg(30)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
