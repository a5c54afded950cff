// Tests of what the analysis charts draw: the time chart's values and per-column envelope, the
// capture histogram (bin choice, counts, fitted Gaussian, 3.3 σ outliers), the bins a zoomed
// chart shows, and the capture spectrum (window corrections, noise density, Welch averaging, sine
// figures).
#include "analysis/ChartEnvelope.h"
#include "analysis/ChartValues.h"
#include "analysis/Histogram.h"
#include "analysis/ShownRange.h"
#include "analysis/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <numeric>
#include <random>
#include <vector>

namespace qn {
namespace {

std::vector<double> GaussianCodes(double mean, double sigma, size_t count, bool whole) {
    std::mt19937 rng(11);
    std::normal_distribution<double> noise(mean, sigma);
    std::vector<double> codes(count);
    for (double& c : codes) c = whole ? std::nearbyint(noise(rng)) : noise(rng);
    return codes;
}

TEST(Histogram, BinsCountsAndGaussianArea) {
    // Whole codes of a narrow spread get one bin per code; a wide spread or averaged values get
    // automatic bins.
    const std::tuple<double, double, size_t, bool, bool> cases[] = {
        {-3000, 20, 65536, true, true},   {120, 1.5, 4096, true, true},
        {5000, 2000, 65536, true, false}, {10, 3, 65536, false, false},
        {0, 200, 1000, true, false},
    };
    for (const auto& [mean, sigma, count, whole, perCode] : cases) {
        const auto values = GaussianCodes(mean, sigma, count, whole);
        const Histogram h = ComputeHistogram(values);
        const auto n = static_cast<double>(count);
        ASSERT_EQ(h.PerCode, perCode) << sigma;
        EXPECT_EQ(std::accumulate(h.Count.begin(), h.Count.end(), size_t{0}), count) << sigma;
        EXPECT_NEAR(std::accumulate(h.Gaussian.begin(), h.Gaussian.end(), 0.0) / n, 1.0, 0.01)
            << sigma;
        ASSERT_EQ(h.Centre.size(), h.Count.size());
        const auto [low, high] = std::minmax_element(values.begin(), values.end());
        EXPECT_DOUBLE_EQ(h.PeakToPeak, *high - *low);
        if (perCode) {
            EXPECT_EQ(h.Count.size(), static_cast<size_t>(h.PeakToPeak) + 1) << sigma;
            EXPECT_EQ(std::pair(h.Centre.front(), h.Centre.back()), std::pair(*low, *high));
            // Each code's bin holds exactly the samples of that code.
            const auto mid = static_cast<size_t>(std::lround(mean - *low));
            EXPECT_EQ(h.Count[mid], std::count(values.begin(), values.end(), h.Centre[mid]));
        } else {
            EXPECT_LE(h.Count.size(), HistogramOptions{}.MaxBins) << sigma;
            EXPECT_GT(h.Count.size(), 10u) << sigma;
            EXPECT_NEAR(h.FirstEdge + h.BinWidth * static_cast<double>(h.Count.size()), *high,
                        1e-9 * std::fabs(*high) + 1e-12);
        }
    }
}

TEST(Histogram, CountsSamplesOutsideThreePointThreeSigma) {
    // 96 zeros with ±a pairs: mean 0, σ² = (2·a² + 2·b²) / 100.
    const std::tuple<double, double, size_t> cases[] = {
        {10, 1, 2}, // σ ≈ 1.42: 10 is beyond 4.69, 1 within
        {10, 4, 2}, // σ ≈ 1.52: 10 is beyond 5.03, 4 within
        {10, 8, 4}, // σ ≈ 1.81: 8 and 10 both beyond 5.98
        {3, 3, 4},  // σ = 0.6: 3 is beyond 1.98
        {0, 0, 0},  // no spread: nothing outside
    };
    for (const auto& [a, b, outside] : cases) {
        std::vector<double> values(96, 0.0);
        values.insert(values.end(), {a, -a, b, -b});
        const Histogram h = ComputeHistogram(values);
        const double sigma = std::sqrt((2 * a * a + 2 * b * b) / 100);
        EXPECT_EQ(h.OutsideCount, outside) << a << " " << b;
        EXPECT_NEAR(h.Sigma, sigma, 1e-12);
        EXPECT_EQ(h.Count.size(), static_cast<size_t>(2 * std::max(a, b)) + 1);
    }
}

TEST(Histogram, ScaledSamplesAreTheGridValues) {
    AnalysisStore store;
    store.ClearSamples(8);
    for (int32_t code : {100, 104, 96, 100}) store.KeepSample(code, 4);
    store.CloseCapture();
    EXPECT_EQ(ScaledSamples(store), (std::vector<double>{25, 26, 24, 25}));
}

// A zoomed chart saves the bins whose centres it shows: those inside the axis range, edges
// included, whichever way round the range is given.
TEST(Histogram, ShownBinsAreThoseInsideTheAxisRange) {
    const std::vector<double> centres = {-2, -1, 0, 1, 2, 3};
    const std::tuple<double, double, IndexRange> cases[] = {
        {-2, 3, {0, 6}},     // the whole histogram
        {-10, 10, {0, 6}},   // zoomed out past both ends
        {-0.5, 1.5, {2, 4}}, // zoomed in
        {0, 1, {2, 4}},      // centres on the edges count
        {1.5, -0.5, {2, 4}}, // the range reversed
        {0.2, 0.8, {3, 3}},  // between two centres: nothing
        {5, 9, {6, 6}},      // panned past the end
        {-9, -5, {0, 0}},    // panned before the start
    };
    for (const auto& [lower, upper, shown] : cases)
        EXPECT_EQ(ShownIndices(centres, lower, upper), shown) << lower << ".." << upper;
    EXPECT_EQ(ShownIndices({}, 0, 1), (IndexRange{0, 0}));
}

std::vector<double> Iota(size_t count) {
    std::vector<double> keys(count);
    std::iota(keys.begin(), keys.end(), 0.0);
    return keys;
}

TEST(ChartEnvelope, KeepsEachColumnsExtremesInDataOrder) {
    const std::vector<double> zigzag = {0, 5, -2, 1, -3, 3, 9, 2};
    std::vector<double> spike(16, 0.0);
    spike[9] = 7;
    std::vector<double> ramp(16);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = 2.0 * static_cast<double>(i);
    ramp[1] = 100; // outside the zoomed range below: must not reach the line
    const std::vector<double> five = {3, 1, 4, 1, 5};
    const ChartPoints ramped = {{3, 5.75, 5.75, 9.25, 9.25, 12}, {6, 8, 14, 16, 22, 24}};
    // Keys, values, the range shown, the plot's columns, the points drawn.
    using Row =
        std::tuple<std::vector<double>, std::vector<double>, double, double, int, ChartPoints>;
    const Row cases[] = {
        {{}, {}, 0, 10, 100, {}},                                // empty data
        {Iota(5), five, 0, 4, 10, {Iota(5), five}},              // fewer points than columns
        {Iota(5), five, 1, 2, 10, {{0, 1, 2, 3}, {3, 1, 4, 1}}}, // zoomed: a neighbour each side
        {Iota(5), five, 0, 4, 0, {Iota(5), five}},               // unknown width passes through
        {Iota(8), zigzag, 0, 7, 2, {{1.75, 1.75, 5.25, 5.25}, {5, -2, -3, 9}}}, // max, min order
        {Iota(16), spike, 0, 15, 2, {{3.75, 11.25, 11.25}, {0, 0, 7}}},         // a spike survives
        {Iota(16), ramp, 4, 11, 2, ramped}, // zoomed into part of the data
        {Iota(16), ramp, 11, 4, 2, ramped}, // range given upper first
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& [keys, values, lower, upper, columns, expected] = cases[i];
        const ChartPoints got = ChartEnvelope(keys, values, lower, upper, columns);
        EXPECT_EQ(std::tie(got.X, got.Y), std::tie(expected.X, expected.Y)) << "case " << i;
    }
}

TEST(ChartValues, ScaleSignAndChangeSums) {
    AnalysisStore store;
    store.ADCData[0] = 1000.7;
    store.ADCData[1] = 16777215; // −1 as 24-bit
    store.ADCData[2] = 16777216 - 7;
    store.ADCChange[0] = 12.9;
    store.ADCChange[1] = 16777216 - 9;
    store.ADCChange[2] = 5;
    const std::tuple<ChartRequest, std::vector<double>> cases[] = {
        {{3, 0, 1, false}, {1000, -1, -7}},
        {{3, 0, 4, false}, {250, 0, -1}}, // toward zero, both signs
        {{2, 0, 1, true}, {12, -9}},      // the sign comes from the code, not the sum
        {{-1, 0, 1, false}, {}},
    };
    for (const auto& [request, expected] : cases) EXPECT_EQ(ChartValues(store, request), expected);
    EXPECT_EQ(ChartKeys(4, 10), (std::vector<double>{0, 2.5, 5, 7.5}));
    EXPECT_EQ(ChartKeys(3, 0), (std::vector<double>{0, 1, 2}));
}

constexpr size_t kCount = 65536;
constexpr double kRate = 4000.0; // Hz
constexpr double kBin = kRate / kCount;

using W = SpectrumWindow;

// A sine of `amplitude` volts at `cycles` per capture, an optional harmonic `level` dBc below it,
// and white Gaussian noise of `sigma` volts on top of a 0.3 V offset.
std::vector<double> Capture(double amplitude, double cycles, double sigma, int harmonic = 0,
                            double levelDbc = 0, unsigned seed = 7) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    const double harmonicAmplitude = harmonic ? amplitude * std::pow(10.0, levelDbc / 20) : 0;
    std::vector<double> x(kCount);
    for (size_t i = 0; i < kCount; ++i) {
        const double phase = 2 * std::numbers::pi * cycles * static_cast<double>(i) / kCount;
        x[i] = 0.3 + amplitude * std::sin(phase + 0.4) +
               harmonicAmplitude * std::sin(harmonic * phase + 1.1) +
               (sigma > 0 ? sigma * noise(rng) : 0);
    }
    return x;
}

// The window's correction keeps a sine's RMS value, on a bin and between bins (where a
// rectangular window would leak beyond its bins), and the noise around it gives the theoretical
// SNR (rows without noise check the amplitude alone).
TEST(Spectrum, SineInWhiteNoiseKeepsItsAmplitudeAndGivesTheoreticalSnr) {
    const std::tuple<W, double, double> cases[] = {
        {W::BlackmanHarris7, 2049, 1e-4},
        {W::BlackmanHarris7, 5000.41, 1e-3},
        {W::BlackmanHarris7, 901.5, 2e-5},
        {W::Hann, 2049, 1e-4},
        {W::Hann, 1001.5, 0},
        {W::Hann, 777.31, 0},
        {W::Rectangular, 2049, 1e-4},
        {W::Rectangular, 12345, 3e-3},
    };
    const double amplitude = 1.0;
    const double rmsDbv = 20 * std::log10(amplitude / std::sqrt(2.0));
    SpectrumAnalyzer analyzer;
    for (const auto& [window, cycles, sigma] : cases) {
        const auto x = Capture(amplitude, cycles, sigma);
        const Spectrum s = analyzer.Compute(x, kRate, {window});
        const SineMetrics m = AnalyseSine(s);
        SCOPED_TRACE(::testing::Message() << "window " << int(window) << " at " << cycles);
        ASSERT_TRUE(m.Found);
        EXPECT_NEAR(m.FundamentalDbv, rmsDbv, 0.05);
        EXPECT_NEAR(m.FundamentalHz, cycles * kBin, 0.05 * kBin);
        if (cycles == std::floor(cycles)) { // the bin itself reads the RMS value
            EXPECT_NEAR(s.AmplitudeDbv[static_cast<size_t>(cycles)], rmsDbv, 0.05);
        }
        if (sigma == 0) continue; // a Hann window's leakage off a bin hides the noise floor
        EXPECT_TRUE(m.StandsOut);
        const double theory = 20 * std::log10(amplitude / std::sqrt(2.0) / sigma);
        EXPECT_NEAR(m.SnrDb, theory, 0.1);
        // Without distortion SINAD is the SNR, up to the noise inside the harmonics' bins.
        EXPECT_NEAR(m.SinadDb, theory, 0.1);
        EXPECT_NEAR(m.DynamicEnob, (theory - 1.76) / 6.02, 0.02);
    }
}

TEST(Spectrum, WhiteNoiseGivesFlatDensity) {
    // Whole capture, and Welch segments of 1/16 and 1/8 with and without overlap.
    const std::tuple<W, size_t, double, size_t> cases[] = {
        {W::BlackmanHarris7, 0, 0.5, 1}, {W::Hann, 0, 0.5, 1},
        {W::Rectangular, 0, 0.5, 1},     {W::BlackmanHarris7, kCount / 16, 0.5, 31},
        {W::Hann, kCount / 8, 0.5, 15},  {W::Rectangular, kCount / 8, 0, 8},
    };
    const double sigma = 2.5e-6;
    const auto x = Capture(0, 0, sigma);
    const double expected = sigma / std::sqrt(kRate / 2);
    SpectrumAnalyzer analyzer;
    double singleSpread = 0;
    for (const auto& [window, segment, overlap, segments] : cases) {
        const Spectrum s = analyzer.Compute(x, kRate, {window, segment, overlap});
        SCOPED_TRACE(::testing::Message() << "window " << int(window) << " segment " << segment);
        ASSERT_EQ(s.Segments, segments);
        // Mean density (from the mean power) over the band beyond the DC bins.
        const auto first = static_cast<size_t>(ToneHalfWidth(window)) + 1;
        const size_t last = s.Nsd.size() - 1;
        double power = 0;
        double spread = 0;
        for (size_t k = first; k < last; ++k) power += s.Nsd[k] * s.Nsd[k];
        const double mean = std::sqrt(power / static_cast<double>(last - first));
        for (size_t k = first; k < last; ++k) spread += std::pow(s.Nsd[k] / mean - 1, 2);
        spread = std::sqrt(spread / static_cast<double>(last - first));
        EXPECT_NEAR(mean / expected, 1.0, 0.03);
        EXPECT_FALSE(AnalyseSine(s).StandsOut) << "noise alone is no tone";
        if (segment == 0)
            singleSpread = std::max(singleSpread, spread);
        else // averaging k segments narrows the scatter of the bins by about √k
            EXPECT_LT(spread, 0.5 * singleSpread);
    }
}

TEST(Spectrum, HarmonicGivesThdAndSfdr) {
    // The 2nd and 3rd harmonics of the last two sines fold back below the fundamental.
    const std::tuple<W, double, int, double, double> cases[] = {
        {W::BlackmanHarris7, 3001, 2, -60, 6002},
        {W::BlackmanHarris7, 1234.56, 2, -85, 2469.12},
        {W::Hann, 3001, 2, -70, 6002},
        {W::Rectangular, 4096, 3, -50, 12288},
        {W::BlackmanHarris7, 26214.4, 2, -75, 65536 - 52428.8},
        {W::BlackmanHarris7, 19660.8, 3, -65, 65536 - 58982.4},
    };
    SpectrumAnalyzer analyzer;
    for (const auto& [window, cycles, harmonic, levelDbc, foldedCycles] : cases) {
        const auto x = Capture(0.9, cycles, 1e-7, harmonic, levelDbc);
        const SineMetrics m = AnalyseSine(analyzer.Compute(x, kRate, {window}));
        SCOPED_TRACE(::testing::Message() << "window " << int(window) << " at " << cycles);
        ASSERT_TRUE(m.Found);
        const auto h = static_cast<size_t>(harmonic - kFirstHarmonic);
        EXPECT_NEAR(m.HarmonicHz[h], foldedCycles * kBin, 0.05 * kBin);
        EXPECT_NEAR(m.ThdDb, levelDbc, 0.05);
        EXPECT_NEAR(m.SfdrDb, -levelDbc, 0.05);
        EXPECT_NEAR(m.SpurHz, foldedCycles * kBin, 1.0 * kBin);
        EXPECT_LT(m.SinadDb, -levelDbc + 0.01);
    }
}

} // namespace
} // namespace qn
