// The simulated multi-product calibrator: remote-command lines ending in CR, prompt answers.
#pragma once

#include "sim/SimLab.h"

#include <string>

namespace qn {

// Understands "STBY", "OPER", "OUT <number> <unit> ,<f> Hz" (units V, mV, uV in any case),
// "RANGELCK ON" / "RANGELCK OFF" and "*OPT". Every line is answered with its prompt, "=>" CR LF
// when the command was understood and "?>" CR LF when not; "*OPT" is answered with the
// options line instead.
class SimCalibrator final : public SimLabPeer {
  public:
    explicit SimCalibrator(Clock& clock) : SimLabPeer(clock, '\r') {}

    // Volts at the output terminals: the set value while operating, 0 in standby.
    double OutputVolts() const { return operating_ ? setVolts_ : 0.0; }
    double SetVolts() const { return setVolts_; }
    double FrequencyHz() const { return frequencyHz_; }
    bool Operating() const { return operating_; }
    bool RangeLocked() const { return rangeLocked_; }

    std::string Options = "SC600";

  protected:
    std::string Answer(const std::string& line) override;

  private:
    bool Out(const std::string& arguments);

    bool operating_ = false;
    bool rangeLocked_ = false;
    double setVolts_ = 0.0;
    double frequencyHz_ = 0.0;
};

} // namespace qn
