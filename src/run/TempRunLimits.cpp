// The temperature run's limits and the one check of a whole plan against them.
#include "run/TempRunLimits.h"

#include "files/ShownValue.h"
#include "run/TempRunSettingTable.h"
#include "run/TempTestPlan.h"

#include <array>
#include <charconv>

namespace qn {
namespace {

constexpr double kHoursPerDay = 24;
constexpr double kMinutesPerDay = kHoursPerDay * 60;
constexpr double kSecondsPerDay = kMinutesPerDay * 60;
constexpr double kMsPerDay = kSecondsPerDay * 1000;
// The widest band or spread a stability gate may be given.
constexpr double kMostGateCelsius = 50;

// The shortest text that reads back as `value` ("-70", "-69.5").
std::string Shortest(double value) {
    std::array<char, 32> text{};
    const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} ? std::string(text.data(), end) : std::string();
}

// "<name> "<value>" <why>", or empty when there is no `why`.
std::string Named(const std::string& name, std::string_view value, const std::string& why) {
    return why.empty() ? why : name + " " + ShownValue(value) + " " + why;
}

// Why a whole number is refused; empty when it lies from 1 to `most`.
std::string CountRefused(std::string_view value, size_t most) {
    const std::optional<long> whole = CellInteger(value);
    if (whole && *whole >= 1 && *whole <= static_cast<long>(most)) return {};
    return "is not a whole number from 1 to " + std::to_string(most);
}

// Why a positive number of minutes is refused; empty when it lies above 0 and within 24 hours.
std::string MinutesRefused(std::string_view value) {
    const std::optional<double> minutes = CellNumber(value);
    if (minutes && *minutes > 0 && *minutes <= kMinutesPerDay) return {};
    return "is not a number of minutes above 0 and at most " + Shortest(kMinutesPerDay) +
           " (24 hours)";
}

std::string RowRefused(const TemperatureRow& header, const TemperatureRow& row, size_t r,
                       const SetPointRange& range) {
    const std::string of = " of row " + std::to_string(r);
    if (std::string why = Named(header.Temperature + of, row.Temperature,
                                SetPointRefused(row.Temperature, range));
        !why.empty())
        return why;
    const std::pair<const std::string*, const std::string*> others[] = {
        {&header.Humidity, &row.Humidity},
        {&header.TemperatureRamp, &row.TemperatureRamp},
        {&header.HumidityRamp, &row.HumidityRamp}};
    for (const auto& [name, cell] : others)
        if (!CellNumber(*cell)) return Named(*name + of, *cell, "is not a number");
    return {};
}

} // namespace

std::optional<SetPointRange> RangeWithLowest(std::string_view lowest) {
    const std::optional<double> value = CellNumber(lowest);
    if (!value || *value < kAbsoluteZeroCelsius || *value > kHighestSetPoint) return std::nullopt;
    return SetPointRange{*value, kHighestSetPoint};
}

std::string LowestRefused(std::string_view lowest) {
    if (RangeWithLowest(lowest)) return {};
    return "is not a number from " + Shortest(kAbsoluteZeroCelsius) + " to " +
           Shortest(kHighestSetPoint) + " °C";
}

std::string SetPointRefused(std::string_view text, const SetPointRange& range) {
    const std::optional<double> value = CellNumber(text);
    if (!value) return "is not a number";
    if (*value > range.Highest) return "is above " + Shortest(range.Highest) + " °C";
    if (*value < range.Lowest)
        return "is below the lowest set point, " + Shortest(range.Lowest) + " °C";
    return {};
}

std::string WaitRefused(std::string_view text, WaitSetting wait) {
    const struct {
        bool Whole;
        double Most;
        const char* Unit;
    } kinds[] = {{true, kMinutesPerDay, "minutes"},
                 {true, kMsPerDay, "ms"},
                 {false, kSecondsPerDay, "seconds"}};
    const auto& kind = kinds[static_cast<size_t>(wait)];
    std::optional<double> value = CellNumber(text);
    if (kind.Whole && !CellInteger(text)) value.reset();
    if (value && *value >= 0 && *value <= kind.Most) return {};
    return std::string("is not a ") + (kind.Whole ? "whole " : "") + "number of " + kind.Unit +
           " from 0 to " + Shortest(kind.Most) + " (24 hours)";
}

