// Windowed, Welch-averaged FFT spectra of captures (FFTW, double precision) and sine figures.
#include "analysis/Spectrum.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <utility>

namespace qn {

namespace {

// Cosine-sum coefficients a0, a1, ... of w(n) = a0 − a1·cos(2πn/N) + a2·cos(4πn/N) − ...
constexpr std::array<double, 7> kBlackmanHarris7 = {
    0.27105140069342, 0.43329793923448, 0.21812299954311, 0.06592544638803,
    0.01081174209837, 0.00077658482522, 0.00001388721735};
constexpr std::array<double, 2> kHann = {0.5, 0.5};

constexpr double kPowerFloor = 1e-30; // −300 dBV: what an empty bin shows in decibels
constexpr double kMaxOverlap = 0.9;

std::vector<double> CosineSum(std::span<const double> terms, size_t length) {
    std::vector<double> w(length);
    const double step = 2 * std::numbers::pi / static_cast<double>(length);
    for (size_t n = 0; n < length; ++n) {
        double sum = 0;
        double sign = 1;
        for (size_t k = 0; k < terms.size(); ++k) {
            sum += sign * terms[k] * std::cos(step * static_cast<double>(k * n));
            sign = -sign;
        }
        w[n] = sum;
    }
    return w;
}

// One FFTW plan with the buffers it was made for.
struct FftPlan {
    explicit FftPlan(size_t length)
        : In(fftw_alloc_real(length)), Out(fftw_alloc_complex(length / 2 + 1)),
          Handle(fftw_plan_dft_r2c_1d(static_cast<int>(length), In, Out, FFTW_ESTIMATE)) {}
    ~FftPlan() {
        fftw_destroy_plan(Handle);
        fftw_free(Out);
        fftw_free(In);
    }
    FftPlan(const FftPlan&) = delete;
    FftPlan& operator=(const FftPlan&) = delete;

    double* In;
    fftw_complex* Out;
    fftw_plan Handle;
};

double Decibels(double ratio) {
    return 10 * std::log10(ratio);
}

} // namespace

std::vector<double> WindowCoefficients(SpectrumWindow window, size_t length) {
    switch (window) {
    case SpectrumWindow::BlackmanHarris7:
        return CosineSum(kBlackmanHarris7, length);
    case SpectrumWindow::Hann:
        return CosineSum(kHann, length);
    case SpectrumWindow::Rectangular:
        break;
    }
    return std::vector<double>(length, 1.0);
}

int32_t ToneHalfWidth(SpectrumWindow window) {
    switch (window) {
    case SpectrumWindow::BlackmanHarris7:
        return 8;
    case SpectrumWindow::Hann:
        return 3;
    case SpectrumWindow::Rectangular:
        break;
    }
    return 2;
}

std::vector<double> NsdNanovolts(const Spectrum& spectrum) {
    std::vector<double> nano(spectrum.Nsd.size());
    std::transform(spectrum.Nsd.begin(), spectrum.Nsd.end(), nano.begin(),
                   [](double v) { return v * 1e9; });
    return nano;
}

struct SpectrumAnalyzer::Cache {
    std::map<size_t, std::unique_ptr<FftPlan>> Plans;
    std::map<std::pair<SpectrumWindow, size_t>, std::vector<double>> Windows;

