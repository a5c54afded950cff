// Tests of the capture spectrum: window corrections, noise density, Welch averaging, sine figures.
#include "analysis/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace qn {
namespace {

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
