// A bench on the simulated world (bridge, calibrator on COM1, supply on COM2, chamber on COM3) and
// a simulated clock, connected, with the shipped QN7401 selected, for the shell's tests.
#pragma once

#include "TestDoubles.h"
#include "shell/Bench.h"
#include "shell/ReadRam.h"
#include "sim/SimClock.h"
#include "sim/SimWorld.h"

#include <gtest/gtest.h>

namespace qn::test {

class SimBenchTest : public ::testing::Test {
  protected:
    // Selects the shipped QN7401, connects to the simulated bridge and reads the registers.
    SimBenchTest() {
        EXPECT_TRUE(bench.SelectChip(0));
        world.Bridge.LoadChip(bench.Model);
        bench.Stnd.Interface = kLinkQn740x;
        bench.Centre.USBConnect();
        EXPECT_TRUE(bench.Stnd.Usb.Open);
        EXPECT_TRUE(ReadRam(bench));
    }

    SimClock clock;
    SimWorld world{clock};
    ScriptedPump pump;
    PromptRelay prompt;
    RecordingStatus status;
    PanelRefresh panels;
    Bench bench{
        Platform{world.Hid, world.Driver, world.SerialPorts, clock, pump, status, panels, prompt},
        "", QN_INCLUDE_DIR};
};

} // namespace qn::test
