// The simulated programmable supply: SCPI lines ending in CR LF, answers to queries only.
#pragma once

#include "sim/SimLab.h"

#include <string>

namespace qn {

inline constexpr char kSimSupplyIdentity[] = "HEWLETT-PACKARD,E3631A,0,2.1-5.0-1.0";
inline constexpr char kSimOtherSupplyIdentity[] = "RIGOL TECHNOLOGIES,DP832,0,00.01.14";

// As on its RS-232 interface, only queries are answered: "*IDN?", "VOLT?", "CURR?", "OUTP?".
// "SYST:REM", "VOLT x", "CURR x", "OUTP ON|OFF" and "APPL [output,] volts [, amps]" are obeyed
// silently, headers in short or long form and any case; anything else is ignored.
class SimPowerSupply final : public SimLabPeer {
  public:
    explicit SimPowerSupply(Clock& clock) : SimLabPeer(clock, '\n') {}

    double Volts() const { return volts_; }
    double Amps() const { return amps_; }
    bool OutputOn() const { return outputOn_; }
    bool Remote() const { return remote_; }

    std::string Identity = kSimSupplyIdentity;

  protected:
    std::string Answer(const std::string& line) override;

  private:
    void Apply(const std::string& arguments);

    double volts_ = 0.0;
    double amps_ = 0.0;
    bool outputOn_ = false;
    bool remote_ = false;
};

} // namespace qn
