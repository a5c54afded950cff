// The temperature test's settings, temperature rows and register step grid, and their rules.
#include "run/TempTestPlan.h"

#include "analysis/FixedText.h"
#include "files/ShownValue.h"
#include "run/TempRunLimits.h"
#include "run/TempRunSettingTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace qn {
namespace {

constexpr size_t kDefaultTempRows = 5;
constexpr double kSetPointEpsilon = 1e-9;

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool HasHexDigit(const std::string& cell) {
    return cell.find_first_of("0123456789ABCDEFabcdef") != std::string::npos;
}

// Why "SET" cannot make rows from the settings: a lowest set point or start that is no number
// or past the limits, or an increment that is no number.
std::string StartRefused(const TempRunSettings& s) {
    const auto named = [&s](std::string TempRunSettings::*field, const std::string& why) {
        return std::string(RunSettingOf(field).Caption) + " " + ShownValue(s.*field) + " " + why;
    };
    const std::optional<SetPointRange> range = RangeWithLowest(s.LowestCelsius);
    if (!range) return named(&TempRunSettings::LowestCelsius, LowestRefused(s.LowestCelsius));
    if (const std::string why = SetPointRefused(s.Start, *range); !why.empty())
        return named(&TempRunSettings::Start, why);
    if (const std::string why = RuleRefused(SettingRule::Number, s.Increment); !why.empty())
        return named(&TempRunSettings::Increment, why);
    return {};
}

// The count of rows from `start` by `increment` lowered so that none passes 150 °C, or the lowest
// set point when counting down; `start` lies within the range.
size_t FittedCount(size_t count, double start, double increment, const SetPointRange& range) {
    const double limit = increment > 0 ? range.Highest : range.Lowest;
    const double last = start + static_cast<double>(count - 1) * increment;
    if (increment > 0 ? last <= limit : last >= limit) return count;
    const double fit = std::floor((limit - start) / increment + kSetPointEpsilon);
    return static_cast<size_t>(std::max(fit, 0.0)) + 1;
}

// The whole cell, spaces and a leading "+" aside, read as one number of type T.
template <typename T> std::optional<T> WholeCell(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    T value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return {};
    return value;
}

} // namespace

std::optional<double> CellNumber(std::string_view text) {
    const std::optional<double> value = WholeCell<double>(text);
    if (value && !std::isfinite(*value)) return {};
    return value;
}

std::optional<long> CellInteger(std::string_view text) {
    return WholeCell<long>(text);
}

TempTestPlan::TempTestPlan() {
    Rows.resize(kDefaultTempRows + 1);
    Rows[0] = {"溫度", "濕度", "溫度斜率", "濕度斜率"};
    RegChg.Cell(0, 0) = "Address";
    RegChg.Cell(kDelayColumn, 0) = "Delay";
    RegChg.Cell(kAcmColumn, 0) = "ACM";
    SetTemperatureRows();
}

std::string TempTestPlan::SetTemperatureRows() {
    if (std::string why = StartRefused(Settings); !why.empty()) return why;
    const long typed = CellInteger(Settings.TempCount).value_or(0);
    const size_t asked = typed < 1 ? 1 : std::min(static_cast<size_t>(typed), kMaxTempRows);
    const double start = *CellNumber(Settings.Start);
    const double increment = *CellNumber(Settings.Increment);
    const size_t count =
        FittedCount(asked, start, increment, *RangeWithLowest(Settings.LowestCelsius));
    Settings.TempCount = std::to_string(count);
    Rows.resize(count + 1);
    for (size_t r = 1; r <= count; ++r) {
        const double temperature = start + static_cast<double>(r - 1) * increment;
        Rows[r] = {TwoDecimals(temperature), TwoDecimals(0), TwoDecimals(0), TwoDecimals(5)};
    }
    return {};
}

size_t TempTestPlan::SetStepRows(StepTable& fluke, StepTable& power) {
    const long typed = CellInteger(Settings.StepRows).value_or(0);
    const bool usable = typed >= 1 && typed <= static_cast<long>(kMaxStepRows);
    const size_t steps = usable ? static_cast<size_t>(typed) : kDefaultStepCount;
    if (!usable) Settings.StepRows = std::to_string(kDefaultStepCount);
    RegChg.Resize(steps);
    for (size_t r = 1; r <= steps; ++r) RegChg.Cell(0, r) = "Value-" + std::to_string(r);
    fluke.Resize(steps);
    power.Resize(steps);
    return steps;
}

size_t TempTestPlan::RegColumns() const {
    size_t columns = 0;
    while (columns < kRegisterColumns && !RegChg.Cell(columns + 1, 0).empty()) ++columns;
    return columns;
}

size_t TempTestPlan::StepCount() const {
    size_t steps = 0;
    while (steps < RegChg.Steps() && HasHexDigit(RegChg.Cell(1, steps + 1))) ++steps;
    return steps;
}

} // namespace qn
