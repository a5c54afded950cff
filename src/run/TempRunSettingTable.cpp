// The temperature run's settings described once.
#include "run/TempRunSettingTable.h"

#include <algorithm>
#include <stdexcept>

namespace qn {
namespace {

using S = TempRunSettings;
using enum SettingKind;
using enum SettingRule;

constexpr std::array<std::string_view, 3> kSourceNames = {"ADC+Brymen", "ADC", "Brymen"};
constexpr std::array<std::string_view, 3> kSourceItems = {"ADC & Brymen", "ADC", "Brymen"};
constexpr std::array<std::string_view, 2> kMeasureNames = {"ADC", "Temperature"};
constexpr std::array<std::string_view, 3> kGateNames = {"Band", "Chamber", "Board"};
constexpr std::array<std::string_view, 3> kGateItems = {"Band ±1.5 °C", "Chamber stable",
                                                        "Board stable"};

constexpr RunSetting TextSetting(std::string_view key, std::string_view caption,
                                 std::string S::*field, SettingRule rule,
                                 std::string_view unit = {}, bool checkedAtStart = false) {
    RunSetting setting;
    setting.Key = key;
    setting.Caption = caption;
    setting.Unit = unit;
    setting.Rule = rule;
    setting.CheckedAtStart = checkedAtStart;
    setting.Text = field;
    return setting;
}

constexpr RunSetting GateSetting(std::string_view key, std::string_view caption,
                                 std::string S::*field, SettingRule rule, std::string_view unit) {
    RunSetting setting = TextSetting(key, caption, field, rule, unit);
    setting.GateOnly = true;
    return setting;
}

constexpr RunSetting FlagSetting(std::string_view key, std::string_view caption, bool S::*field) {
    RunSetting setting;
    setting.Kind = Flag;
    setting.Key = key;
    setting.Caption = caption;
    setting.Flag = field;
    return setting;
}

constexpr RunSetting ChoiceSetting(std::string_view key,
                                   std::span<const std::string_view> fileChoices,
                                   std::span<const std::string_view> shownChoices,
                                   int (*get)(const TempRunSettings&),
                                   void (*set)(TempRunSettings&, int)) {
    RunSetting setting;
    setting.Kind = Choice;
    setting.Key = key;
    setting.Caption = key;
    setting.FileChoices = fileChoices;
    setting.ShownChoices = shownChoices;
    setting.GetChoice = get;
    setting.SetChoice = set;
    return setting;
}

// The gate itself: like its settings, the plan file names it only when it is not the band rule.
constexpr RunSetting GateChoice() {
    RunSetting setting = ChoiceSetting(
        "SoakGate", kGateNames, kGateItems, [](const S& s) { return static_cast<int>(s.Gate); },
        [](S& s, int item) { s.Gate = static_cast<SoakRule>(item); });
    setting.GateOnly = true;
    return setting;
}

} // namespace

constexpr std::array<RunSetting, 21> kRunSettings = {
    TextSetting("TempCount", "輸入測試溫度數量", &S::TempCount, TempCount),
    TextSetting("Start", "輸入開始溫度", &S::Start, Number, "攝氏度"),
    TextSetting("Increment", "輸入溫度隔數", &S::Increment, Number),
    TextSetting("LowestCelsius", "Lowest set point", &S::LowestCelsius, Lowest, "°C", true),
    TextSetting("StepRows", "輸入最大測試模式數量", &S::StepRows, StepRows),
    TextSetting("SoakMinutes", "等待溫度穩定時間", &S::SoakMinutes, SoakMinutes, "分", true),
    TextSetting("SupplyDelay", "Power Supply Delay Time", &S::SupplyDelay, SupplyDelay, "ms", true),
    TextSetting("HoldCelsius", "Hold chamber at", &S::HoldCelsius, Number, "°C"),
    ChoiceSetting(
        "Source", kSourceNames, kSourceItems, [](const S& s) { return static_cast<int>(s.Source); },
        [](S& s, int item) { s.Source = static_cast<CaptureSource>(item); }),
    ChoiceSetting(
        "Measure", kMeasureNames, kMeasureNames,
        [](const S& s) { return static_cast<int>(s.Measure); },
        [](S& s, int item) { s.Measure = static_cast<CaptureMeasure>(item); }),
    FlagSetting("SaveFullFiles", "儲存完整檔案", &S::SaveFullFiles),
    FlagSetting("KeepFlukeOn", "不關閉Fluke", &S::KeepFlukeOn),
    FlagSetting("Alternate", "交替測量ADC與溫度", &S::Alternate),
    FlagSetting("HoldChamber", "Hold chamber at", &S::HoldChamber),
    FlagSetting("SupplyOffAtEnd", "Supply output off at the end", &S::SupplyOffAtEnd),
    GateChoice(),
    GateSetting("GateMinutes", "Stable for", &S::GateMinutes, GateWindow, "min"),
    GateSetting("GateBand", "Chamber median within ±", &S::GateBand, GateCelsius, "°C"),
    GateSetting("GateSpread", "Chamber spread at most", &S::GateSpread, GateCelsius, "°C"),
    GateSetting("BoardChange", "Board change at most", &S::BoardChange, GateCelsius, "°C"),
    GateSetting("GateLimitMinutes", "Give the row up after", &S::GateLimitMinutes, GateLimit,
                "min"),
};

const RunSetting* RunSettingWithKey(std::string_view key) {
    const auto* found = std::find_if(kRunSettings.begin(), kRunSettings.end(),
                                     [&](const RunSetting& s) { return s.Key == key; });
    return found == kRunSettings.end() ? nullptr : found;
}

const RunSetting& RunSettingOf(std::string TempRunSettings::*text) {
    const auto* found = std::find_if(kRunSettings.begin(), kRunSettings.end(),
                                     [&](const RunSetting& s) { return s.Text == text; });
    if (found == kRunSettings.end()) throw std::logic_error("a run setting without a description");
    return *found;
}

const RunSetting& RunSettingOf(bool TempRunSettings::*flag) {
    const auto* found = std::find_if(kRunSettings.begin(), kRunSettings.end(),
                                     [&](const RunSetting& s) { return s.Flag == flag; });
    if (found == kRunSettings.end()) throw std::logic_error("a run setting without a description");
    return *found;
}

} // namespace qn
