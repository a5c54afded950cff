// The noise statistics of a full capture, and their recomputation over averaged blocks.
#include "analysis/AnalysisStore.h"
#include "analysis/NoiseStatistics.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>

namespace {

constexpr int32_t kSamples = static_cast<int32_t>(qn::kSampleCapacity);

// A store as a capture of 65536 noisy codes around -3000 leaves it.
qn::AnalysisStore CapturedStore() {
    qn::AnalysisStore store;
    store.ClearSamples(kSamples);
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(-3000.0, 40.0);
    for (int32_t i = 0; i < kSamples; ++i) {
        auto code = static_cast<int32_t>(std::lround(noise(rng)));
        if (code < 0) code += 1 << 24; // the 24-bit two's complement the decoder delivers
        store.KeepSample(code, 1);
    }
    store.CloseCapture();
    return store;
}

const qn::AnalysisInputs kInputs{1, 23, "2.4", 1};

void BM_CaptureStatistics(benchmark::State& state) {
    qn::AnalysisStore store = CapturedStore();
    for (auto _ : state) {
        const qn::AnalysisStatus status = qn::ComputeCaptureStatistics(store, kInputs);
        if (!status.Ok) state.SkipWithError("statistics failed");
        benchmark::DoNotOptimize(store.Figures);
    }
    state.counters["samples"] = kSamples;
}
BENCHMARK(BM_CaptureStatistics)->Unit(benchmark::kMicrosecond);

void BM_ReCalADC(benchmark::State& state) {
    qn::AnalysisStore store = CapturedStore();
    if (!qn::ComputeCaptureStatistics(store, kInputs).Ok) state.SkipWithError("statistics failed");
    const auto k = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        const qn::AnalysisStatus status = qn::ReCalADC(store, kInputs, k, kSamples);
        if (!status.Ok) state.SkipWithError("recalculation failed");
        benchmark::DoNotOptimize(store.Figures);
    }
    state.counters["samples"] = kSamples;
}
BENCHMARK(BM_ReCalADC)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->Arg(16)
    ->Arg(32)
    ->Unit(benchmark::kMicrosecond);

} // namespace
