// libFuzzer target: arbitrary bytes as a temperature plan file. A plan that reads must write a
// text that reads again into the same plan.
#include "instruments/TempPlanFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

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
        Require(error.starts_with("line "));
        return 0;
    }
    const std::string written = first.Text();
    Parts second;
    Require(qn::ApplyTempPlan(written, second.Refs()).empty());
    Require(second.Text() == written && second.Ports == first.Ports);
    return 0;
}
