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
    const struct {
        double Mean, Sigma;
        size_t Count;
        bool Whole, PerCode;
    } cases[] = {
        {-3000, 20, 65536, true, true},   {120, 1.5, 4096, true, true},
        {5000, 2000, 65536, true, false}, {10, 3, 65536, false, false},
        {0, 200, 1000, true, false},
    };
    for (const auto& c : cases) {
        const auto values = GaussianCodes(c.Mean, c.Sigma, c.Count, c.Whole);
        const Histogram h = ComputeHistogram(values);
        const auto n = static_cast<double>(c.Count);
        ASSERT_EQ(h.PerCode, c.PerCode) << c.Sigma;
        EXPECT_EQ(std::accumulate(h.Count.begin(), h.Count.end(), size_t{0}), c.Count) << c.Sigma;
        EXPECT_NEAR(std::accumulate(h.Gaussian.begin(), h.Gaussian.end(), 0.0) / n, 1.0, 0.01)
            << c.Sigma;
        ASSERT_EQ(h.Centre.size(), h.Count.size());
        const auto [low, high] = std::minmax_element(values.begin(), values.end());
        EXPECT_DOUBLE_EQ(h.PeakToPeak, *high - *low);
        if (c.PerCode) {
            EXPECT_EQ(h.Count.size(), static_cast<size_t>(h.PeakToPeak) + 1) << c.Sigma;
            EXPECT_DOUBLE_EQ(h.Centre.front(), *low);
            EXPECT_DOUBLE_EQ(h.Centre.back(), *high);
            // Each code's bin holds exactly the samples of that code.
            const auto mid = static_cast<size_t>(std::lround(c.Mean - *low));
            EXPECT_EQ(h.Count[mid], std::count(values.begin(), values.end(), h.Centre[mid]));
        } else {
            EXPECT_LE(h.Count.size(), HistogramOptions{}.MaxBins) << c.Sigma;
            EXPECT_GT(h.Count.size(), 10u) << c.Sigma;
            EXPECT_NEAR(h.FirstEdge + h.BinWidth * static_cast<double>(h.Count.size()), *high,
                        1e-9 * std::fabs(*high) + 1e-12);
        }
    }
}

TEST(Histogram, CountsSamplesOutsideThreePointThreeSigma) {
    // 96 zeros with ±a pairs: mean 0, σ² = (2·a² + 2·b²) / 100.
    const struct {
        double A, B;
        size_t Outside;
    } cases[] = {
        {10, 1, 2}, // σ ≈ 1.42: 10 is beyond 4.69, 1 within
        {10, 4, 2}, // σ ≈ 1.52: 10 is beyond 5.03, 4 within
        {10, 8, 4}, // σ ≈ 1.81: 8 and 10 both beyond 5.98
        {3, 3, 4},  // σ = 0.6: 3 is beyond 1.98
        {0, 0, 0},  // no spread: nothing outside
    };
    for (const auto& c : cases) {
        std::vector<double> values(96, 0.0);
        values.insert(values.end(), {c.A, -c.A, c.B, -c.B});
        const Histogram h = ComputeHistogram(values);
        const double sigma = std::sqrt((2 * c.A * c.A + 2 * c.B * c.B) / 100);
        EXPECT_EQ(h.OutsideCount, c.Outside) << c.A << " " << c.B;
        EXPECT_NEAR(h.Sigma, sigma, 1e-12);
        EXPECT_EQ(h.Count.size(), static_cast<size_t>(2 * std::max(c.A, c.B)) + 1);
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
    const struct {
        double Lower, Upper;
        IndexRange Shown;
    } cases[] = {
        {-2, 3, {0, 6}},     // the whole histogram
        {-10, 10, {0, 6}},   // zoomed out past both ends
        {-0.5, 1.5, {2, 4}}, // zoomed in
        {0, 1, {2, 4}},      // centres on the edges count
        {1.5, -0.5, {2, 4}}, // the range reversed
        {0.2, 0.8, {3, 3}},  // between two centres: nothing
        {5, 9, {6, 6}},      // panned past the end
        {-9, -5, {0, 0}},    // panned before the start
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShownIndices(centres, c.Lower, c.Upper), c.Shown) << c.Lower << ".." << c.Upper;
    EXPECT_EQ(ShownIndices({}, 0, 1), (IndexRange{0, 0}));
}

} // namespace
} // namespace qn
