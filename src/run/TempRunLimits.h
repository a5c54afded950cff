// The limits a temperature run keeps: the set points the chamber may be sent, the rows a plan may
// hold and the longest waits. The plan file, the window's edits, grid and "SET", a run's start and
// the hold temperature at a run's end all check them here, before anything moves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qn {

class TempTestPlan;
struct TempRunSettings;
enum class SettingRule : uint8_t;

inline constexpr double kHighestSetPoint = 150.0;
inline constexpr double kDefaultLowestSetPoint = -70.0;
inline constexpr double kAbsoluteZeroCelsius = -273.15;
inline constexpr size_t kMaxTempRows = 1000;

// The set points a run may send to the chamber, in °C.
struct SetPointRange {
    double Lowest = kDefaultLowestSetPoint;
    double Highest = kHighestSetPoint;
};

// The range whose lowest set point is the text `lowest`; empty when that is not a number from
// -273.15 to 150.
std::optional<SetPointRange> RangeWithLowest(std::string_view lowest);

// Why a lowest set point is refused; empty when it is a number from -273.15 to 150 °C.
std::string LowestRefused(std::string_view lowest);

// Why a set point is refused: not a number, above 150 °C or below the range's lowest; empty when
// it lies within `range`.
std::string SetPointRefused(std::string_view text, const SetPointRange& range);

// The waits a plan sets, each at most 24 hours.
enum class WaitSetting { SoakMinutes, SupplyDelayMs, StepDelaySeconds };

// Why a wait is refused (soak and supply delay are whole numbers, the step delay any number),
// naming its unit and bounds; empty when it lies from 0 to 24 hours.
std::string WaitRefused(std::string_view text, WaitSetting wait);

// Why a setting's text is refused by `rule` (TempRunSettingTable.h), naming what it must hold;
// empty when it keeps the rule. Set points are checked against the plan's range elsewhere.
std::string RuleRefused(SettingRule rule, std::string_view value);

// Why the stability gate of `settings` is refused: a setting that breaks its rule, or a limit
// shorter than the window or the soak time, named and quoted; empty for the band rule and for a
// gate that may run.
std::string GateRefused(const TempRunSettings& settings);

// Why the hold temperature of `settings` is refused, named and quoted: not a number or outside
// the limits (a lowest set point that is none refuses it too); empty when the chamber may hold it.
std::string HoldRefused(const TempRunSettings& settings);

// Why temperature row `row` (1 and up) of `plan` is refused, named as the window names its cells:
// a set point outside the plan's limits or a cell that is no number; empty when it may be loaded.
std::string TemperatureRowRefused(const TempTestPlan& plan, size_t row);

// The first setting or cell of `plan` a run would refuse, named as the window names it and with
// its value quoted; empty when the plan keeps every limit.
std::string RunLimitsRefused(const TempTestPlan& plan);

} // namespace qn
