// The bench's instruments on the simulated lab (calibrator COM1, supply COM2, chamber COM3) and on
// scripted peers, on a simulated clock.
#pragma once

#include "ScriptedPeer.h"
#include "ScriptedPrompt.h"
#include "instruments/BenchInstruments.h"
#include "sim/SimWorld.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace qn::test {

class InstrumentTest : public ::testing::Test {
  protected:
    // Opens `port` on a new scripted peer (on COM5, then COM6, ...) and marks it selected, as an
    // accepted "Select" does.
    ScriptedPeer& Attach(DevcRS232& port) {
        ScriptedPeer& peer = peers.emplace_back(clock);
        const std::string name = "COM" + std::to_string(4 + peers.size());
        world.SerialPorts.Connect(name, peer);
        Open(port, name);
        return peer;
    }
    // Opens `port` on `name` (a lab instrument or a scripted peer) and marks it selected.
    void Open(DevcRS232& port, const std::string& name) {
        port.Line = world.SerialPorts.MakeLine();
        port.Line->Open(name);
        port.PortName = name;
        port.Selected = 1;
    }
    // Milliseconds of simulated time spent by `run`.
    template <typename Run> double Timed(Run run) {
        const double start = clock.SteadyMs();
        run();
        return clock.SteadyMs() - start;
    }

    SimClock clock;
    SimWorld world{clock};
    std::deque<ScriptedPeer> peers;
    RecordingStatus status;
    ScriptedPrompt ask;
    BenchInstruments bench{world.SerialPorts, clock, status, ask};
    InstrumentPorts& ports = bench.Ports;
};

using Writes = std::vector<std::string>;

} // namespace qn::test
