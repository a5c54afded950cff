// The bench's instruments on scripted serial devices and a simulated clock.
#pragma once

#include "ScriptedLine.h"
#include "ScriptedPrompt.h"
#include "instruments/BenchInstruments.h"
#include "sim/SimClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qn::test {

class InstrumentTest : public ::testing::Test {
  protected:
    // Opens `port` on a new scripted device and marks it selected, as an accepted "Select" does.
    ScriptedDevice& Attach(DevcRS232& port, const std::string& name = "COM5") {
        ScriptedDevice& device = lines.Add(name);
        port.Line = lines.MakeLine();
        port.Line->Open(name);
        port.PortName = name;
        port.Selected = 1;
        return device;
    }
    // Milliseconds of simulated time spent by `run`.
    template <typename Run> double Timed(Run run) {
        const double start = clock.SteadyMs();
        run();
        return clock.SteadyMs() - start;
    }

    SimClock clock;
    ScriptedPorts lines{clock};
    RecordingStatus status;
    ScriptedPrompt ask;
    BenchInstruments bench{lines, clock, status, ask};
    InstrumentPorts& ports = bench.Ports;
};

using Writes = std::vector<std::string>;

} // namespace qn::test
