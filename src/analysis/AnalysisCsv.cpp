#include "analysis/AnalysisCsv.h"

#include "analysis/FixedText.h"
#include "files/Cp950Text.h"
#include "files/TextFile.h"

#include <algorithm>

namespace qn {

namespace {

constexpr size_t kValuesPerRow = 16;
constexpr std::string_view kHeading =
    "平均值, VPP(nV), RMS Noise(nV), Enob, VPP(count), RMS Noise(count), Noise Free";

void AppendSampleRows(std::string& out, const AnalysisStore& store) {
    const auto count =
        static_cast<size_t>(std::clamp<int32_t>(store.SampleCount, 0, kSampleCapacity));
    for (size_t row = 0; row < count / kValuesPerRow; ++row) {
        std::string line;
        for (size_t column = 0; column < kValuesPerRow; ++column)
            line +=
                std::to_string(store.Cells[row * kValuesPerRow + column].LeadingInteger()) + ", ";
        AppendLine(out, line);
    }
}

void AppendShownRows(std::string& out, const AnalysisStore& store, int32_t blocks) {
    const auto count = static_cast<size_t>(std::clamp<int32_t>(blocks, 0, kSampleCapacity));
    std::string line;
    for (size_t i = 0; i < count; ++i) {
        line += store.Cells[i].Text() + ", ";
        if (i % kValuesPerRow == kValuesPerRow - 1 || i + 1 == count) {
            AppendLine(out, line);
            line.clear();
        }
    }
}

std::string FiguresLine(const NoiseFigures& f) {
    const double values[] = {f.Average,  f.VppNV,    f.RmsNV,    f.Enob,
                             f.VppCount, f.RmsCount, f.NoiseFree};
    std::string line;
    for (const double value : values) line += (line.empty() ? "" : ",") + TwoDecimals(value);
    return line;
}

void AppendFigures(std::string& out, const NoiseFigures& f) {
    AppendLine(out, Utf8ToCp950(kHeading));
    AppendLine(out, FiguresLine(f));
}

} // namespace

std::string AnalysisCsvText(const AnalysisStore& store) {
    if (store.BlockLength > 1) return AveragedCsvText(store, store.SampleCount / store.BlockLength);
    std::string out;
    AppendSampleRows(out, store);
    AppendFigures(out, store.Figures);
    return out;
}

std::string AveragedCsvText(const AnalysisStore& store, int32_t blocks) {
    std::string out;
    AppendShownRows(out, store, blocks);
    AppendFigures(out, store.Figures);
    return out;
}

bool SaveAnalysisCsv(const std::string& path, const AnalysisStore& store) {
    return ReplaceFileContents(path, AnalysisCsvText(store));
}

} // namespace qn
