// libFuzzer target: arbitrary bytes as a temperature plan file. A plan that reads must keep every
// limit a run checks and write a text that reads again into the same plan; a plan that does not
// read gets a message that shows no value whole.
#include "FuzzCheck.h"
#include "run/TempPlanFile.h"
#include "run/TempRunLimits.h"

void qn::fuzz::Fuzz(const uint8_t* data, size_t size) {
    struct PlanParts {
        TempTestPlan Plan;
        StepTable Fluke, Power;
        PlanPorts Ports;
        std::string Read(std::string_view text) {
            return ApplyTempPlan(text, {Plan, Fluke, Power, Ports});
        }
        std::string Text() const { return FormatTempPlan(Plan, Fluke, Power, Ports); }
    };
    PlanParts first;
    const std::string error = first.Read(Text(data, size));
    // A message quotes at most 200 bytes of a value, with the line, the key and the reason.
    if (!error.empty()) return Require(error.size() < 512);
    Require(RunLimitsRefused(first.Plan).empty());
    const std::string written = first.Text();
    PlanParts second;
    Require(second.Read(written).empty());
    Require(second.Text() == written && second.Ports == first.Ports);
}
