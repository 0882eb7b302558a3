// Host cost of the command channel against the in-process emulator with zero latency: what
// remains is our own work per report (building, checksum, locks, queue hand-over), the part
// that must stay small next to the 1 ms a full-speed device takes per report.
#include <benchmark/benchmark.h>

#include <numeric>

#include "emulator/emulated_bus.h"
#include "hid/command_channel.h"

namespace {

struct Attached {
    std::shared_ptr<emu::EmulatedBus> bus = emu::EmulatedBus::Create();
    CCommandChannel channel{bus};

    explicit Attached(std::chrono::microseconds latency = {}) {
        bus->SetLatency(latency);
        std::string error;
        bus->Plug("keyboard", error);
        CHidConnection probe(bus);
        probe.Enumerate();
        while (auto path = probe.NextPath()) {
            if (path->find("&col04") == std::string::npos) continue;
            channel.WiredConnection().Open(*path, true, true, true, false);
        }
        channel.SetOpened(true);
        channel.SetMode(1);
    }
};

void BM_Exchange64(benchmark::State& state) {
    Attached a;
    uint8_t status[6];
    for (auto _ : state) {
        if (a.channel.ReadStatus(status, 0) != hid::kResultOk)
            state.SkipWithError("exchange failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Exchange64);

void BM_LightFrame510(benchmark::State& state) {
    Attached a;
    std::vector<uint8_t> frame(510);
    std::iota(frame.begin(), frame.end(), uint8_t{0});
    for (auto _ : state) {
        if (a.channel.StreamLightFrame(frame) != hid::kResultOk)
            state.SkipWithError("frame failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LightFrame510);

// The same exchange with the device's 1 ms per report: bound by the device, not the host.
void BM_Exchange64DeviceLatency1ms(benchmark::State& state) {
    Attached a(std::chrono::microseconds(1000));
    uint8_t status[6];
    for (auto _ : state) {
        if (a.channel.ReadStatus(status, 0) != hid::kResultOk)
            state.SkipWithError("exchange failed");
    }
}
BENCHMARK(BM_Exchange64DeviceLatency1ms)->UseRealTime()->Iterations(200);

}  // namespace

BENCHMARK_MAIN();
