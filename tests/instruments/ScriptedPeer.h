// Instruments whose answers are scripted per written text, at the far end of simulated serial
// ports, for the retries and silences the simulated lab's own instruments do not make.
#pragma once

#include "TestDoubles.h"
#include "sim/SimClock.h"
#include "sim/SimSerialLine.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qn::test {

struct ScriptedPeer final : SimSerialPeer {
    explicit ScriptedPeer(SimClock& clock) : Time(clock) {}

    // Each write is logged; the next scripted answer to its text ("" stays silent) comes
    // ReplyDelayMs later.
    std::vector<uint8_t> Take(const uint8_t* data, size_t length) override {
        std::string text(reinterpret_cast<const char*>(data), length);
        auto reply = Replies.find(text);
        if (reply != Replies.end() && !reply->second.empty()) {
            if (!reply->second.front().empty()) AnswerAfter(ReplyDelayMs, reply->second.front());
            reply->second.pop_front();
        }
        Writes.push_back(std::move(text));
        return Due();
    }
    std::vector<uint8_t> Due() override {
        std::vector<uint8_t> due;
        for (auto at = Pending.begin(); at != Pending.end() && at->first <= Time.SteadyMs();
             at = Pending.erase(at))
            due.insert(due.end(), at->second.begin(), at->second.end());
        return due;
    }
    // `bytes` arrive `afterMs` from now, unasked.
    void AnswerAfter(double afterMs, std::string bytes) {
        Pending.emplace(Time.SteadyMs() + afterMs, std::move(bytes));
    }

    SimClock& Time;
    std::map<std::string, std::deque<std::string>> Replies;
    double ReplyDelayMs = 0;
    std::vector<std::string> Writes;            // every write, one entry each
    std::multimap<double, std::string> Pending; // by arrival, in order of writing among equals
};

// Simulated serial ports with a scripted peer on each port added.
class ScriptedPorts final : public SerialPortFactory {
  public:
    explicit ScriptedPorts(SimClock& clock) : clock_(clock) {}
    ScriptedPeer& Add(const std::string& portName) {
        ScriptedPeer& peer = *peers_.emplace_back(std::make_unique<ScriptedPeer>(clock_));
        Ports.Connect(portName, peer);
        return peer;
    }
    std::unique_ptr<SerialLine> MakeLine() override { return Ports.MakeLine(); }

    SimSerialPortFactory Ports;

  private:
    SimClock& clock_;
    std::vector<std::unique_ptr<ScriptedPeer>> peers_;
};

} // namespace qn::test
