// libFuzzer target: arbitrary answers of the calibrator and the power supply, each arriving at
// its own time, through identification and step play as the instrument classes read them.
#include "FuzzAnswers.h"
#include "instruments/Calibrator.h"
#include "instruments/InstrumentPorts.h"
#include "instruments/PowerSupply.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

using qn::fuzz::Require;
using qn::fuzz::sink;

// An answer line as the calibrator's reader leaves it: within the line area, without its CR.
void RequireLine(const std::string& line) {
    Require(line.size() <= qn::kLineAreaSize && line.find('\r') == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qn::SimClock clock;
    qn::fuzz::AnswerScript script(data, size);
    qn::fuzz::NoStatus status;
    qn::InstrumentPorts ports(clock, status);
    ports.FlukePort.Line = qn::fuzz::AnswerLine(clock, script);
    ports.PowerPort.Line = qn::fuzz::AnswerLine(clock, script);
    ports.FlukePort.Line->Open("COM1");
    ports.PowerPort.Line->Open("COM2");
    ports.FlukePort.Selected = 1;
    ports.PowerPort.Selected = 1;

    // Once the input has run out every further exchange only times out: the run ends there.
    qn::Calibrator calibrator(ports);
    calibrator.Identify();
    RequireLine(calibrator.Identity);
    if (script.Empty()) return 0;
    RequireLine(calibrator.Command("OUT 1 V ,0 Hz"));
    calibrator.PlayStep("OUT 2 V ,0 Hz", (data[0] & 1) != 0);
    if (script.Empty()) return 0;
    calibrator.OperateAfterStep("OUT 2 V ,0 Hz");
    calibrator.RangeLock(true, false);
    if (script.Empty()) return 0;

    qn::PowerSupply supply(ports);
    const bool identified = supply.Identify();
    Require(supply.Identity.size() <= qn::kRxBufferSize);
    if (identified) Require(supply.Identity.starts_with(qn::kSupplyIdentity));
    if (script.Empty()) return 0;
    supply.PlayStep("1", "VOLT 5.0", "10");
    sink = sink + (supply.OutputOff() ? 1 : 0);
    if (script.Empty()) return 0;

    // The calibrator once more after the supply: stale answers must not upset its reader.
    RequireLine(calibrator.Command("STBY"));
    return 0;
}
