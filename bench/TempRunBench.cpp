// Temperature tests of rows × steps on the simulated lab and clock: the wall time the sequence
// itself costs (captures, statistics, instrument exchanges, result files) and the memory it
// holds. 1,000, 3,000 and 30,000 steps by default; QN_BENCH_LONG=1 adds 300,000 (minutes).
#include "host/EventPump.h"
#include "host/PanelRefresh.h"
#include "host/Prompt.h"
#include "host/StatusBar.h"
#include "run/LabRun.h"
#include "sim/SimClock.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace qn::bench {
namespace {

namespace fs = std::filesystem;

class DroppedStatus final : public StatusBar {
  public:
    void SetPanelText(qn::StatusPanel /*panel*/, const std::string& /*text*/) override {}
};

struct RunBench {
    RunBench(const fs::path& folder, size_t rows, size_t steps)
        : bench{Platform{world.Hid, world.Driver, world.SerialPorts, clock, pump, status, panels,
                         prompt},
                folder.string() + "/", ""} {
        test::PrepareLabRun(bench, world, chipInfo, {rows, "-40.0", "5.0", steps, steps});
    }

    SimClock clock;
    SimWorld world{clock};
    NullEventPump pump;
    PromptRelay prompt;
    DroppedStatus status;
    PanelRefresh panels;
    FixedChipInfo chipInfo{2, 3};
    Bench bench;
};

void TemperatureRun(benchmark::State& state) {
    const fs::path folder =
        fs::temp_directory_path() / ("qn-temp-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    for (auto _ : state) {
        RunBench run(folder, static_cast<size_t>(state.range(0)),
                     static_cast<size_t>(state.range(1)));
        run.bench.Temp.TBegin();
        state.counters["simulated_hours"] = run.clock.SteadyMs() / 3'600'000.0;
        const TempResults& results = run.bench.Temp.Results();
        size_t measured = 0;
        for (size_t row = 1; row <= results.TempCount(); ++row)
            for (size_t step = 1; step <= results.StepCount(); ++step)
                measured += results.Measured(row, step) ? 1u : 0u;
        state.counters["steps_measured"] = static_cast<double>(measured);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    fs::remove_all(folder);
}
BENCHMARK(TemperatureRun)
    ->Args({10, 100})
    ->Args({30, 100})
    ->Args({30, 1000})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// Registered only on request: a 300,000-step run takes minutes even when its cost per step is flat.
const bool kLongRun = [] {
    const char* wanted = std::getenv("QN_BENCH_LONG");
    if (wanted == nullptr || std::string(wanted) != "1") return false;
    benchmark::RegisterBenchmark("TemperatureRun", TemperatureRun)
        ->Args({30, 10000})
        ->Iterations(1)
        ->Unit(benchmark::kSecond)
        ->UseRealTime();
    return true;
}();

} // namespace
} // namespace qn::bench
