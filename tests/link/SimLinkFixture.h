// A bench on simulated hardware for link tests: one bridge, both transports, a serial peer.
#pragma once

#include "TestDoubles.h"
#include "shell/Bench.h"
#include "sim/SimBridge.h"
#include "sim/SimClock.h"
#include "sim/SimDriverLayer.h"
#include "sim/SimHidLayer.h"
#include "sim/SimSerialBridge.h"
#include "sim/SimSerialLine.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace qn::test {

class CountingPanels final : public PanelRefresh {
  public:
    void RefreshRamPanel() override { Order += "R"; }
    void RefreshRegisterPanel() override { Order += "G"; }
    void RefreshAdcPanel() override { Order += "A"; }
    void ShowAdcResult(const std::string& text) override { AdcText = text; }
    void RedrawLiveChart() override { ++ChartRedraws; }
    void ShowChipTitles() override { ++Titles; }
    std::string Order, AdcText;
    int ChartRedraws = 0, Titles = 0;
};

// The bench on one simulated bridge; public, so that the rows of a test table can reach it.
struct SimLink {
    SimClock clock;
    SimBridge bridge{clock};
    SimDriverLayer driver;
    SimHidLayer hid;
    SimSerialPortFactory serialPorts;
    SimSerialBridge serialPeer{bridge.Registers};
    NullEventPump pump;
    PromptRelay prompt;
    RecordingStatus status;
    CountingPanels panels;
    FixedChipInfo chipInfo{2, 3};
    Bench bench{Platform{hid, driver, serialPorts, clock, pump, status, panels, prompt}, "", ""};

    SimLink() { bench.Chip.SetChip(&chipInfo); }

    // Puts the bridge behind the driver, connects through "USB Scan" and forgets the traffic.
    void ConnectDriverBridge(uint16_t kind = kLinkQn740x) {
        driver.AddDevice(bridge);
        Connect(kind);
    }
    void Connect(uint16_t kind) {
        bench.Stnd.Interface = kind;
        bench.Centre.USBConnect();
        ASSERT_EQ(status.Panels[0], "USB On Line");
        bridge.ClearLog();
    }
    // Opens the serial bridge port on COM16 with the peer behind it.
    void OpenSerialBridge() {
        serialPorts.Connect("COM16", serialPeer);
        bench.Stnd.Interface = kLinkRs232;
        ASSERT_TRUE(bench.Stnd.Serial.Line->Open("COM16"));
    }
};

class SimLinkFixture : public ::testing::Test, public SimLink {};

} // namespace qn::test
