// What the simulated bench instruments share: line assembly, answers delivered at once or later
// on the bench clock, the faults a test can switch on, and a log of the lines received.
#pragma once

#include "host/Clock.h"
#include "sim/SimSerialBridge.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace qn {

// Faults of one instrument; several may be on at once.
struct SimLabFaults {
    bool Silent = false;        // commands are taken and obeyed, nothing is answered
    bool WrongIdentity = false; // the supply names another maker; the chamber refuses the probe
    bool AnswerNg = false;      // the chamber answers NG to every frame
    bool SplitAnswers = false;  // the first half of an answer comes at once, the rest later
    double SplitDelayMs = 200.0;
    bool NoTerminator = false; // answers come without their CR and LF
};

// One instrument on a serial line. Input is cut into lines at `terminator`; each line gets the
// answer Answer() makes, which the faults then disturb. Answers queue in order: bytes held back
// by a split answer also hold back every later answer.
class SimLabPeer : public SimSerialPeer {
  public:
    SimLabPeer(Clock& clock, uint8_t terminator) : clock_(clock), terminator_(terminator) {}

    std::vector<uint8_t> Take(const uint8_t* data, size_t length) final;
    std::vector<uint8_t> Due() final;

    // Every line received, without its terminator (and without a CR before an LF terminator).
    const std::vector<std::string>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }

    SimLabFaults Faults;

  protected:
    // The answer to one line; empty for none.
    virtual std::string Answer(const std::string& line) = 0;

    Clock& clock_;

  private:
    struct Pending {
        double DueMs;
        std::string Bytes;
    };
    void Send(std::string answer);

    uint8_t terminator_;
    std::string input_;
    std::deque<Pending> pending_;
    std::vector<std::string> log_;
};

// The line in upper case with leading and trailing blanks removed.
std::string SimCommandText(const std::string& line);

} // namespace qn
