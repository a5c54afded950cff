// The data file of the analysis window: the grid values in rows of 16 and the noise figures.
#pragma once

#include "analysis/AnalysisStore.h"

#include <string>

namespace qn {

// The file contents: one CR LF line per complete row of 16 samples (each value followed by
// ", "), the heading in code page 950 and the seven figures with two decimals. After averaging
// the values are the block averages as the grid shows them (AveragedCsvText).
std::string AnalysisCsvText(const AnalysisStore& store);

// The same file after averaging: the first `blocks` cells as the grid shows them ("12.50"), so the
// figures can be recomputed from the file; 16 values a line, the last line may be shorter.
std::string AveragedCsvText(const AnalysisStore& store, int32_t blocks);

// Writes the file atomically; false (and the old file untouched) when it cannot be written.
bool SaveAnalysisCsv(const std::string& path, const AnalysisStore& store);

} // namespace qn
