// An ADC capture against the simulated bridge on the real clock: how close it comes to the
// protocol's limit (one fetch of up to 21 records every 10 ms) and how little processor time it
// takes while it waits.
#include "SimulatedBench.h"
#include "analysis/AdcCapture.h"
#include "analysis/Decoding.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>

namespace {

// Conversions per second of the simulated chip: fast enough that every fetch is full.
constexpr double kOutputRate = 3000;

// User plus system time of the process in milliseconds.
double ProcessCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The shortest a capture of `samples` can take: one full fetch per interval, or the chip's own
// conversion time when that is longer.
double LimitMs(int32_t samples) {
    const double records = static_cast<double>(samples + qn::kDiscardedRecords);
    const double protocolMs = std::ceil(records / qn::kMaxSamplesPerFetch) * qn::kFetchIntervalMs;
    const double chipMs = records / kOutputRate * 1000.0;
    return std::max(protocolMs, chipMs);
}

void BM_Capture(benchmark::State& state) {
    qn::NullEventPump windows;
    qn::bench::SimulatedBench sim(windows, kOutputRate, -3000, 40);
    const auto samples = static_cast<int32_t>(state.range(0));
    qn::CaptureOptions options;
    options.NPoint = samples;
    double wallMs = 0;
    double cpuMs = 0;
    for (auto _ : state) {
        const auto wallStart = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuMs();
        const bool complete = sim.bench.Capture.CatchACDCOM("2.4", qn::kMode24Interrupt, options);
        cpuMs += ProcessCpuMs() - cpuStart;
        const auto wallEnd = std::chrono::steady_clock::now();
        const double ms = std::chrono::duration<double, std::milli>(wallEnd - wallStart).count();
        wallMs += ms;
        if (!complete || sim.bench.Samples().SampleCount != samples)
            state.SkipWithError("capture failed");
    }
    const auto iterations = static_cast<double>(state.iterations());
    const double limitMs = LimitMs(samples);
    state.counters["limit_ms"] = limitMs;
    state.counters["ratio"] = iterations > 0 ? wallMs / iterations / limitMs : 0;
    state.counters["cpu_pct"] = wallMs > 0 ? cpuMs / wallMs * 100.0 : 0;
}
BENCHMARK(BM_Capture)->Arg(4096)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Capture)->Arg(65536)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
