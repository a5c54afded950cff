// Tests of the capture histogram: bin choice, counts, fitted Gaussian, 3.3 σ outliers; the bins
// a zoomed chart shows.
#include "analysis/Histogram.h"
#include "analysis/ShownRange.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>

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

} // namespace
} // namespace qn
