// The temperature plan file: one UTF-8 text file with every setting of a temperature run, its
// temperature rows, register steps, calibrator and supply steps and the instruments' COM ports,
// for runs without the window (docs/plan-format.md describes it).
#pragma once

#include "instruments/StepTable.h"
#include "run/TempTestPlan.h"

#include <array>
#include <string>
#include <string_view>

namespace qn {

// The COM list index (0 is "COM1") each instrument is selected on.
struct PlanPorts {
    int Fluke = 0;
    int Power = 1;
    int Chamber = 2;

    bool operator==(const PlanPorts&) const = default;
};

// The [ports] keys, in the order the file writes them.
struct PortKey {
    std::string_view Name;
    int PlanPorts::*Field;
};
inline constexpr std::array<PortKey, 3> kPortKeys = {{
    {"Calibrator", &PlanPorts::Fluke},
    {"Supply", &PlanPorts::Power},
    {"Chamber", &PlanPorts::Chamber},
}};

// What a plan file describes, as the bench holds it.
struct TempPlanParts {
    TempTestPlan& Plan;
    StepTable& FlukeSteps;
    StepTable& PowerSteps;
    PlanPorts& Ports;
};

// The file's text (CR LF lines): the settings, the ports, the temperature rows, the register
// columns and steps in use and the calibrator and supply rows that hold anything.
std::string FormatTempPlan(const TempTestPlan& plan, const StepTable& fluke, const StepTable& power,
                           const PlanPorts& ports);

// Writes the file atomically; the error text is empty when it was written.
std::string SaveTempPlan(const std::string& path, const TempTestPlan& plan, const StepTable& fluke,
                         const StepTable& power, const PlanPorts& ports);

// Reads a plan's text (CR LF or LF lines) into `parts`. The error text names the line
// ("line 7: ...") and is empty on success; on an error `parts` are left as they were.
std::string ApplyTempPlan(std::string_view text, const TempPlanParts& parts);

// Reads only the [ports] of a plan's text into `ports`, so the instruments can be looked for where
// a plan that is refused for its settings names them; the error text is empty on success.
std::string ApplyTempPlanPorts(std::string_view text, PlanPorts& ports);

// Reads the file at `path`; the error text is empty on success.
std::string LoadTempPlan(const std::string& path, const TempPlanParts& parts);

} // namespace qn
