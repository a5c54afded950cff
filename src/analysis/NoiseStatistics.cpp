#include "analysis/NoiseStatistics.h"

#include "analysis/FixedText.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <numeric>
#include <optional>

namespace qn {

namespace {

constexpr double kTemperatureFactor = 256.0;
constexpr double kDefaultRefVolt = 1.2;

// What the figures are computed from: the mean and deviation of the scaled samples and the
// extremes of the codes.
struct Spread {
    double Mean = 0;
    double Sigma = 0;
    double Min = 0;
    double Max = 0;
};

size_t StoredCount(const AnalysisStore& store) {
    return static_cast<size_t>(std::clamp<int32_t>(store.SampleCount, 0, kSampleCapacity));
}

// The reference voltage in nanovolts; 0 V stands for 1.2 V. None when the text is no number.
std::optional<double> RefVoltNano(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    double volts = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, volts);
    if (text.empty() || result.ec != std::errc{} || result.ptr != end || !std::isfinite(volts))
        return std::nullopt;
    return (volts == 0 ? kDefaultRefVolt : volts) * 1e9;
}

// The codes' extremes; both 0 without samples, so that an empty capture has no spread.
void FindExtremes(const AnalysisStore& store, size_t count, Spread& spread) {
    if (count == 0) return;
    const auto [low, high] =
        std::minmax_element(store.ADCData.begin(), store.ADCData.begin() + std::ptrdiff_t(count));
    spread.Min = *low;
    spread.Max = *high;
}

// Peak-to-peak noise in scaled counts, never 0.
double PeakToPeak(const Spread& spread, int32_t scaleDiv, bool temperature) {
    const double factor = temperature ? kTemperatureFactor : 1.0;
    const double divisor = scaleDiv < 1 ? 1.0 : scaleDiv;
    const double p = std::fabs(std::nearbyint(spread.Max * factor / divisor) -
                               std::nearbyint(spread.Min * factor / divisor));
    return p == 0 ? 1.0 : p;
}

// Full-scale input range in counts times gain: the divisor of the nanovolt figures.
double NanovoltDivisor(const AnalysisInputs& inputs, int32_t bits, bool temperature) {
    if (temperature) return std::ldexp(4.0, 23);
    // A chip file with a zero gain entry would divide by zero; such a gain counts as 1.
    const double gain = inputs.Gain > 0 && std::isfinite(inputs.Gain) ? inputs.Gain : 1.0;
    return std::ldexp(gain, bits - 1);
}

// Writes the panels in their order and stores the figures; stops at a bad reference text.
AnalysisStatus Publish(AnalysisStore& store, const AnalysisInputs& inputs, const Spread& spread,
                       bool temperature) {
    const int32_t bits = inputs.ScaleBits == 0 ? 1 : inputs.ScaleBits;
    const double sigma = spread.Sigma;
    ResultPanels& panels = store.Panels;
    panels.Vrms = TwoDecimals(static_cast<double>(store.SquareSum));
    panels.Average = TwoDecimals(spread.Mean);
    const double enob = sigma > 0 ? bits - std::log2(sigma) : bits;
    panels.Enob = TwoDecimals(enob);
    const auto vref = RefVoltNano(inputs.RefVolt);
    if (!vref)
        return {false, "'" + std::string(inputs.RefVolt) + "' is not a valid floating point value"};
    const double divisor = NanovoltDivisor(inputs, bits, temperature);
    const double rmsNV = *vref * sigma / divisor;
    panels.RmsNoise = TwoDecimals(rmsNV);
    const double p = PeakToPeak(spread, inputs.ScaleDiv, temperature);
    const double noiseFree = sigma > 0 ? bits - std::log2(p) : bits;
    panels.NoiseFree = TwoDecimals(noiseFree);
    const double vppNV = *vref * p / divisor;
    panels.VppNoise = TwoDecimals(vppNV);
    const double unit = temperature ? kTemperatureFactor : 1.0;
    store.Figures = {spread.Mean / unit, vppNV, rmsNV, enob, p / unit, sigma / unit, noiseFree};
    return {};
}

// ADCDiff and ADCChange of the first `count` codes.
void FillDifferences(AnalysisStore& store, size_t count) {
    for (size_t i = 0; i + 1 < count; ++i)
        store.ADCDiff[i] = store.ADCData[i + 1] - store.ADCData[i];
    const auto span = static_cast<size_t>(std::max(store.ChangeSpan, 1));
    for (size_t j = 0; j + span < count; ++j)
        store.ADCChange[j] = store.ADCData[j + span] - store.ADCData[j];
}

// Replaces the codes by the averages of `blocks` blocks of k captured codes; returns their sum.
double AverageBlocks(AnalysisStore& store, size_t k, size_t blocks, int32_t scaleDiv) {
    double sum = 0;
    store.SquareSum = 0;
    for (size_t b = 0; b < blocks; ++b) {
        const auto first = store.ADCRaw.begin() + std::ptrdiff_t(b * k);
        const double average = std::accumulate(first, first + std::ptrdiff_t(k), 0.0) / double(k);
        const double scaled = average / scaleDiv;
        store.ADCData[b] = average;
        sum += average;
        store.Cells[b] = k == 1 ? GridValue{GridValue::Kind::Integer, std::floor(scaled)}
                                : GridValue{GridValue::Kind::Fraction, scaled};
        store.SquareSum += static_cast<long double>(scaled) * scaled;
    }
    return sum;
}

} // namespace