    FftPlan& PlanFor(size_t length) {
        auto& plan = Plans[length];
        if (!plan) plan = std::make_unique<FftPlan>(length);
        return *plan;
    }
    const std::vector<double>& WindowFor(SpectrumWindow window, size_t length) {
        auto& w = Windows[{window, length}];
        if (w.empty()) w = WindowCoefficients(window, length);
        return w;
    }
};

SpectrumAnalyzer::SpectrumAnalyzer() : cache(std::make_unique<Cache>()) {}
SpectrumAnalyzer::~SpectrumAnalyzer() = default;

Spectrum SpectrumAnalyzer::Compute(std::span<const double> volts, double sampleRate,
                                   const SpectrumOptions& options) {
    Spectrum result;
    Compute(volts, sampleRate, options, result);
    return result;
}

void SpectrumAnalyzer::Compute(std::span<const double> volts, double sampleRate,
                               const SpectrumOptions& options, Spectrum& result) {
    // Keep the arrays' storage, reset everything else.
    Spectrum fresh;
    std::swap(fresh.Frequency, result.Frequency);
    std::swap(fresh.Power, result.Power);
    std::swap(fresh.AmplitudeDbv, result.AmplitudeDbv);
    std::swap(fresh.Nsd, result.Nsd);
    result = std::move(fresh);
    result.Window = options.Window;
    result.SampleRate = sampleRate;
    result.Frequency.clear();
    result.Power.clear();
    result.AmplitudeDbv.clear();
    result.Nsd.clear();
    const size_t count = volts.size();
    if (count < kMinimumLength || !(sampleRate > 0) || !std::isfinite(sampleRate)) return;

    size_t length = options.SegmentLength == 0 ? count : std::min(options.SegmentLength, count);
    length = std::max(length, kMinimumLength);
    const double overlap = std::clamp(options.Overlap, 0.0, kMaxOverlap);
    const auto hop = std::max<size_t>(
        1, static_cast<size_t>(std::lround(static_cast<double>(length) * (1 - overlap))));
    const size_t segments = (count - length) / hop + 1;
    const size_t bins = length / 2 + 1;

    const std::vector<double>& w = cache->WindowFor(options.Window, length);
    FftPlan& plan = cache->PlanFor(length);
    std::vector<double>& power = result.Power;
    power.assign(bins, 0.0);
    for (size_t s = 0; s < segments; ++s) {
        const auto segment = volts.subspan(s * hop, length);
        double mean = 0;
        if (options.RemoveMean) {
            for (double v : segment) mean += v;
            mean /= static_cast<double>(length);
        }
        for (size_t i = 0; i < length; ++i) plan.In[i] = (segment[i] - mean) * w[i];
        fftw_execute(plan.Handle);
        for (size_t k = 0; k < bins; ++k)
            power[k] += plan.Out[k][0] * plan.Out[k][0] + plan.Out[k][1] * plan.Out[k][1];
    }

    double sum = 0;
    double squares = 0;
    for (double v : w) {
        sum += v;
        squares += v * v;
    }
    double offset = 0;
    for (double v : volts) offset += v;

    const auto n = static_cast<double>(length);
    result.SegmentLength = length;
    result.Segments = segments;
    result.BinWidth = sampleRate / n;
    result.CoherentGain = sum / n;
    result.Enbw = n * squares / (sum * sum);
    result.Offset = offset / static_cast<double>(count);
    // |X|² of a sine of amplitude A on a bin centre is (A·Σw/2)²; both sides of the spectrum
    // fold into one, except at DC and Nyquist, so that the bin reads A²/2.
    const double scale = 1 / (sum * sum * static_cast<double>(segments));
    const double density = 1 / (result.Enbw * result.BinWidth);
    result.Frequency.resize(bins);
    result.AmplitudeDbv.resize(bins);
    result.Nsd.resize(bins);
    for (size_t k = 0; k < bins; ++k) {
        const bool unpaired = k == 0 || 2 * k == length;
        power[k] *= unpaired ? scale : 2 * scale;
        result.Frequency[k] = static_cast<double>(k) * result.BinWidth;
        result.AmplitudeDbv[k] = Decibels(std::max(power[k], kPowerFloor));
        result.Nsd[k] = std::sqrt(power[k] * density);
    }
}

namespace {

// Sums the power of the bins centre ± half that no earlier tone took, and marks them taken.
double TakeTone(const Spectrum& spectrum, std::vector<bool>& taken, size_t centre, size_t half) {
    const size_t last = spectrum.Power.size() - 1;
    double sum = 0;
    for (size_t k = centre > half ? centre - half : 0; k <= std::min(centre + half, last); ++k) {
        if (taken[k]) continue;
        taken[k] = true;
        sum += spectrum.Power[k];
    }
    return sum / spectrum.Enbw;
}

// The frequency of a harmonic folded into the first Nyquist zone.
double Folded(double frequency, double sampleRate) {
    const double f = std::fmod(frequency, sampleRate);
    return f > sampleRate / 2 ? sampleRate - f : f;
}

} // namespace

namespace {

// The peak bin at `centre` against the median of the bins within 32 tone widths either side,
// leaving out the tone's own bins and DC's.
bool ToneStandsOut(const std::vector<double>& power, size_t centre, size_t half) {
    constexpr double kStandOutRatio = 100; // 20 dB
    const size_t reach = 32 * (2 * half + 1);
    const size_t from = centre > reach ? centre - reach : 0;
    const size_t to = std::min(power.size() - 1, centre + reach);
    std::vector<double> around;
    for (size_t k = from; k <= to; ++k)
        if (k > half && (k + half < centre || k > centre + half)) around.push_back(power[k]);
    if (around.empty()) return false;
    const auto middle = around.begin() + static_cast<std::ptrdiff_t>(around.size() / 2);
    std::nth_element(around.begin(), middle, around.end());
    return power[centre] >= kStandOutRatio * *middle;
}

} // namespace

SineMetrics AnalyseSine(const Spectrum& spectrum) {
    SineMetrics m;
    const auto half = static_cast<size_t>(ToneHalfWidth(spectrum.Window));
    const size_t bins = spectrum.Power.size();
    if (bins < 4 * half + 2) return m;
    const size_t last = bins - 1;
    const auto& power = spectrum.Power;

    const auto peak = std::max_element(power.begin() + std::ptrdiff_t(half + 1), power.end());
    if (!(*peak > 0)) return m;
    const auto fundamental = static_cast<size_t>(peak - power.begin());

    std::vector<bool> taken(bins, false);
    TakeTone(spectrum, taken, 0, half);
    double weight = 0;
    double moment = 0;
    for (size_t k = fundamental - half; k <= std::min(fundamental + half, last); ++k) {
        weight += power[k];
        moment += power[k] * static_cast<double>(k);
    }
    m.FundamentalHz = moment / weight * spectrum.BinWidth;
    m.FundamentalPower = TakeTone(spectrum, taken, fundamental, half);
    m.FundamentalDbv = Decibels(m.FundamentalPower);
    std::vector<bool> carrier = taken; // DC and fundamental: what a spur cannot be

    double harmonics = 0;
    for (int32_t h = kFirstHarmonic; h <= kLastHarmonic; ++h) {
        const auto i = static_cast<size_t>(h - kFirstHarmonic);
        m.HarmonicHz[i] = Folded(h * m.FundamentalHz, spectrum.SampleRate);
        const auto centre =
            std::min(static_cast<size_t>(std::lround(m.HarmonicHz[i] / spectrum.BinWidth)), last);
        m.HarmonicPower[i] = TakeTone(spectrum, taken, centre, half);
        harmonics += m.HarmonicPower[i];
    }

    // The noise of the bins no tone took, extended over the whole band, which is SegmentLength/2
    // bins of full weight.
    double noiseSum = 0;
    size_t noiseBins = 0;
    size_t spur = 0;
    for (size_t k = 1; k <= last; ++k) {
        if (!taken[k]) {
            noiseSum += power[k];
            ++noiseBins;
        }
        if (!carrier[k] && (spur == 0 || power[k] > power[spur])) spur = k;
    }
    const double bandBins = static_cast<double>(spectrum.SegmentLength) / 2;
    m.NoisePower =
        noiseBins == 0 ? 0 : noiseSum / static_cast<double>(noiseBins) * bandBins / spectrum.Enbw;
    if (spur != 0) {
        m.SpurHz = spectrum.Frequency[spur];
        m.SpurPower = TakeTone(spectrum, carrier, spur, half);
    }

    m.SnrDb = Decibels(m.FundamentalPower / m.NoisePower);
    m.SinadDb = Decibels(m.FundamentalPower / (m.NoisePower + harmonics));
    m.SfdrDb = Decibels(m.FundamentalPower / m.SpurPower);
    m.ThdDb = Decibels(harmonics / m.FundamentalPower);
    m.DynamicEnob = (m.SinadDb - 1.76) / 6.02;
    m.Found = true;
    m.StandsOut = ToneStandsOut(power, fundamental, half);
    return m;
}

} // namespace qn
