// Texts and atomic writes of the temperature test's result files.
#include "run/TempResultFiles.h"

#include "analysis/FixedText.h"
#include "files/Cp950Text.h"
#include "files/TextFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string_view>

namespace qn {
namespace {

namespace fs = std::filesystem;

constexpr size_t kValuesPerRow = 16;
// No operation gives the comparison value (比較值) a value, so every line carries 0.
constexpr std::string_view kCmp = "0";
// The number after "Test #" in the B file's first line: the A file's 0, as no run number exists.
constexpr std::string_view kBTestNumber = "0";

constexpr std::string_view kFigureHeading =
    "平均值, VPP(nV), RMS Noise(nV), Enob, VPP(count), RMS Noise(count), Noise Free, 比較值";
constexpr std::string_view kAlternateHeading =
    " ,ADC-平均值, ADC-VPP(nV), ADC-RMS Noise(nV), ADC-Enob, ADC-VPP(count), "
    "ADC-RMS Noise(count), ADC-Noise Free, Temp-平均值, Temp-VPP(nV), Temp-RMS Noise(nV), "
    "Temp-Enob, Temp-VPP(count), Temp-RMS Noise(count), Temp-Noise Free, ";
constexpr std::string_view kTempFigureHeading =
    "Temp-平均值, Temp-VPP(nV), Temp-RMS Noise(nV), Temp-Enob, Temp-VPP(count), "
    "Temp-RMS Noise(count), Temp-Noise Free";
// Headers of columns 1 and 2 of the temperature grid.
constexpr std::string_view kTemperatureHeader = "溫度";
constexpr std::string_view kHumidityHeader = "濕度";

void AppendHeading(std::string& out, std::string_view utf8) {
    AppendLine(out, Utf8ToCp950(utf8));
}

std::string Figures(const NoiseFigures& f, std::string_view separator) {
    const double values[] = {f.Average,  f.VppNV,    f.RmsNV,    f.Enob,
                             f.VppCount, f.RmsCount, f.NoiseFree};
    std::string text;
    for (const double value : values) {
        if (!text.empty()) text += separator;
        text += TwoDecimals(value);
    }
    return text;
}

// The seven figures of a step, or seven empty cells when the step has no complete capture: a
// spreadsheet then shows a gap, never a zero that looks measured, and the columns stay in place.
std::string StepFigures(const TempResults& results, size_t row, size_t step, const NoiseFigures& f,
                        std::string_view separator) {
    if (results.Measured(row, step)) return Figures(f, separator);
    std::string text;
    for (int cell = 1; cell < 7; ++cell) text += separator;
    return text;
}

// Calls `line(row, step)` for every data line, rows outer and steps inner.
template <typename LineFn>
void ForEachResult(const TempResults& results, std::string& out, LineFn line) {
    ForEachStep(results, [&](size_t row, size_t step) { AppendLine(out, line(row, step)); });
}

std::string SetPointsText(const TempResults& results, size_t row) {
    return TwoDecimals(results.SetPoint(row)) + ", " + TwoDecimals(results.HumiditySetPoint(row)) +
           ", ";
}

// "%.0f" of a sample code: rounded to an integer, with a point-free text in every locale.
std::string NoDecimals(double value) {
    if (!std::isfinite(value)) return TwoDecimals(value);
    char buffer[400];
    const auto result =
        std::to_chars(std::begin(buffer), std::end(buffer), value, std::chars_format::fixed, 0);
    return std::string(buffer, result.ptr);
}

void AppendSampleRows(std::string& out, const AnalysisStore& store, bool codes) {
    const auto count =
        static_cast<size_t>(std::clamp<int32_t>(store.SampleCount, 0, kSampleCapacity));
    for (size_t row = 0; row < count / kValuesPerRow; ++row) {
        std::string line;
        for (size_t column = 0; column < kValuesPerRow; ++column) {
            const size_t index = row * kValuesPerRow + column;
            line += codes ? NoDecimals(store.ADCData[index])
                          : std::to_string(store.Cells[index].LeadingInteger());
            line += ", ";
        }
        AppendLine(out, line);
    }
}

// A file the user holds (read-only) or a folder with the file's name cannot be replaced.
bool Replaceable(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) return true;
    if (!fs::is_regular_file(status)) return false;
    constexpr fs::perms kWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & kWrite) != fs::perms::none;
}

ResultFileWrite Write(const fs::path& path, std::span<const std::string_view> pieces) {
    if (Replaceable(path) && ReplaceFileContents(path.string(), pieces)) return {path.string(), {}};
    return {path.string(), "Cannot create " + path.string()};
}

ResultFileWrite Write(const fs::path& path, std::string_view contents) {
    return Write(path, std::span<const std::string_view>(&contents, 1));
}

ResultFileWrite WriteWithFallback(const std::string& folder, const char* name, const char* fallback,
                                  std::span<const std::string_view> pieces) {
    ResultFileWrite main = Write(fs::path(folder) / name, pieces);
    return main.Ok() ? main : Write(fs::path(folder) / fallback, pieces);
}

} // namespace

std::string TempAFileText(const TempResults& results) {
    std::string out;
    AppendLine(out, ", , , Test #0, , , ");
    AppendHeading(out, std::string(kTemperatureHeader) + ", " + std::string(kHumidityHeader) +
                           ",  ," + std::string(kFigureHeading));
    ForEachResult(results, out, [&](size_t row, size_t step) {
        return SetPointsText(results, row) + std::to_string(step) + ", " +
               StepFigures(results, row, step, results.Result(row, step).Adc, ", ") + "," +
               std::string(kCmp);
    });
    return out;
}

