// The results of a temperature run as series over the chamber temperature, one per register step,
// read from the run journal or from the summary file QnTEMPA.CSV, for the results chart.
#pragma once

#include "run/RunJournal.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

// The figures the chart can show for each measured point.
enum class TempFigure { Mean, RmsNoise, Enob };

struct TempPoint {
    double Celsius = 0;  // the chamber's reading, or the row's set point without one
    double Mean = 0;     // "平均值"
    double RmsNoise = 0; // "RMS Noise(nV)"
    double Enob = 0;
    double BoardCelsius = NAN; // the board's own reading; NaN without one (and from an A file)
    double Value(TempFigure figure) const;
};

// One register step's points in the order the run measured its rows.
struct TempStepSeries {
    size_t Step = 0;
    std::vector<TempPoint> Points;
};

// The series of one run, steps in ascending order; Error names what could not be read.
struct TempRun {
    std::vector<TempStepSeries> Steps;
    std::string Error;
    bool Ok() const { return Error.empty(); }
};

// The final attempt of every row and step of the journal; steps without one are left out.
TempRun SeriesFromJournal(const RunJournalContents& journal);
// The data lines of an A file's text; a step whose seven figures are all zero was never measured
// and is left out. A text that is not an A file gives an error naming the line.
TempRun SeriesFromAFile(std::string_view text);
// A journal or an A file, told apart by their contents.
TempRun ReadTempRun(const std::string& path);

} // namespace qn
