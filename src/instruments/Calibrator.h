// The Fluke 5500 calibrator over FlukePort: standby, operate, step play, range lock, identity.
#pragma once

#include "instruments/InstrumentPorts.h"

#include <string>

namespace qn {

// Status panel that shows the calibrator's answers.
inline constexpr StatusPanel kCalibratorAnswerPanel = StatusPanel::Outcome;

class Calibrator {
  public:
    explicit Calibrator(InstrumentPorts& ports) : ports_(ports) {}

    // "STBY": the answer line is shown in status panel 2.
    void Standby();
    // "OPER": true when an answer line came back.
    bool Operate();
    // Sends `command` then "\r", pauses 0.5 s, clears TxBuffer, reads one line and shows it;
    // returns the line (empty when none came).
    std::string Command(const std::string& command);
    // Step play of one step's command: up to two attempts, each "STBY" first unless `keepOn`
    // ("不關閉Fluke"); stops at the first attempt that gets a line, which is shown.
    void PlayStep(const std::string& command, bool keepOn);
    // After the registers are set: operate (once more if unanswered) unless the command begins
    // with "STBY" in any letter case.
    void OperateAfterStep(const std::string& command);
    // "ENTER": locks the 3.3 V or the 330 mV range, or releases the lock when neither is chosen.
    void RangeLock(bool lock330mV, bool lock3V);
    // Identification on the open port: "*OPT", 0.5 s, one line read. Always accepted.
    bool Identify();

    // Answer to the last "*OPT" (empty before identification or without an answer).
    std::string Identity;

  private:
    void Send(const std::string& line);
    // Settle pause, TxBuffer cleared, one line read.
    std::string Answer();
    InstrumentPorts& ports_;
};

} // namespace qn
