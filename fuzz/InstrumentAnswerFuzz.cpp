// libFuzzer target: arbitrary answers of the calibrator and the power supply, each arriving at
// its own time, through identification and step play as the instrument classes read them.
#include "FuzzAnswers.h"
#include "instruments/Calibrator.h"
#include "instruments/InstrumentPorts.h"
#include "instruments/PowerSupply.h"

void qn::fuzz::Fuzz(const uint8_t* data, size_t size) {
    // An answer line as the calibrator's reader leaves it: within the line area, without its CR.
    const auto requireLine = [](const std::string& line) {
        Require(line.size() <= kLineAreaSize && line.find('\r') == std::string::npos);
    };
    SimClock clock;
    AnswerScript script(data, size);
    NoStatus status;
    InstrumentPorts ports(clock, status);
    for (DevcRS232* port : {&ports.FlukePort, &ports.PowerPort}) {
        port->Line = AnswerLine(clock, script);
        port->Line->Open(port == &ports.FlukePort ? "COM1" : "COM2");
        port->Selected = 1;
    }

    // Once the input has run out every further exchange only times out: the run ends there.
    Calibrator calibrator(ports);
    calibrator.Identify();
    requireLine(calibrator.Identity);
    if (script.Empty()) return;
    requireLine(calibrator.Command("OUT 1 V ,0 Hz"));
    calibrator.PlayStep("OUT 2 V ,0 Hz", (data[0] & 1) != 0);
    if (script.Empty()) return;
    calibrator.OperateAfterStep("OUT 2 V ,0 Hz");
    calibrator.RangeLock(true, false);
    if (script.Empty()) return;

    PowerSupply supply(ports);
    const bool identified = supply.Identify();
    Require(supply.Identity.size() <= kRxBufferSize);
    if (identified) Require(supply.Identity.starts_with(kSupplyIdentity));
    if (script.Empty()) return;
    supply.PlayStep("1", "VOLT 5.0", "10");
    sink = sink + (supply.OutputOff() ? 1 : 0);
    if (script.Empty()) return;

    // The calibrator once more after the supply: stale answers must not upset its reader.
    requireLine(calibrator.Command("STBY"));
}
