// The noise table: every gain and data rate of the selected chip swept with a capture at each
// point, reduced to RMS and peak-to-peak noise and resolution, and written as datasheets print it.
#pragma once

#include "shell/Bench.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qn {

// Samples captured at each point when the request names no count.
inline constexpr int32_t kDefaultNoiseSamples = 1024;

// One column: a "PGA" × "ADGN" setting and the total gain the statistics divide by.
struct NoiseGain {
    uint32_t Pga = 0; // field values
    uint32_t Adgn = 0;
    double Gain = 1;   // GetGain with these values, "FSRB" as the chip holds it
    std::string Label; // "x16 (PGA 4 ADGN 0)"
};

// One row: an "OSR" (× "HS") setting and its output rate.
struct NoiseRate {
    uint32_t Osr = 0;
    uint32_t Hs = 0;
    int Sps = 0;       // conversions per second, as the ADC panel shows them
    std::string Label; // "2560 sps"
};

// The figures of one point, all referred to the chip's input.
struct NoiseCell {
    bool Measured = false;
    double RmsNV = 0;
    double VppNV = 0;
    double EffectiveBits = 0; // log2(FSR / RMS)
    double NoiseFreeBits = 0; // log2(FSR / p-p)
};

// Rows are data rates (slowest first), columns gains (smallest first).
struct NoiseTable {
    std::vector<NoiseRate> Rates;
    std::vector<NoiseGain> Gains;
    std::vector<NoiseCell> Cells; // Rates.size() × Gains.size(), row by row

    NoiseCell& At(size_t rate, size_t gain) { return Cells[rate * Gains.size() + gain]; }
    const NoiseCell& At(size_t rate, size_t gain) const {
        return Cells[rate * Gains.size() + gain];
    }
};

struct NoiseSweepRequest {
    int32_t Samples = kDefaultNoiseSamples;
    // Item texts of "INP" and "INN" as the ADC panel lists them; empty: the first input on both
    // sides, a shorted input.
    std::string Inp;
    std::string Inn;
    // Only these output rates in conversions per second; empty: every rate.
    std::vector<int> Rates;
};

struct NoiseSweepResult {
    enum class Outcome : uint8_t { Complete, Stopped, Failed };
    Outcome End = Outcome::Failed;
    std::string Message; // why it failed
    NoiseTable Table;    // the points measured before the end
    int Measured = 0;
};

class NoiseSweep {
  public:
    // The sweep captures into a store of its own: the analysis window's capture, figures,
    // chart and data file stay as they were.
    explicit NoiseSweep(Bench& bench) : bench_(bench), capture_(bench.Capture, samples_) {}

    // Sweeps the selected chip while holding the link; the register bytes it writes are
    // written back as they were however the sweep ends.
    NoiseSweepResult Run(const NoiseSweepRequest& request);
    // The running sweep ends: its capture stops and no further point is measured.
    void Stop() {
        stop_ = true;
        capture_.Stop();
    }
    // The samples and noise figures of the point measured last.
    const AnalysisStore& LastCapture() const { return samples_; }

    // Told once the rows and columns are known, before the first point is measured.
    std::function<void(const NoiseTable& table)> Planned;
    // Told after every measured point: its number from 1, the point count, and the table with
    // the point's row and column.
    std::function<void(int point, int total, const NoiseTable& table, size_t rate, size_t gain)>
        Progress;

  private:
    Bench& bench_;
    AnalysisStore samples_;
    AdcCapture capture_;
    bool stop_ = false;
};

// The four blocks (RMS nV, p-p nV, effective bits, noise-free bits), each a heading line, a
// header row of gains and a row per data rate; CR LF lines, unmeasured points left empty.
std::string NoiseTableCsv(const NoiseTable& table);
// Writes NoiseTableCsv atomically; false when the file cannot be written.
bool SaveNoiseTableCsv(const std::string& path, const NoiseTable& table);

} // namespace qn