std::optional<double> VoltsPerCount(const AnalysisInputs& inputs) {
    const int32_t bits = inputs.ScaleBits == 0 ? 1 : inputs.ScaleBits;
    const auto vref = RefVoltNano(inputs.RefVolt);
    if (!vref) return std::nullopt;
    return *vref * 1e-9 / NanovoltDivisor(inputs, bits, false);
}

AnalysisStatus ComputeCaptureStatistics(AnalysisStore& store, const AnalysisInputs& inputs) {
    const size_t n = StoredCount(store);
    // A capture that brought no sample has no figures: the panels stay empty instead of showing
    // the bits and the one-count spread of a noise that was never measured.
    if (n == 0) {
        store.Panels = {};
        store.Figures = {};
        return {};
    }
    FillDifferences(store, n);
    Spread spread;
    spread.Mean = store.SampleSum;
    double squares = 0;
    const double factor = store.Temperature ? kTemperatureFactor : 1.0;
    for (size_t i = 0; i < n; ++i) {
        const double deviation = store.Cells[i].Value * factor - spread.Mean;
        squares += deviation * deviation;
    }
    spread.Sigma = std::sqrt(squares / double(n));
    FindExtremes(store, n, spread);
    return Publish(store, inputs, spread, store.Temperature);
}

AnalysisStatus ReCalADC(AnalysisStore& store, const AnalysisInputs& inputs, int32_t k,
                        int32_t nPoint) {
    if (store.SampleCount < 1) return {};
    const auto length = static_cast<size_t>(std::max(k, 1));
    const size_t count = StoredCount(store);
    const size_t blocks = count / length;
    if (blocks == 0)
        return {false, "Too few samples for averaging over " + std::to_string(length) + ": only " +
                           std::to_string(count) + " taken"};
    const int32_t scaleDiv = std::max(inputs.ScaleDiv, 1);
    const auto cleared = static_cast<size_t>(std::clamp<int32_t>(nPoint, 0, kSampleCapacity));
    std::fill_n(store.ADCData.begin(), std::max(cleared, blocks), 0.0);
    std::fill_n(store.Cells.begin(), count, GridValue{});
    store.BlockLength = static_cast<int32_t>(length);
    const double sum = AverageBlocks(store, length, blocks, scaleDiv);
    const auto m = static_cast<double>(blocks);
    store.SquareSum = std::sqrt(store.SquareSum / m);
    Spread spread;
    spread.Mean = sum / scaleDiv / m;
    store.SampleSum = spread.Mean;
    double squares = 0;
    for (size_t b = 0; b < blocks; ++b) {
        const double deviation = store.ADCData[b] / scaleDiv - spread.Mean;
        squares += deviation * deviation;
    }
    spread.Sigma = std::sqrt(squares / m);
    FindExtremes(store, blocks, spread);
    AnalysisStatus status = Publish(store, inputs, spread, false);
    if (status.Ok) store.ChartCount = static_cast<int32_t>(std::bit_floor(blocks));
    return status;
}

} // namespace qn
