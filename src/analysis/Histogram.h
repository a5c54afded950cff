// Histogram of a capture's scaled codes with the Gaussian of their mean and deviation.
#pragma once

#include "analysis/AnalysisStore.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qn {

struct HistogramOptions {
    // Whole-numbered values whose spread (max − min + 1) is at most this get one bin per code.
    size_t MaxCodeBins = 512;
    // Otherwise Freedman–Diaconis bins (√N when the quartiles coincide), at most this many.
    size_t MaxBins = 512;
};

struct Histogram {
    bool PerCode = false;
    double FirstEdge = 0; // lower edge of the first bin
    double BinWidth = 1;
    std::vector<double> Centre;
    std::vector<uint32_t> Count;
    // The Gaussian of Mean and Sigma at each bin centre, times BinWidth × N: the counts it
    // expects, so that its area matches the sample count.
    std::vector<double> Gaussian;
    size_t Samples = 0;
    double Mean = 0;
    double Sigma = 0; // population deviation, as the noise figures use
    double PeakToPeak = 0;
    double SixPointSixSigma = 0;
    size_t OutsideCount = 0; // samples farther than 3.3 σ from the mean
};

Histogram ComputeHistogram(std::span<const double> values, const HistogramOptions& options = {});

// The scaled values of the capture's grid cells (codes after ScaleDiv, or block averages).
std::vector<double> ScaledSamples(const AnalysisStore& store);

} // namespace qn