std::string TempBFileHeading(bool alternate) {
    std::string out;
    AppendLine(out, "Test #" + std::string(kBTestNumber) + ", , , ");
    AppendHeading(out,
                  alternate ? std::string(kAlternateHeading) : " ," + std::string(kFigureHeading));
    return out;
}

std::string TempBFileLine(const TempResults& results, size_t row, size_t step, bool alternate) {
    const StepResult& result = results.Result(row, step);
    std::string line =
        std::to_string(step) + ", " + StepFigures(results, row, step, result.Adc, ", ");
    line += alternate ? ", " + StepFigures(results, row, step, result.Temperature, ", ")
                      : "," + std::string(kCmp);
    std::string out;
    AppendLine(out, line);
    return out;
}

std::string TempBFileText(const TempResults& results, bool alternate) {
    std::string out = TempBFileHeading(alternate);
    ForEachStep(results, [&](size_t row, size_t step) {
        out += TempBFileLine(results, row, step, alternate);
    });
    return out;
}

std::string MeterFileHeading() {
    std::string first = ", , ";
    for (size_t channel = 0; channel < kMeterChannels; ++channel)
        first += ", Test #" + std::to_string(channel) + ", , ";
    std::string out;
    AppendLine(out, first);
    return out;
}

std::string MeterFileLine(const TempResults& results, size_t row, size_t step) {
    std::string line = SetPointsText(results, row);
    for (size_t channel = 0; channel < kMeterChannels; ++channel) {
        const MeterReading& meter = results.Meter(row, step, channel);
        line += ", " + std::to_string(step) + ", " + MeterReadingText(meter.Reading) + ", " +
                Utf8ToCp950(meter.Unit);
    }
    std::string out;
    AppendLine(out, line);
    return out;
}

std::string MeterFileText(const TempResults& results) {
    std::string out = MeterFileHeading();
    ForEachStep(results,
                [&](size_t row, size_t step) { out += MeterFileLine(results, row, step); });
    return out;
}

std::string FullDataFileText(const AnalysisStore& adc, const AnalysisStore* temperature) {
    std::string out;
    AppendSampleRows(out, adc, temperature != nullptr);
    AppendHeading(out, kFigureHeading);
    AppendLine(out, Figures(adc.Figures, ",") + "," + std::string(kCmp));
    if (temperature != nullptr) {
        AppendSampleRows(out, *temperature, true);
        AppendHeading(out, kTempFigureHeading);
        AppendLine(out, Figures(temperature->Figures, ","));
    }
    return out;
}

std::vector<std::string_view> ResultLineCells(std::string_view line) {
    const auto trimmed = [](std::string_view text) {
        while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
        while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
        return text;
    };
    std::vector<std::string_view> cells;
    for (size_t comma = line.find(','); comma != std::string_view::npos; comma = line.find(',')) {
        cells.push_back(trimmed(line.substr(0, comma)));
        line.remove_prefix(comma + 1);
    }
    cells.push_back(trimmed(line));
    return cells;
}

// Up to eight decimals with trailing zeros and a trailing point dropped; values below 1 keep
// their leading "0" ("0.5") and zero is written "0", so every cell holds a number.
std::string MeterReadingText(double reading) {
    if (!std::isfinite(reading)) return TwoDecimals(reading);
    char buffer[400];
    const auto result =
        std::to_chars(std::begin(buffer), std::end(buffer), reading, std::chars_format::fixed, 8);
    std::string text(buffer, result.ptr);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

ResultFileWrite WriteTempAFile(const std::string& folder, const TempResults& results) {
    return Write(fs::path(folder) / kTempAFile, TempAFileText(results));
}

ResultFileWrite WriteTempBFile(const std::string& folder, const TempResults& results,
                               bool alternate) {
    const std::string text = TempBFileText(results, alternate);
    const std::string_view whole = text;
    return WriteTempBText(folder, {&whole, 1});
}

ResultFileWrite WriteMeterFile(const std::string& folder, const TempResults& results) {
    const std::string text = MeterFileText(results);
    const std::string_view whole = text;
    return WriteMeterText(folder, {&whole, 1});
}

ResultFileWrite WriteTempBText(const std::string& folder,
                               std::span<const std::string_view> pieces) {
    return WriteWithFallback(folder, kTempBFile, kTempBFallback, pieces);
}

ResultFileWrite WriteMeterText(const std::string& folder,
                               std::span<const std::string_view> pieces) {
    return WriteWithFallback(folder, kMeterFile, kMeterFallback, pieces);
}

ResultFileWrite WriteFullDataFile(const std::string& programDir, int counter,
                                  const AnalysisStore& adc, const AnalysisStore* temperature) {
    const fs::path folder = fs::path(programDir) / kFullDataFolder;
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder, error)) return {{}, "Cannot create " + folder.string()};
    return Write(folder / ("QnTMP-" + std::to_string(counter) + ".CSV"),
                 FullDataFileText(adc, temperature));
}

size_t NextFreeFullFileNumber(const std::string& programDir) {
    constexpr std::string_view prefix = "QnTMP-";
    constexpr std::string_view suffix = ".CSV";
    size_t next = 0;
    std::error_code error;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(programDir) / kFullDataFolder, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(prefix) || !name.ends_with(suffix)) continue;
        const std::string_view digits = std::string_view(name).substr(
            prefix.size(), name.size() - prefix.size() - suffix.size());
        size_t number = 0;
        const auto [end, failed] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        // Numbers past what a counter can name are someone else's files.
        const bool whole = failed == std::errc() && end == digits.data() + digits.size();
        if (whole && !digits.empty() && number < INT32_MAX) next = std::max(next, number + 1);
    }
    return next;
}

} // namespace qn
