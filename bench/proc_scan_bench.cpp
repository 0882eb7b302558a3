// The /proc rule's cost: one look of the watcher (ForegroundTracker::Check) with one linked
// program that is not running, over the user's processes plus 300 `sleep` processes started
// here. The first look reads every process; the later ones read one small file per process
// (the start time) and only new processes in full. The watcher looks every two seconds, so
// the CPU per look divided by 2 s is its share of one core.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "platform/program_watcher.h"

namespace {

class Sleepers {
  public:
    explicit Sleepers(int count) {
        for (int i = 0; i < count; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::execlp("sleep", "sleep", "600", static_cast<char*>(nullptr));
                ::_exit(127);
            }
            if (pid > 0) pids_.push_back(pid);
        }
    }
    ~Sleepers() {
        for (const pid_t pid : pids_) ::kill(pid, SIGKILL);
        for (const pid_t pid : pids_) ::waitpid(pid, nullptr, 0);
    }

  private:
    std::vector<pid_t> pids_;
};

class NoFocus : public platform::IFocusSource {
  public:
    platform::FocusState Current() override { return {}; }
};

void BM_ProcScanWithLinkedProgram(benchmark::State& state) {
    Sleepers sleepers(static_cast<int>(state.range(0)));
    platform::ForegroundTracker tracker(std::make_unique<NoFocus>(), platform::ProcReader(), false);
    tracker.SetLinkNames({"a-program-that-is-not-running"});
    tracker.Check();  // the first look reads every process
    for (auto _ : state) benchmark::DoNotOptimize(tracker.Check());
    state.counters["scans"] = tracker.Scans();
}
BENCHMARK(BM_ProcScanWithLinkedProgram)
    ->Arg(300)
    ->Unit(benchmark::kMicrosecond)
    ->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
