// The spectrum of a full capture (window, FFT, noise density, sine figures) and its histogram.
#include "analysis/Histogram.h"
#include "analysis/Spectrum.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr size_t kSamples = 65536;
constexpr double kRate = 4000.0;

// A 1 kHz-ish sine of 1 V with 2 µV of white noise, in volts.
std::vector<double> SineCapture() {
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0.0, 2e-6);
    std::vector<double> x(kSamples);
    for (size_t i = 0; i < kSamples; ++i)
        x[i] = std::sin(2 * std::numbers::pi * 16411.3 * static_cast<double>(i) / kSamples) +
               noise(rng);
    return x;
}

void BM_SpectrumNsd(benchmark::State& state) {
    const auto x = SineCapture();
    qn::SpectrumAnalyzer analyzer;
    const qn::SpectrumOptions options{static_cast<qn::SpectrumWindow>(state.range(0)),
                                      static_cast<size_t>(state.range(1))};
    qn::Spectrum spectrum;
    analyzer.Compute(x, kRate, options, spectrum); // makes the plan, the window and the arrays
    for (auto _ : state) {
        analyzer.Compute(x, kRate, options, spectrum);
        benchmark::DoNotOptimize(spectrum.Nsd.data());
    }
    state.counters["samples"] = kSamples;
}
BENCHMARK(BM_SpectrumNsd)
    ->ArgNames({"window", "segment"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, kSamples / 8})
    ->Unit(benchmark::kMicrosecond);

void BM_SineMetrics(benchmark::State& state) {
    qn::SpectrumAnalyzer analyzer;
    const qn::Spectrum spectrum = analyzer.Compute(SineCapture(), kRate);
    for (auto _ : state) {
        const qn::SineMetrics metrics = qn::AnalyseSine(spectrum);
        benchmark::DoNotOptimize(metrics.SnrDb);
    }
}
BENCHMARK(BM_SineMetrics)->Unit(benchmark::kMicrosecond);

void BM_Histogram(benchmark::State& state) {
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(-3000.0, static_cast<double>(state.range(0)));
    std::vector<double> codes(kSamples);
    for (double& c : codes) c = std::nearbyint(noise(rng));
    for (auto _ : state) {
        const qn::Histogram histogram = qn::ComputeHistogram(codes);
        benchmark::DoNotOptimize(histogram.Count.data());
    }
    state.counters["samples"] = kSamples;
}
// σ 40: one bin per code; σ 4000: automatic bins.
BENCHMARK(BM_Histogram)->ArgName("sigma")->Arg(40)->Arg(4000)->Unit(benchmark::kMicrosecond);

} // namespace
