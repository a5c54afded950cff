// What the engineer sets up for a temperature test: the window's settings as typed, the
// temperature rows and the register step grid, with the "SET" and step-count rules.
#pragma once

#include "instruments/StepTable.h"
#include "run/SoakGate.h"
#include "run/TempTestData.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

// A cell or edit as a number, surrounding blanks allowed, a point as decimal separator whatever
// the locale; empty when it is not one.
std::optional<double> CellNumber(std::string_view text);
// A cell or edit as a whole number; empty when it is not one.
std::optional<long> CellInteger(std::string_view text);

inline constexpr size_t kMaxStepRows = 10000;

enum class CaptureSource { AdcAndBrymen = 0, Adc = 1, Brymen = 2 };
enum class CaptureMeasure { Adc = 0, Temperature = 1 };

// The run's settings as typed; their captions, plan file keys, units and rules are described in
// TempRunSettingTable.h.
struct TempRunSettings {
    std::string TempCount = "5";      // "輸入測試溫度數量"
    std::string Start = "-40.0";      // "輸入開始溫度"
    std::string Increment = "10.0";   // "輸入溫度隔數"
    std::string StepRows = "1000";    // "輸入最大測試模式數量"
    std::string SoakMinutes = "20";   // "等待溫度穩定時間"
    std::string SupplyDelay = "2000"; // "Power Supply Delay Time"
    CaptureSource Source = CaptureSource::Adc;
    CaptureMeasure Measure = CaptureMeasure::Adc;
    bool SaveFullFiles = false; // "儲存完整檔案"
    bool KeepFlukeOn = false;   // "不關閉Fluke"
    bool Alternate = false;     // "交替測量ADC與溫度"
    // How a run leaves the bench when it ends or is stopped: by default the chamber stops and
    // the board stays powered; optionally the chamber holds HoldCelsius and the supply's output
    // goes off.
    bool HoldChamber = false;
    std::string HoldCelsius = "25.0";
    bool SupplyOffAtEnd = false;
    // The lowest set point a row or the hold temperature may ask of the chamber, °C.
    std::string LowestCelsius = "-70";
    // What opens a row for its captures: the band rule (the soak time within ±1.5 °C) or a
    // stability gate over the last GateMinutes of readings, giving up after GateLimitMinutes.
    SoakRule Gate = SoakRule::Band;
    std::string GateMinutes = "5";        // W
    std::string GateBand = "0.5";         // B: the chamber's median within ±B °C
    std::string GateSpread = "0.5";       // S: the chamber's spread, °C
    std::string BoardChange = "0.1";      // D: the board's spread, °C
    std::string GateLimitMinutes = "120"; // the row is given up unmeasured after this
};

class TempTestPlan {
  public:
    TempTestPlan();

    TempRunSettings Settings;
    // Row 0 holds the headers "溫度", "濕度", "溫度斜率", "濕度斜率"; rows 1..TempCount the set
    // points as typed.
    std::vector<TemperatureRow> Rows;
    RegisterStepGrid RegChg;

    // "SET": TempCount from its edit (0 or no number gives 1, at most 1000), lowered so that no
    // row passes 150 °C or, with a negative increment, the lowest set point, written back to the
    // edit; the rows rebuilt with two decimals. A start outside the limits (or a lowest set point
    // that is none) leaves the count and rows as they were: the reason is returned, empty when
    // the rows were rebuilt.
    std::string SetTemperatureRows();
    size_t TempCount() const { return Rows.size() - 1; }

    // The step count M from its edit: 0, no number or above 10000 gives 48, written back. The
    // register grid and the two step tables get M step rows.
    size_t SetStepRows(StepTable& fluke, StepTable& power);

    // Register columns in use: consecutive non-empty address cells from column 1.
    size_t RegColumns() const;
    // Steps in use: consecutive rows from 1 whose first register cell holds a hexadecimal digit.
    size_t StepCount() const;
};

} // namespace qn
