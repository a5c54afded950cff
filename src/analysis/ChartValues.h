// The y values of the analysis window's time-domain chart, from the captured samples.
#pragma once

#include "analysis/AnalysisStore.h"

#include <cstdint>
#include <vector>

namespace qn {

// Which values the chart shows and against what.
struct ChartRequest {
    int32_t Count = 0;       // the first Count samples
    double ElapsedMs = 0;    // duration of the capture; 0 while none has finished
    int32_t ScaleDiv = 1;    // divisor of every value
    bool ChangeMode = false; // change sums instead of the codes
};

// The y values of the chart: the code (or change sum) rounded down, divided by ScaleDiv toward
// zero; a code at or above 2^23 counts as negative 24-bit.
std::vector<double> ChartValues(const AnalysisStore& store, const ChartRequest& request);

// The x of each value: i · ElapsedMs / N, or one unit apart before any capture has finished.
std::vector<double> ChartKeys(size_t count, double elapsedMs);

} // namespace qn
