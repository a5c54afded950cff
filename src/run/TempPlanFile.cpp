// Writing the temperature plan file: sections of key=value lines and of table rows whose cells
// are separated by commas, double quotes around a cell that needs them.
#include "run/TempPlanFile.h"

#include "files/PortNames.h"
#include "files/ShownValue.h"
#include "files/TextFile.h"
#include "instruments/BenchInstruments.h"
#include "run/PlanCells.h"
#include "run/TempRunSettingTable.h"

#include <stdexcept>
#include <vector>

namespace qn {
namespace {

// A setting's value as the [run] section writes it; the row count is the rows the plan holds.
std::string SettingText(const RunSetting& setting, const TempTestPlan& plan) {
    const TempRunSettings& settings = plan.Settings;
    switch (setting.Kind) {
    case SettingKind::Text:
        return CellText(setting.Text == &TempRunSettings::TempCount
                            ? std::to_string(plan.TempCount())
                            : settings.*setting.Text);
    case SettingKind::Flag:
        return settings.*setting.Flag ? "yes" : "no";
    case SettingKind::Choice:
        break;
    }
    const auto item = static_cast<size_t>(setting.GetChoice(settings));
    if (item >= setting.FileChoices.size()) throw std::out_of_range("a choice without a name");
    return std::string(setting.FileChoices[item]);
}

void AppendSteps(std::string& out, std::string_view section, const StepTable& table) {
    AppendLine(out, "");
    AppendLine(out, "[" + std::string(section) + "]");
    AppendLine(out, "# step,switch,command");
    for (size_t r = 1; r <= table.Steps(); ++r) {
        const StepRow& row = table.Row(r);
        if (!row.Step.empty() || !row.Input.empty())
            AppendRow(out, {std::to_string(r), row.Step, row.Input});
    }
}

void AppendRegisters(std::string& out, const TempTestPlan& plan) {
    const size_t columns = plan.RegColumns();
    const size_t steps = columns == 0 ? 0 : plan.StepCount();
    AppendLine(out, "");
    AppendLine(out, "[registers]");
    AppendLine(out, "# Address,register addresses,Delay,ACM; then step,values,delay s,reference V");
    for (size_t r = 0; r <= steps; ++r) {
        std::vector<std::string> cells{r == 0 ? "Address" : std::to_string(r)};
        for (size_t c = 1; c <= columns; ++c) cells.push_back(plan.RegChg.Cell(c, r));
        cells.push_back(r == 0 ? "Delay" : plan.RegChg.Cell(kDelayColumn, r));
        cells.push_back(r == 0 ? "ACM" : plan.RegChg.Cell(kAcmColumn, r));
        AppendRow(out, cells);
    }
}

} // namespace

std::string FormatTempPlan(const TempTestPlan& plan, const StepTable& fluke, const StepTable& power,
                           const PlanPorts& ports) {
    std::string out;
    AppendLine(out, "# Qn-740xTEST temperature plan (docs/plan-format.md)");
    AppendLine(out, "[run]");
    // Without a stability gate the file names none of its settings: it reads as the band rule.
    const bool gate = plan.Settings.Gate != SoakRule::Band;
    for (const RunSetting& setting : kRunSettings)
        if (gate || !setting.GateOnly)
            AppendLine(out, std::string(setting.Key) + "=" + SettingText(setting, plan));
    AppendLine(out, "");
    AppendLine(out, "[ports]");
    for (const PortKey& key : kPortKeys)
        AppendLine(out, std::string(key.Name) + "=" + ComPortName(ports.*key.Field));
    AppendLine(out, "");
    AppendLine(out, "[temperatures]");
    AppendLine(out, "# temperature,humidity,temperature ramp,humidity ramp");
    for (size_t r = 1; r < plan.Rows.size(); ++r) {
        const TemperatureRow& row = plan.Rows[r];
        AppendRow(out, {row.Temperature, row.Humidity, row.TemperatureRamp, row.HumidityRamp});
    }
    AppendRegisters(out, plan);
    AppendSteps(out, "calibrator", fluke);
    AppendSteps(out, "supply", power);
    return out;
}

std::string SaveTempPlan(const std::string& path, const TempTestPlan& plan, const StepTable& fluke,
                         const StepTable& power, const PlanPorts& ports) {
    std::string problem;
    if (ReplaceFileContents(path, FormatTempPlan(plan, fluke, power, ports), &problem)) return {};
    return "Cannot write the plan file: " + (problem.empty() ? ShownValue(path) : problem);
}

} // namespace qn
