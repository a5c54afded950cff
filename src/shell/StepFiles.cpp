// Saving and loading the register, delay, reference-voltage, calibrator and supply step files.
#include "shell/StepFiles.h"

#include "files/Cp950Text.h"
#include "files/NumberText.h"
#include "files/TextFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string_view>

namespace qn {
namespace {

namespace fs = std::filesystem;

constexpr size_t kRegisterField = 4;
constexpr size_t kDelayField = 6;
constexpr size_t kStepField = 4;

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The characters of `text` that `keep` accepts, in their order.
template <typename Keep> std::string Kept(std::string_view text, Keep keep) {
    std::string kept;
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept), keep);
    return kept;
}

std::string_view Field(std::string_view line, size_t start, size_t width) {
    return line.substr(std::min(start, line.size()), width);
}

// Right-aligned in `width` bytes of code page 950; a longer text is kept whole.
std::string Padded(const std::string& utf8, size_t width) {
    std::string text = Utf8ToCp950(utf8);
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

std::string PathIn(const std::string& folder, const char* name) {
    return (fs::path(folder) / name).string();
}

std::string Save(const std::string& path, const std::string& contents) {
    return ReplaceFileContents(path, contents) ? std::string()
                                               : "Cannot create file \"" + path + "\"";
}

// The decimal text of digits only ("0015" gives "15"); none for any other text.
std::optional<std::string> DecimalText(const std::string& kept) {
    uint64_t value = 0;
    const char* end = kept.data() + kept.size();
    if (kept.empty() || !std::all_of(kept.begin(), kept.end(), IsDigit)) return std::nullopt;
    const auto result = std::from_chars(kept.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
    return std::to_string(value);
}

// The shortest decimal text of a number such as "2.4" or "1e3" ("1000"); none when the text is
// not a finite number.
std::optional<std::string> NumberText(const std::string& kept) {
    double value = 0;
    const char* end = kept.data() + kept.size();
    const auto result = std::from_chars(kept.data(), end, value, std::chars_format::general);
    if (kept.empty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(value))
        return std::nullopt;
    char buffer[400];
    const auto written =
        std::to_chars(std::begin(buffer), std::end(buffer), value, std::chars_format::fixed);
    return std::string(buffer, written.ptr);
}

// Column `column` of row s from line s of the file (its first six bytes through `keep` and
// `convert`); rows up to `stepCount` without a usable line get `fallback`.
template <typename Keep, typename Convert>
void ReadColumnLines(const std::vector<std::string>& lines, RegisterStepGrid& grid, size_t column,
                     size_t stepCount, Keep keep, Convert convert, const char* fallback) {
    const size_t rows = grid.Steps();
    size_t s = 1;
    for (; s <= lines.size() && s <= rows; ++s)
        grid.Cell(column, s) =
            convert(Kept(Field(lines[s - 1], 0, kDelayField), keep)).value_or(fallback);
    for (; s <= std::min(stepCount, rows); ++s) grid.Cell(column, s) = fallback;
}

void ClearStepTable(StepTable& table) {
    for (size_t r = 1; r <= table.Steps(); ++r) table.Row(r) = StepRow{};
}

} // namespace

RegisterCounts CountRegisterSteps(const RegisterStepGrid& grid, HeaderRule rule) {
    RegisterCounts counts;
    for (size_t i = 1; i <= kRegisterColumns; ++i) {
        const std::string& header = grid.Cell(i, 0);
        const bool used = rule == HeaderRule::NonZeroHex ? ParseHex(header) != 0 : !header.empty();
        if (!used) break;
        counts.RegColumns = i;
    }
    for (size_t r = 1; r <= grid.Steps(); ++r) {
        if (Kept(grid.Cell(1, r), IsHexDigit).empty()) break;
        counts.StepCount = r;
    }
    return counts;
}

std::string SaveReg(const std::string& programDir, const RegisterStepGrid& grid,
                    RegisterCounts& counts) {
    counts = CountRegisterSteps(grid, HeaderRule::NonZeroHex);
    std::string registers;
    std::string delays;
    std::string references;
    for (size_t r = 0; r <= counts.StepCount; ++r) {
        std::string line;
        for (size_t i = 1; i <= kRegisterColumns; ++i)
            line += i <= counts.RegColumns ? Padded(grid.Cell(i, r), kRegisterField)
                                           : std::string(kRegisterField, ' ');
        AppendLine(registers, line);
        if (r == 0) continue;
        AppendLine(delays, Padded(grid.Cell(kDelayColumn, r), kDelayField));
        AppendLine(references, Padded(grid.Cell(kAcmColumn, r), kDelayField));
    }
    std::string error = Save(PathIn(programDir, kRegisterFile), registers);
    if (error.empty()) error = Save(PathIn(programDir, kDelayFile), delays);
    if (error.empty()) error = Save(PathIn(programDir, kAcmFile), references);
    return error;
}

void RegDownloadLines(const std::vector<std::string>& lines, RegisterStepGrid& grid,
                      StatusBar& status, EventPump& events) {
    for (size_t n = 0; n < lines.size() && n <= grid.Steps(); ++n) {
        for (size_t i = 1; i <= kRegisterColumns; ++i) {
            std::string kept =
                Kept(Field(lines[n], kRegisterField * (i - 1), kRegisterField), IsHexDigit);
            if (!kept.empty()) grid.Cell(i, n) = std::move(kept);
        }
        if (n + 1 > grid.Steps()) break;
        events.Pump();
        status.SetPanelText(StatusPanel::Bridge,
                            "Download Register Value - " + std::to_string(n + 1));
    }
}

void ReadDelayLines(const std::vector<std::string>& lines, RegisterStepGrid& grid,
                    size_t stepCount) {
    ReadColumnLines(lines, grid, kDelayColumn, stepCount, IsHexDigit, DecimalText, kDefaultDelay);
}

void ReadAcmLines(const std::vector<std::string>& lines, RegisterStepGrid& grid, size_t stepCount) {
    const auto keep = [](char c) { return c == '.' || IsHexDigit(c); };
    ReadColumnLines(lines, grid, kAcmColumn, stepCount, keep, NumberText, kDefaultAcm);
}

RegDownloadResult DownloadReg(const std::string& programDir, RegisterStepGrid& grid,
                              StatusBar& status, EventPump& events) {
    for (size_t r = 1; r <= grid.Steps(); ++r)
        for (size_t c = 1; c < kRegStepColumns; ++c) grid.Cell(c, r).clear();
    RegDownloadResult result;
    const std::string registerPath = PathIn(programDir, kRegisterFile);
    const auto registers = ReadTextLines(registerPath);
    if (!registers) {
        result.Error = "Cannot open file \"" + registerPath + "\"";
        return result;
    }
    RegDownloadLines(*registers, grid, status, events);
    result.Counts = CountRegisterSteps(grid, HeaderRule::NonEmpty);
    const size_t steps = result.Counts.StepCount;
    result.PreviewColumns = steps <= 10 ? steps + 1 : 11;
    result.PreviewRows = steps / 10 + 2;

    const auto delays = ReadTextLines(PathIn(programDir, kDelayFile));
    if (!delays) return result;
    ReadDelayLines(*delays, grid, steps);
    const auto references = ReadTextLines(PathIn(programDir, kAcmFile));
    if (!references) return result;
    ReadAcmLines(*references, grid, steps);
    status.SetPanelText(StatusPanel::Bridge, "Download Register Value OK !!!");
    return result;
}

void ReadStepLines(const std::vector<std::string>& lines, StepTable& table, bool skipOff) {
    size_t row = 1;
    for (const std::string& line : lines) {
        if (row > table.Steps()) break;
        std::string step = Kept(Field(line, 0, kStepField), IsHexDigit);
        if (skipOff) {
            const std::optional<std::string> number = DecimalText(step);
            if (!number || *number == "0") continue;
        }
        table.Row(row).Step = std::move(step);
        table.Row(row).Input = Cp950ToUtf8(Field(line, kStepField, std::string_view::npos));
        ++row;
    }
}

std::string StepFileText(const StepTable& table) {
    std::string text;
    for (size_t r = 1; r <= table.Steps(); ++r)
        if (table.StepOn(r))
            AppendLine(text,
                       Padded(table.Row(r).Step, kStepField) + Utf8ToCp950(table.Row(r).Input));
    return text;
}

std::string SaveStepFile(const std::string& path, const StepTable& table) {
    return Save(path, StepFileText(table));
}

void DownloadFluke(const std::string& path, StepTable& table) {
    ClearStepTable(table);
    if (const auto lines = ReadTextLines(path)) ReadStepLines(*lines, table, true);
}

void DownloadPower(const std::string& path, StepTable& table) {
    ClearStepTable(table);
    if (const auto lines = ReadTextLines(path)) ReadStepLines(*lines, table, false);
}

} // namespace qn
