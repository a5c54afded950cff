// The bench on the simulated bridge and the real clock, as the benchmarks measure it: connected
// on the QN740x link, its ADC converting at a fixed rate around a fixed code.
#pragma once

#include "host/EventPump.h"
#include "host/PanelRefresh.h"
#include "host/Prompt.h"
#include "host/StatusBar.h"
#include "link/ChipLinkInfo.h"
#include "platform/SystemClock.h"
#include "shell/Bench.h"
#include "sim/SimBridge.h"
#include "sim/SimDriverLayer.h"
#include "sim/SimHidLayer.h"
#include "sim/SimSerialLine.h"

#include <cstdint>
#include <string>

namespace qn::bench {

class DroppedStatus final : public StatusBar {
  public:
    void SetPanelText(qn::StatusPanel /*panel*/, const std::string& /*text*/) override {}
};

struct SimulatedBench {
    // `windows` lets window messages through while a capture waits.
    SimulatedBench(EventPump& windows, double conversionsPerSecond, int32_t code, double noise)
        : bench{Platform{hid, driver, serialPorts, clock, windows, status, panels, prompt}, "",
                ""} {
        bench.Chip.SetChip(&chipInfo);
        bridge.SetOutputRate(conversionsPerSecond);
        bridge.SetSignal(code, noise);
        driver.AddDevice(bridge);
        bench.Stnd.Interface = kLinkQn740x;
        bench.Centre.USBConnect();
    }

    SystemClock clock;
    SimBridge bridge{clock};
    SimDriverLayer driver;
    SimHidLayer hid;
    SimSerialPortFactory serialPorts;
    PromptRelay prompt;
    DroppedStatus status;
    PanelRefresh panels;
    FixedChipInfo chipInfo{2, 3};
    Bench bench;
};

} // namespace qn::bench
