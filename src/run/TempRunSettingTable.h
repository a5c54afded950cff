// The one description of a temperature run's settings: for each its plan file key, the name the
// window and the messages give it, its unit, the rule its text keeps and where it is held. The
// plan file, the window and the limits all read this table.
#pragma once

#include "run/TempTestPlan.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qn {

enum class SettingKind : uint8_t { Text, Flag, Choice };

// What a setting's text must hold; a set point's limits are checked against the whole plan.
enum class SettingRule : uint8_t {
    None,
    Number,      // any number
    TempCount,   // a whole number of rows from 1 to 1000
    StepRows,    // a whole number of steps from 1 to 10000
    Lowest,      // a number from -273.15 to 150 °C
    SoakMinutes, // a whole number of minutes, at most 24 hours
    SupplyDelay, // a whole number of ms, at most 24 hours
    GateWindow,  // minutes above 0, at most 24 hours
    GateCelsius, // a number of °C from 0 to 50
    GateLimit,   // minutes above 0, at most 24 hours (and not shorter than the window)
};

struct RunSetting {
    SettingKind Kind = SettingKind::Text;
    std::string_view Key;     // in the plan file's [run] section
    std::string_view Caption; // in the window, and naming the setting in messages
    std::string_view Unit;    // shown after the window's edit; empty for none
    SettingRule Rule = SettingRule::None;
    bool CheckedAtStart = false; // a run's start refuses the setting when its rule does
    // A stability gate's setting: the plan file writes it only when a gate is chosen, and a run's
    // start checks it only then.
    bool GateOnly = false;
    std::string TempRunSettings::*Text = nullptr;
    bool TempRunSettings::*Flag = nullptr;
    // A choice: its items as the plan file names them and as the window lists them, in the order
    // of the enumeration's values.
    std::span<const std::string_view> FileChoices{};
    std::span<const std::string_view> ShownChoices{};
    int (*GetChoice)(const TempRunSettings&) = nullptr;
    void (*SetChoice)(TempRunSettings&, int) = nullptr;
};

// Every setting, in the order the plan file writes them.
extern const std::array<RunSetting, 21> kRunSettings;

// The setting with plan file key `key`; null for none.
const RunSetting* RunSettingWithKey(std::string_view key);
// The setting held in `text`, or in `flag`; every such field has one.
const RunSetting& RunSettingOf(std::string TempRunSettings::*text);
const RunSetting& RunSettingOf(bool TempRunSettings::*flag);

} // namespace qn
