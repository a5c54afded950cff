// The SCPI power supply over PowerPort: identification and step play.
#pragma once

#include "instruments/InstrumentPorts.h"

#include <functional>
#include <string>

namespace qn {

inline constexpr const char* kSupplyIdentity = "HEWLETT-PACKARD";
// Status panel that shows the step played.
inline constexpr StatusPanel kSupplyStepPanel = StatusPanel::Bridge;

class PowerSupply {
  public:
    explicit PowerSupply(InstrumentPorts& ports) : ports_(ports) {}

    // On the open port: DTR cleared, input discarded, DTR set, "SYST:REM" CR LF, then
    // "VOLT 0.0", "CURR 0.0", "OUTP OFF" and "*IDN?" as queries. True when the identity's first
    // 15 characters are "HEWLETT-PACKARD" (an answer of 8 characters or fewer is refused). With
    // `LookOnly` set only "SYST:REM" and "*IDN?" are sent: the output stays as it is.
    bool Identify();
    // Step play of one step: the command (repeated once when unanswered), "OUTP ON" (likewise)
    // unless the command begins with "OUTP OFF" in any letter case, the delay, then
    // "<step> - <command>" in status panel 0.
    void PlayStep(const std::string& stepCell, const std::string& command,
                  const std::string& delayText);
    // "OUTP OFF", checked with "OUTP?" and sent once more when the supply does not read 0;
    // false when its output could not be seen off.
    bool OutputOff();
    // The "ms" edit as a delay: its integer, 500 when it is not one.
    static double DelayMs(const std::string& delayText);

    // Identification leaves the output alone (a plan check, which changes nothing on the bench).
    bool LookOnly = false;
    // Answer of the last "*IDN?" (empty before identification).
    std::string Identity;
    // How the step delay is waited: by default a pause that lets no window message through; a
    // long run sets a wait that keeps its window alive.
    std::function<void(double ms)> Wait;

  private:
    bool Query(const std::string& text);
    InstrumentPorts& ports_;
};

} // namespace qn
