// Histogram of scaled codes: one bin per code for a narrow spread, automatic bins for a wide one.
#include "analysis/Histogram.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qn {

namespace {

constexpr double kOutsideSigmas = 3.3;

bool AllWhole(std::span<const double> values) {
    return std::all_of(values.begin(), values.end(),
                       [](double v) { return v == std::nearbyint(v); });
}

// Freedman–Diaconis bin count, 2·IQR·N^(−1/3) wide; √N when the quartiles coincide.
size_t AutomaticBins(std::span<const double> values, double range, size_t maxBins) {
    const auto n = static_cast<double>(values.size());
    std::vector<double> sorted(values.begin(), values.end());
    const auto quartile = [&](size_t q) {
        const auto at = sorted.begin() + std::ptrdiff_t(q * (sorted.size() - 1) / 4);
        std::nth_element(sorted.begin(), at, sorted.end());
        return *at;
    };
    const double iqr = quartile(3) - quartile(1);
    double bins = std::ceil(std::sqrt(n));
    if (iqr > 0) bins = std::ceil(range / (2 * iqr / std::cbrt(n)));
    return std::clamp<size_t>(static_cast<size_t>(bins), 1, std::max<size_t>(maxBins, 1));
}

} // namespace

Histogram ComputeHistogram(std::span<const double> values, const HistogramOptions& options) {
    Histogram h;
    h.Samples = values.size();
    if (values.empty()) return h;
    const auto n = static_cast<double>(values.size());
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    const double min = *low;
    const double max = *high;
    h.PeakToPeak = max - min;

    double sum = 0;
    for (double v : values) sum += v;
    h.Mean = sum / n;
    double squares = 0;
    for (double v : values) squares += (v - h.Mean) * (v - h.Mean);
    h.Sigma = std::sqrt(squares / n);
    h.SixPointSixSigma = 6.6 * h.Sigma;
    const double limit = kOutsideSigmas * h.Sigma;
    h.OutsideCount = static_cast<size_t>(std::count_if(
        values.begin(), values.end(), [&](double v) { return std::fabs(v - h.Mean) > limit; }));

    size_t bins = 0;
    h.PerCode = h.PeakToPeak + 1 <= static_cast<double>(options.MaxCodeBins) && AllWhole(values);
    if (h.PerCode) {
        bins = static_cast<size_t>(h.PeakToPeak) + 1;
        h.BinWidth = 1;
        h.FirstEdge = min - 0.5;
    } else if (h.PeakToPeak == 0) {
        bins = 1; // one repeated fraction
        h.FirstEdge = min - 0.5;
    } else {
        bins = AutomaticBins(values, h.PeakToPeak, options.MaxBins);
        h.BinWidth = h.PeakToPeak / static_cast<double>(bins);
        h.FirstEdge = min;
    }

    h.Count.assign(bins, 0);
    for (double v : values) {
        const double at = std::floor((v - h.FirstEdge) / h.BinWidth);
        const auto bin = std::min(static_cast<size_t>(std::max(at, 0.0)), bins - 1);
        ++h.Count[bin];
    }

    h.Centre.resize(bins);
    h.Gaussian.assign(bins, 0.0);
    for (size_t b = 0; b < bins; ++b)
        h.Centre[b] = h.FirstEdge + (static_cast<double>(b) + 0.5) * h.BinWidth;
    if (h.Sigma > 0) {
        const double peak = n * h.BinWidth / (h.Sigma * std::sqrt(2 * std::numbers::pi));
        for (size_t b = 0; b < bins; ++b) {
            const double z = (h.Centre[b] - h.Mean) / h.Sigma;
            h.Gaussian[b] = peak * std::exp(-0.5 * z * z);
        }
    } else {
        h.Gaussian[0] = n; // every sample on one code: the Gaussian collapses onto it
    }
    return h;
}

std::vector<double> ScaledSamples(const AnalysisStore& store) {
    const auto count =
        static_cast<size_t>(std::clamp<int32_t>(store.SampleCount, 0, kSampleCapacity));
    std::vector<double> values(count);
    for (size_t i = 0; i < count; ++i) values[i] = store.Cells[i].Value;
    return values;
}

} // namespace qn
