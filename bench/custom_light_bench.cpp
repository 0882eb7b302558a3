// Cost of one pass of the user light effect player, by step mode, over the LED counts of the
// mouse and mouse pad (15) and of the keyboard (170). The light thread runs one pass every
// 2 ms while a user effect plays.
#include <benchmark/benchmark.h>

#include <vector>

#include "devices/custom_light_effect.h"

namespace {

void BM_CustomEffectPass(benchmark::State& state) {
    const auto mode = static_cast<uint8_t>(state.range(0));
    std::vector<light::LedEntry> leds(static_cast<size_t>(state.range(1)));
    profiles::LightEffectStep step;
    step.mode = mode;
    step.brightness = 4;
    step.speed = 4;  // every pass draws
    step.multicolour = 1;
    step.red = 10;
    step.green = 200;
    step.blue = 30;
    step.time = 1000;
    const std::vector<profiles::LightEffectStep> steps{step, step};
    light::CustomEffectState effect;
    uint32_t now = 0;
    for (auto _ : state) {
        light::CustomEffectPass(leds, steps, 4, effect, now);
        now += 2;
        benchmark::DoNotOptimize(leds.data());
    }
}
// Modes: 0 breathing, 1 static, 2 blink, 4 wave, 5 spectrum.
BENCHMARK(BM_CustomEffectPass)
    ->ArgNames({"mode", "leds"})
    ->ArgsProduct({{0, 1, 2, 4, 5}, {15, 170}});

}  // namespace

BENCHMARK_MAIN();
