// Noise figures of a capture: mean, RMS noise, peak-to-peak noise, ENOB and noise-free bits,
// after a capture and again after averaging blocks of consecutive samples.
#pragma once

#include "analysis/AnalysisStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qn {

struct AnalysisInputs {
    int32_t ScaleDiv = 1;
    int32_t ScaleBits = 23;
    std::string_view RefVolt = "2.4"; // reference voltage in volts, as typed
    double Gain = 1;                  // front-end gain (GetGain)
};

// Outcome of a computation; Message is for the status bar or an error box.
struct AnalysisStatus {
    bool Ok = true;
    std::string Message;
};

// Volts at the input per scaled count, Vref / 2^(ScaleBits − 1) / gain, exactly as the nanovolt
// figures convert; none when the reference text is no number.
std::optional<double> VoltsPerCount(const AnalysisInputs& inputs);

// Differences, change sums and noise figures of the samples just captured. A reference text that
// is no number stops after the ENOB panel and leaves Figures as they were.
AnalysisStatus ComputeCaptureStatistics(AnalysisStore& store, const AnalysisInputs& inputs);

// Recomputes the figures from the captured codes averaged over blocks of k samples (k below 1
// counts as 1); the codes of the capture stay. With fewer than k samples nothing changes.
AnalysisStatus ReCalADC(AnalysisStore& store, const AnalysisInputs& inputs, int32_t k,
                        int32_t nPoint);

} // namespace qn
