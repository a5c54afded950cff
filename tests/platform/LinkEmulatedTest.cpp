// The device link end to end on the real hidapi and libusb code, against emulated bridges whose
// device side is the simulated bridge: scan, chip traffic, pulled cables; and the serial bridge.
#include "TestDoubles.h"
#include "platform/HidapiLayer.h"
#include "platform/LibusbDriverLayer.h"
#include "platform/QtSerialLine.h"
#include "platform/SystemClock.h"
#include "shell/Bench.h"
#include "sim/SimBridge.h"
#include "sim/SimClock.h"
#include "sim/SimSerialBridge.h"
#include "sim/emulated/EmulatedBulkBridge.h"
#include "sim/emulated/EmulatedHidBridge.h"
#include "sim/emulated/EmulatedSerialAdapter.h"

#include <gtest/gtest.h>

#include <tuple>

namespace qn {
namespace {

// A bench on the real HID, driver and serial layers, on a clock of the test's kind.
template <class TestClock> class RealLayers : public ::testing::Test {
  protected:
    TestClock clock;
    BusTrace trace;
    HidapiLayer hid{trace};
    LibusbDriverLayer driver{trace};
    QtSerialPortFactory serialPorts{::testing::TempDir(), trace};
    NullEventPump pump;
    PromptRelay prompt;
    test::RecordingStatus status;
    PanelRefresh panels;
    FixedChipInfo chipInfo{2, 3};
    Bench bench{Platform{hid, driver, serialPorts, clock, pump, status, panels, prompt}, "", ""};

    RealLayers() {
        bench.Chip.SetChip(&chipInfo);
        bench.Stnd.Interface = kLinkQn740x;
    }
};

// A register write with its read-back on the real layers, with the packet size they report; then
// the cable is pulled during traffic and put back: the link closes at the failed transfer, a later
// idle check finds the bridge again, and no handle of the first connection is left behind.
class PulledCable : public RealLayers<SimClock> {
  protected:
    SimBridge sim{clock};

    template <class Emulated> void PullAndReplug(Emulated& bridge) {
        bench.Centre.USBConnect();
        ASSERT_EQ(status.Panels[0], "USB On Line");
        EXPECT_EQ(bench.Stnd.Usb.Pipes[0].MaximumPacketSize, 64);
        bench.Chip.WriteRegister(3, 0x5A);
        EXPECT_EQ(bench.Chip.GetReg(3), 0x5A);
        bridge.Unplug();
        bench.Chip.WriteRegister(1, 0x33);
        EXPECT_EQ(std::tuple(bench.Stnd.Usb.Open, bench.Stnd.Usb.Handle, bench.Chip.GetReg(1)),
                  std::tuple(false, -1, 0));
        for (uint32_t t = 0; t < kIdleCheckTicks; ++t) bench.Centre.Timer1Timer();
        EXPECT_EQ(status.Panels[0], "USB not Connect !!!");
        bridge.Replug();
        for (uint32_t t = 0; t < kIdleCheckTicks; ++t) bench.Centre.Timer1Timer();
        EXPECT_EQ(status.Panels[0], "USB On Line");
        bench.Chip.WriteRegister(1, 0x33);
        EXPECT_EQ(bench.Chip.GetReg(1), 0x33);
        bench.Centre.ReleaseUsb();
        EXPECT_EQ(hid.OpenCount() + driver.OpenCount(), 0u);
    }
};

TEST_F(PulledCable, Hid) {
    emulated::EmulatedHidBridge bridge(sim);
    PullAndReplug(bridge);
}

TEST_F(PulledCable, Bulk) {
    emulated::EmulatedBulkBridge bridge(sim);
    PullAndReplug(bridge);
}

// Real time, slowed fourfold for the link's pauses and time-outs: the emulated adapter answers
// from a thread of its own, and a loaded machine must not turn its answers into 0.1 s time-outs.
class UnhurriedClock final : public Clock {
  public:
    double Now() override { return real_.Now(); }
    double SteadyMs() override { return real_.SteadyMs() / 4; }
    void SleepMs(uint32_t ms) override { real_.SleepMs(ms); }

  private:
    SystemClock real_;
};

// The serial bridge link on the real Qt serial code, with the simulated serial bridge behind an
// emulated USB serial adapter: a read, after its synchronisation, goes through the adapter.
using LinkSerialEmulated = RealLayers<UnhurriedClock>;

TEST_F(LinkSerialEmulated, SynchronisedReadThroughTheAdapter) {
    SimSerialBridge peer;
    emulated::EmulatedSerialAdapter adapter(peer);
    ASSERT_TRUE(bench.Stnd.Serial.Line->Open(adapter.DefaultPortName()));
    ASSERT_TRUE(bench.Stnd.Serial.Line->Configure({9600, 8, Parity::None, 1}));
    bench.Stnd.Interface = kLinkRs232;
    peer.Registers()[0x123] = 0xAB;
    peer.Registers()[0x124] = 0xCD;
    const ChipBytes read = bench.Chip.ReadChip(0x123, 2);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, (std::vector<uint8_t>{0xAB, 0xCD}));
}

} // namespace
} // namespace qn
