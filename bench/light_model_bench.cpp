// The lighting panel's pure parts: the layout of one (type, mode), the same-mode mapping of
// one source to every device type, and one step of the synchronised effect with the colour
// word written into a keyboard's 170 LED entries (what one same-mode tick costs per member).
#include <benchmark/benchmark.h>

#include <array>

#include "devices/light_effects.h"
#include "devices/sync_light.h"
#include "panels/light_model.h"

namespace {

void BM_PlanLayout(benchmark::State& state) {
    int mode = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(light_model::PlanLayout(1, mode));
        mode = (mode + 1) % 46;
    }
}
BENCHMARK(BM_PlanLayout);

void BM_SameModeMapping(benchmark::State& state) {
    for (auto _ : state) {
        const auto kind = light_model::SameModeKindOf(2, 2);
        for (int type : {1, 9, 2, 6, 3, 7})
            benchmark::DoNotOptimize(light_model::SameModeFor(*kind, type));
    }
}
BENCHMARK(BM_SameModeMapping);

void BM_SyncStepIntoKeyboard(benchmark::State& state) {
    light::SyncSettings settings;
    settings.mode = static_cast<uint8_t>(state.range(0));
    settings.multicolour = 1;
    light::SyncState sync;
    std::array<light::LedEntry, 170> leds{};
    uint32_t now = 0;
    for (auto _ : state) {
        const uint32_t word = light::SyncStep(settings, sync, now += 14);
        for (light::LedEntry& led : leds) light::SetWords(led, word, 0);
        benchmark::DoNotOptimize(leds.data());
    }
}
BENCHMARK(BM_SyncStepIntoKeyboard)->DenseRange(0, 4);

}  // namespace

BENCHMARK_MAIN();
