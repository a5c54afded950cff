// Spectrum of a capture in volts: windowed, Welch-averaged power spectrum, noise spectral density
// and the dynamic figures of a captured sine (SNR, SINAD, SFDR, THD, dynamic ENOB).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace qn {

enum class SpectrumWindow : uint8_t {
    BlackmanHarris7, // 7-term Blackman-Harris: sidelobes below -160 dB, for noise and distortion
    // Hann: sidelobes fall 18 dB per octave, so a large sine off a bin centre leaks far enough to
    // hide a noise floor more than about 50 dB below it.
    Hann,
    Rectangular, // no window: exact only for a sine with a whole number of cycles per segment
};

// The window's samples for a segment of `length` (periodic form, as the FFT sees it).
std::vector<double> WindowCoefficients(SpectrumWindow window, size_t length);

// Half width in bins of the bins that count as one tone: the window's main lobe and one bin more.
int32_t ToneHalfWidth(SpectrumWindow window);

struct SpectrumOptions {
    SpectrumWindow Window = SpectrumWindow::BlackmanHarris7;
    // Samples per Welch segment, a power of two; 0 or more than the capture: the whole capture.
    size_t SegmentLength = 0;
    // Share of a segment that the next segment overlaps, 0 to 0.9.
    double Overlap = 0.5;
    // Each segment loses its mean before the window: an ADC's offset would otherwise leak through
    // the window's sidelobes into the noise floor near DC.
    bool RemoveMean = true;
};

// One-sided spectrum, bins 0 .. SegmentLength / 2, averaged over the Welch segments.
struct Spectrum {
    SpectrumWindow Window = SpectrumWindow::BlackmanHarris7;
    double SampleRate = 0; // Hz
    double BinWidth = 0;   // Hz: SampleRate / SegmentLength
    size_t SegmentLength = 0;
    size_t Segments = 0;
    double CoherentGain = 1;       // mean of the window: the amplitude correction
    double Enbw = 1;               // equivalent noise bandwidth in bins: the noise correction
    double Offset = 0;             // mean of the samples, volts
    std::vector<double> Frequency; // Hz, bin × BinWidth
    // V²: a sine on a bin centre reads its RMS value squared in its bin (coherent gain applied).
    std::vector<double> Power;
    // 10·log10(Power): dBV, decibels relative to 1 V RMS. A full-scale sine of the reference
    // voltage Vref reads 20·log10(Vref/√2), so dBFS = dBV − 20·log10(Vref/√2).
    std::vector<double> AmplitudeDbv;
    // Noise spectral density in V/√Hz, the window's ENBW applied: white noise of σ volts reads
    // σ/√(SampleRate/2).
    std::vector<double> Nsd;

    bool Empty() const { return Power.empty(); }
};

// The noise spectral density in nV/√Hz.
std::vector<double> NsdNanovolts(const Spectrum& spectrum);

// Computes spectra and keeps the FFT plans and window samples of every segment length it met, so
// that a second spectrum of the same length pays only for the transform.
class SpectrumAnalyzer {
  public:
    SpectrumAnalyzer();
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
    SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

    // The spectrum of `volts` (referred to the input: already divided by the front-end gain),
    // sampled at `sampleRate` Hz. Empty with fewer than kMinimumLength samples or no rate.
    Spectrum Compute(std::span<const double> volts, double sampleRate,
                     const SpectrumOptions& options = {});
    // The same into `result`, whose arrays are reused: a view that recomputes its spectrum
    // saves the page faults of fresh arrays, which cost more than the transform.
    void Compute(std::span<const double> volts, double sampleRate, const SpectrumOptions& options,
                 Spectrum& result);

    static constexpr size_t kMinimumLength = 16;

  private:
    struct Cache;
    std::unique_ptr<Cache> cache;
};

inline constexpr int32_t kFirstHarmonic = 2;
inline constexpr int32_t kLastHarmonic = 6;

// The dynamic figures of a spectrum holding one sine. Powers in V² (RMS squared), ratios in dB.
struct SineMetrics {
    bool Found = false;
    // The fundamental's peak bin lies 20 dB or more above the median bin around it: a sine, not
    // the largest bin of noise alone (which seldom passes 12 dB above its median).
    bool StandsOut = false;
    double FundamentalHz = 0; // power-weighted centre of the fundamental's bins
    double FundamentalPower = 0;
    double FundamentalDbv = 0; // RMS amplitude in dBV
    // Harmonics 2 .. 6 folded into 0 .. SampleRate/2; a harmonic that lands on DC, on the
    // fundamental or on an earlier harmonic has power 0.
    std::array<double, kLastHarmonic - kFirstHarmonic + 1> HarmonicHz{};
    std::array<double, kLastHarmonic - kFirstHarmonic + 1> HarmonicPower{};
    double NoisePower = 0; // all bins but DC, fundamental and harmonics, over the whole band
    double SpurHz = 0;     // largest tone other than the fundamental (harmonic or not)
    double SpurPower = 0;
    double SnrDb = 0;   // fundamental to noise
    double SinadDb = 0; // fundamental to noise and harmonics
    double SfdrDb = 0;  // fundamental to the largest spur
    double ThdDb = 0;   // harmonics to fundamental, dBc (negative)
    // (SINAD − 1.76) / 6.02, at the sine's amplitude; not the RMS-noise ENOB of the noise figures.
    double DynamicEnob = 0;
};

// The fundamental is the largest bin beyond DC's bins; each tone is the power of its
// ToneHalfWidth bins either side of its centre.
SineMetrics AnalyseSine(const Spectrum& spectrum);

} // namespace qn
