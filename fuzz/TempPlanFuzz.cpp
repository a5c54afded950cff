// libFuzzer target: arbitrary bytes as a temperature plan file. A plan that reads must keep every
// limit a run checks and write a text that reads again into the same plan; a plan that does not
// read gets a message that shows no value whole.
#include "FuzzCheck.h"
#include "run/TempPlanFile.h"
#include "run/TempRunLimits.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using qn::fuzz::Require;

// A message quotes at most 200 bytes of a value, with the line, the key and the reason around it.
constexpr size_t kLongestMessage = 512;

struct Parts {
    qn::TempTestPlan Plan;
    qn::StepTable Fluke;
    qn::StepTable Power;
    qn::PlanPorts Ports;
    qn::TempPlanParts Refs() { return {Plan, Fluke, Power, Ports}; }
    std::string Text() const { return qn::FormatTempPlan(Plan, Fluke, Power, Ports); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Parts first;
    const std::string error = qn::ApplyTempPlan(text, first.Refs());
    if (!error.empty()) {
        Require(error.size() < kLongestMessage);
        return 0;
    }
    Require(qn::RunLimitsRefused(first.Plan).empty());
    const std::string written = first.Text();
    Parts second;
    Require(qn::ApplyTempPlan(written, second.Refs()).empty());
    Require(second.Text() == written && second.Ports == first.Ports);
    return 0;
}
