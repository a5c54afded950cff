// The temperature test's result files: the summary (A), the per-step statistics (B), the
// multimeter file and the full data file of one capture, as texts and as atomic writes.
#pragma once

#include "analysis/AnalysisStore.h"
#include "run/TempTestData.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

inline constexpr const char* kTempAFile = "QnTEMPA.CSV";
inline constexpr const char* kTempBFile = "QnTEMPB.CSV";
inline constexpr const char* kTempBFallback = "QnTEMPFOVER.CSV";
inline constexpr const char* kMeterFile = "QnTEMPBryMen.CSV";
inline constexpr const char* kMeterFallback = "QnTEMPBryMenOVER.CSV";
inline constexpr const char* kFullDataFolder = "TEMP/";

// The file contents, CR LF lines, headings in code page 950. Data lines run over the temperature
// rows 1..TempCount and, inside each row, over the steps 1..StepCount.
std::string TempAFileText(const TempResults& results);
// `alternate`: the box "交替測量ADC與溫度" is checked, so the fourteen statistics are written.
std::string TempBFileText(const TempResults& results, bool alternate);
std::string MeterFileText(const TempResults& results);
// The same texts in parts: the heading lines, and the data line of one row and step.
std::string TempBFileHeading(bool alternate);
std::string TempBFileLine(const TempResults& results, size_t row, size_t step, bool alternate);
std::string MeterFileHeading();
std::string MeterFileLine(const TempResults& results, size_t row, size_t step);

// Calls `fn(row, step)` for every data line of the result files, rows outer and steps inner.
template <typename Fn> void ForEachStep(const TempResults& results, Fn fn) {
    for (size_t row = 1; row <= results.TempCount(); ++row)
        for (size_t step = 1; step <= results.StepCount(); ++step) fn(row, step);
}
// The complete rows of 16 samples of `adc`, its heading and seven figures; with `temperature`
// (the alternate measurement) the capture codes with no decimals instead of the grid integers,
// then the same block for the temperature channel.
std::string FullDataFileText(const AnalysisStore& adc, const AnalysisStore* temperature);

// The comma-separated cells of a result file's line, blanks around each removed.
std::vector<std::string_view> ResultLineCells(std::string_view line);

// A multimeter reading in the pattern "#####.########".
std::string MeterReadingText(double reading);

// The path written, or the reason nothing was written.
struct ResultFileWrite {
    std::string Path;
    std::string Error;
    bool Ok() const { return Error.empty(); }
};

// Each writer replaces its file in `folder` atomically. The B and multimeter files fall back to
// their "OVER" names when the main file cannot be replaced (held read-only, or not a file).
ResultFileWrite WriteTempAFile(const std::string& folder, const TempResults& results);
ResultFileWrite WriteTempBFile(const std::string& folder, const TempResults& results,
                               bool alternate);
ResultFileWrite WriteMeterFile(const std::string& folder, const TempResults& results);
// The same, of texts made already, in pieces (a `ResultFileLines`).
ResultFileWrite WriteTempBText(const std::string& folder, std::span<const std::string_view> pieces);
ResultFileWrite WriteMeterText(const std::string& folder, std::span<const std::string_view> pieces);
// Writes "QnTMP-<counter>.CSV" into "TEMP/" under `programDir`, creating the folder; the error
// is "Cannot create " followed by the folder when it cannot be created.
ResultFileWrite WriteFullDataFile(const std::string& programDir, int counter,
                                  const AnalysisStore& adc, const AnalysisStore* temperature);
// The number after the highest n of the files QnTMP-n.CSV in "TEMP/" under `programDir`; 0 when
// there is none (or no folder).
size_t NextFreeFullFileNumber(const std::string& programDir);

} // namespace qn
