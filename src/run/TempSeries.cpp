// Series of a temperature run's results from its journal or its A file.
#include "run/TempSeries.h"

#include "files/TextFile.h"
#include "run/TempResultFiles.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

namespace qn {
namespace {

// Points by step, then by row: rows are measured in ascending order, so this is the run's order.
using PointTable = std::map<size_t, std::map<size_t, TempPoint>>;

// An A file data line: set point, humidity, step, the seven figures, the comparison value.
constexpr size_t kAFileFields = 11;
constexpr size_t kStepField = 2;
constexpr size_t kFirstFigure = 3;
constexpr size_t kFigureCount = 7;
constexpr std::string_view kAFileFirstLine = ", , , Test #";
// The ASCII part of the heading line, readable whatever its code page.
constexpr std::string_view kAFileHeading = "RMS Noise(nV), Enob";

TempRun Collect(const PointTable& table) {
    TempRun run;
    for (const auto& [step, rows] : table) {
        TempStepSeries series{step, {}};
        for (const auto& [row, point] : rows) series.Points.push_back(point);
        run.Steps.push_back(std::move(series));
    }
    return run;
}

TempPoint PointOf(double celsius, const NoiseFigures& figures) {
    return {celsius, figures.Average, figures.RmsNV, figures.Enob};
}

template <typename T> bool ParseWhole(std::string_view text, T& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

std::string LineError(size_t line, const std::string& what) {
    return "Line " + std::to_string(line) + ": " + what;
}

// Adds one data line's point; the reason when the line is not an A file data line.
std::string ReadDataLine(std::string_view line, size_t number, std::map<size_t, size_t>& rowsSeen,
                         PointTable& table) {
    const std::vector<std::string_view> fields = ResultLineCells(line);
    if (fields.size() != kAFileFields)
        return LineError(number, std::to_string(fields.size()) +
                                     " fields where an A file line has " +
                                     std::to_string(kAFileFields));
    size_t step = 0;
    if (!ParseWhole(fields[kStepField], step) || step == 0)
        return LineError(number, "the step \"" + std::string(fields[kStepField]) +
                                     "\" is not a step number");
    // A step without a complete capture has its seven figure cells empty: no point.
    const auto firstFigure = fields.begin() + kFirstFigure;
    const bool unmeasured = std::all_of(firstFigure, firstFigure + kFigureCount,
                                        [](std::string_view field) { return field.empty(); });
    const size_t parsed = unmeasured ? kFirstFigure : kFirstFigure + kFigureCount;
    double values[kFirstFigure + kFigureCount]{};
    for (size_t i = 0; i < parsed; ++i)
        if (i != kStepField && !ParseWhole(fields[i], values[i]))
            return LineError(number, "field " + std::to_string(i + 1) + " \"" +
                                         std::string(fields[i]) + "\" is not a number");
    const size_t row = ++rowsSeen[step];
    const NoiseFigures figures{values[3], values[4], values[5], values[6],
                               values[7], values[8], values[9]};
    bool measured = false;
    for (size_t i = kFirstFigure; i < std::size(values); ++i) measured |= values[i] != 0;
    if (measured) table[step][row] = PointOf(values[0], figures);
    return {};
}

} // namespace

double TempPoint::Value(TempFigure figure) const {
    switch (figure) {
    case TempFigure::Mean:
        return Mean;
    case TempFigure::RmsNoise:
        return RmsNoise;
    case TempFigure::Enob:
        return Enob;
    }
    return Mean;
}

TempRun SeriesFromJournal(const RunJournalContents& journal) {
    PointTable table;
    for (const JournalAttempt& a : journal.Attempts) {
        if (!a.Final || !a.Captured) continue;
        const double celsius = std::isfinite(a.ChamberCelsius) ? a.ChamberCelsius : a.SetPoint;
        TempPoint& point = table[a.Step][a.Row] = PointOf(celsius, a.Result.Adc);
        point.BoardCelsius = a.BoardCelsius;
    }
    return Collect(table);
}

TempRun SeriesFromAFile(std::string_view text) {
    const std::vector<std::string_view> lines = SplitTextLines(text);
    if (lines.empty() || lines[0].rfind(kAFileFirstLine, 0) != 0)
        return {{}, LineError(1, "not an A file, whose first line starts \", , , Test #\"")};
    if (lines.size() < 2 || lines[1].find(kAFileHeading) == std::string_view::npos)
        return {{}, LineError(2, "not the heading of an A file")};
    PointTable table;
    std::map<size_t, size_t> rowsSeen;
    for (size_t i = 2; i < lines.size(); ++i) {
        std::string error = ReadDataLine(lines[i], i + 1, rowsSeen, table);
        if (!error.empty()) return {{}, std::move(error)};
    }
    return Collect(table);
}

TempRun ReadTempRun(const std::string& path) {
    std::string text;
    if (!ReadFileContents(path, text)) return {{}, "Cannot read " + path};
    const RunJournalContents journal = ParseRunJournal(text);
    if (journal.HasPlan) return SeriesFromJournal(journal);
    TempRun run = SeriesFromAFile(text);
    if (!run.Ok()) run.Error = path + ": " + run.Error;
    return run;
}

} // namespace qn
