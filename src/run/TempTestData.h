// What a temperature test works on and produces: the temperature rows, the register step grid,
// and the results per temperature row and step, sized to the counts in use.
#pragma once

#include "analysis/AnalysisStore.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace qn {

inline constexpr size_t kRegStepColumns = 13; // "Value-r", ten registers, "Delay", "ACM"
inline constexpr size_t kRegisterColumns = 10;
inline constexpr size_t kDelayColumn = 11;
inline constexpr size_t kAcmColumn = 12;
inline constexpr size_t kMeterChannels = 6;

// The register step grid: row 0 holds "Address", the register addresses, "Delay" and "ACM";
// row r (1..M) holds "Value-r", the register values, the capture delay and the reference text.
class RegisterStepGrid {
  public:
    using Row = std::array<std::string, kRegStepColumns>;
    RegisterStepGrid() { Resize(48); }
    // M step rows after the header row; kept rows keep their cells.
    void Resize(size_t steps);
    size_t Steps() const { return rows_.size() - 1; }
    // Cell (column, row) as the grid names it: column first.
    std::string& Cell(size_t column, size_t row) { return rows_.at(row).at(column); }
    const std::string& Cell(size_t column, size_t row) const { return rows_.at(row).at(column); }

  private:
    std::vector<Row> rows_;
};

// One temperature row of the temperature grid, as typed.
struct TemperatureRow {
    std::string Temperature; // "溫度"
    std::string Humidity;    // "濕度"
    std::string TemperatureRamp;
    std::string HumidityRamp;
};

// The fourteen statistics of one step: the ADC channel's seven, then the temperature channel's.
struct StepResult {
    NoiseFigures Adc;
    NoiseFigures Temperature;
};

struct MeterReading {
    double Reading = 0;
    std::string Unit;
};

// Results of one sequence for rows 1..TempCount and steps 1..StepCount (index 0 unused). Every
// change goes through a setter, which counts it for the step it touches, so the result files can
// tell which of their lines to format again.
class TempResults {
  public:
    // Sizes the tables for a new sequence and clears them.
    void Reset(size_t tempCount, size_t stepCount);
    size_t TempCount() const { return setPoints_.empty() ? 0 : setPoints_.size() - 1; }
    size_t StepCount() const { return stepCount_; }

    double SetPoint(size_t row) const { return setPoints_.at(row); }
    double HumiditySetPoint(size_t row) const { return humidity_.at(row); }
    // The row's set points; a change counts for every step of the row.
    void SetSetPoints(size_t row, double celsius, double humidity);
    const StepResult& Result(size_t row, size_t step) const {
        return results_.at(Index(row, step));
    }
    void SetResult(size_t row, size_t step, const StepResult& result);
    // Whether the step at this row has a complete capture: only then are its figures a result.
    bool Measured(size_t row, size_t step) const { return measured_.at(Index(row, step)) != 0; }
    void SetMeasured(size_t row, size_t step, bool measured);
    // A reading never set reads 0 with no unit; only readings set are kept.
    const MeterReading& Meter(size_t row, size_t step, size_t channel) const;
    void SetMeter(size_t row, size_t step, size_t channel, const MeterReading& reading);

    // Which table this is: a new number at every Reset.
    uint64_t Table() const { return table_; }
    // How many times the step's results, readings or its row's set points were changed.
    uint32_t Changes(size_t row, size_t step) const { return changes_.at(Index(row, step)); }

  private:
    size_t Index(size_t row, size_t step) const;
    size_t MeterKey(size_t row, size_t step, size_t channel) const;
    void Changed(size_t row, size_t step) { ++changes_.at(Index(row, step)); }
    size_t stepCount_ = 0;
    uint64_t table_ = 0;
    std::vector<double> setPoints_;
    std::vector<double> humidity_;
    std::vector<StepResult> results_;
    std::vector<uint8_t> measured_;
    std::vector<uint32_t> changes_;
    // A run itself takes no multimeter readings; a journal's rebuild brings some back.
    std::unordered_map<size_t, MeterReading> meters_;
};

} // namespace qn