std::string RuleRefused(SettingRule rule, std::string_view value) {
    switch (rule) {
    case SettingRule::TempCount:
        return CountRefused(value, kMaxTempRows);
    case SettingRule::StepRows:
        return CountRefused(value, kMaxStepRows);
    case SettingRule::SoakMinutes:
        return WaitRefused(value, WaitSetting::SoakMinutes);
    case SettingRule::SupplyDelay:
        return WaitRefused(value, WaitSetting::SupplyDelayMs);
    case SettingRule::Lowest:
        return LowestRefused(value);
    case SettingRule::GateWindow:
    case SettingRule::GateLimit:
        return MinutesRefused(value);
    case SettingRule::GateCelsius: {
        const std::optional<double> celsius = CellNumber(value);
        if (celsius && *celsius >= 0 && *celsius <= kMostGateCelsius) return {};
        return "is not a number of °C from 0 to " + Shortest(kMostGateCelsius);
    }
    case SettingRule::Number:
        return CellNumber(value) ? "" : "is not a number";
    case SettingRule::None:
        break;
    }
    return {};
}

std::string GateRefused(const TempRunSettings& s) {
    if (s.Gate == SoakRule::Band) return {};
    for (const RunSetting& setting : kRunSettings) {
        if (!setting.GateOnly || setting.Text == nullptr) continue;
        const std::string& value = s.*setting.Text;
        const std::string why = RuleRefused(setting.Rule, value);
        if (!why.empty()) return Named(std::string(setting.Caption), value, why);
    }
    const double limit = *CellNumber(s.GateLimitMinutes);
    const std::pair<std::string TempRunSettings::*, double> shorter[] = {
        {&TempRunSettings::GateMinutes, *CellNumber(s.GateMinutes)},
        {&TempRunSettings::SoakMinutes, CellNumber(s.SoakMinutes).value_or(0)}};
    for (const auto& [field, minutes] : shorter)
        if (limit < minutes)
            return Named(std::string(RunSettingOf(&TempRunSettings::GateLimitMinutes).Caption),
                         s.GateLimitMinutes,
                         "is shorter than " + std::string(RunSettingOf(field).Caption) + " (" +
                             Shortest(minutes) + " min)");
    return {};
}

std::string HoldRefused(const TempRunSettings& settings) {
    const std::optional<SetPointRange> range = RangeWithLowest(settings.LowestCelsius);
    const std::string why = range ? SetPointRefused(settings.HoldCelsius, *range)
                                  : "cannot be checked: the lowest set point " +
                                        ShownValue(settings.LowestCelsius) + " " +
                                        LowestRefused(settings.LowestCelsius);
    return Named(std::string(RunSettingOf(&TempRunSettings::HoldCelsius).Caption),
                 settings.HoldCelsius, why);
}

std::string TemperatureRowRefused(const TempTestPlan& plan, size_t row) {
    const std::string& lowest = plan.Settings.LowestCelsius;
    const std::optional<SetPointRange> range = RangeWithLowest(lowest);
    if (!range) return Named("Lowest set point", lowest, LowestRefused(lowest));
    return RowRefused(plan.Rows[0], plan.Rows.at(row), row, *range);
}

std::string RunLimitsRefused(const TempTestPlan& plan) {
    const TempRunSettings& s = plan.Settings;
    if (plan.TempCount() > kMaxTempRows)
        return std::string(RunSettingOf(&TempRunSettings::TempCount).Caption) + " " +
               std::to_string(plan.TempCount()) + " is above " + std::to_string(kMaxTempRows);
    for (const RunSetting& setting : kRunSettings) {
        if (!setting.CheckedAtStart) continue;
        const std::string& value = s.*setting.Text;
        const std::string why = RuleRefused(setting.Rule, value);
        if (!why.empty()) return Named(std::string(setting.Caption), value, why);
    }
    if (s.HoldChamber) {
        if (std::string why = HoldRefused(s); !why.empty()) return why;
    }
    if (std::string why = GateRefused(s); !why.empty()) return why;
    for (size_t step = 1; step <= plan.StepCount(); ++step) {
        const std::string& delay = plan.RegChg.Cell(kDelayColumn, step);
        const std::string why = WaitRefused(delay, WaitSetting::StepDelaySeconds);
        if (!why.empty()) return Named("Delay of step " + std::to_string(step), delay, why);
    }
    for (size_t r = 1; r <= plan.TempCount(); ++r)
        if (std::string why = TemperatureRowRefused(plan, r); !why.empty()) return why;
    return {};
}

} // namespace qn
