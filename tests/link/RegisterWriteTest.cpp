// Register writes with read-back, their special registers, and the ADC commands' results.
#include "SimLinkFixture.h"

namespace qn::test {
namespace {

TEST_F(SimLinkFixture, WriteRegisterStoresReadBackAndRefreshesPanelsInOrder) {
    ConnectDriverBridge(kLinkSpecial);
    bench.Chip.WriteRegister(0x123, 0x5A);
    EXPECT_EQ(bridge.Registers[0x123], 0x5A);
    EXPECT_EQ(bench.Chip.GetReg(0x123), 0x5A);
    EXPECT_EQ(panels.Order, "RGA");
    ASSERT_EQ(bridge.Log().size(), 2u);
    EXPECT_EQ(bridge.Log()[1].Request[1], 0x84) << "read-back frame";
}

TEST_F(SimLinkFixture, Register27GoesOutWithRegister26AndReadsZero) {
    ConnectDriverBridge(kLinkSpecial);
    bench.Chip.SetReg(26, 0x12);
    bench.Chip.SetReg(27, 0x99);
    bench.Chip.WriteRegister(27, 0x34);
    ASSERT_EQ(bridge.Log().size(), 1u) << "no read-back";
    const std::vector<uint8_t> frame{0xBE, 0x00, 26, 2, 2, 0x12, 0x34};
    EXPECT_EQ(bridge.Log()[0].Request, frame);
    EXPECT_EQ(bridge.Registers[27], 0x34);
    EXPECT_EQ(bench.Chip.GetReg(27), 0);
}

TEST_F(SimLinkFixture, Qn740xIgnoresRegistersPastFour) {
    ConnectDriverBridge(kLinkQn740x);
    bench.Chip.WriteRegister(5, 0x77);
    EXPECT_TRUE(bridge.Log().empty());
    EXPECT_EQ(panels.Order, "");
}

TEST_F(SimLinkFixture, SlowRegistersPauseOneSecondBeforeReadBack) {
    ConnectDriverBridge(kLinkSpecial);
    for (int reg : {49, 50, 51}) {
        const double before = clock.ElapsedSinceStartMs();
        bench.Chip.WriteRegister(reg, 0x0F);
        const double took = clock.ElapsedSinceStartMs() - before;
        // Two "Special" transfers pause 50 ms each; 49 and 50 wait one second more.
        EXPECT_NEAR(took, reg == 51 ? 100 : 1100, 2) << reg;
        EXPECT_EQ(bench.Chip.GetReg(reg), 0x0F);
    }
}

TEST_F(SimLinkFixture, AdcPresetsFollowTheFunctionChoice) {
    ConnectDriverBridge(kLinkSpecial);
    bench.Chip.Options.FunctionChoice = 0;
    bench.Chip.WriteRegister(60, 0x11);
    bench.Chip.WriteRegister(48, 0x22);
    bench.Chip.Options.FunctionChoice = 1;
    bench.Chip.WriteRegister(64, 0x33);
    bench.Chip.WriteRegister(59, 0x44);
    EXPECT_EQ(bench.Chip.AdcPresetA, (std::array<uint8_t, 6>{0x11, 0, 0, 0, 0, 0x22}));
    EXPECT_EQ(bench.Chip.AdcPresetB, (std::array<uint8_t, 6>{0, 0, 0, 0, 0x33, 0}));
}

TEST_F(SimLinkFixture, ImageAccessOutsideTheImageIsHarmless) {
    bench.Chip.SetReg(1023, 7);
    bench.Chip.SetReg(-1, 9);
    bench.Chip.SetReg(1024, 9);
    EXPECT_EQ(bench.Chip.GetReg(1023), 7);
    EXPECT_EQ(bench.Chip.GetReg(1024), 0);
    EXPECT_EQ(bench.Chip.GetReg(-1), 0);
    EXPECT_EQ(bench.Chip.GetReg(0), 0);
}

TEST_F(SimLinkFixture, UnusedKindsAndOversizedCountsMoveNothing) {
    ConnectDriverBridge(kLinkQn740x);
    EXPECT_FALSE(bench.Chip.ReadChip(0, 251)) << "frame length would not fit one byte";
    EXPECT_FALSE(bench.Chip.WriteChip(0, 249));
    for (uint16_t kind :
         {uint16_t{kLinkSpi}, uint16_t{kLinkParallel}, uint16_t{kLinkUart}, uint16_t{6}}) {
        bench.Stnd.Interface = kind;
        EXPECT_FALSE(bench.Chip.ReadChip(0, 1));
        EXPECT_FALSE(bench.Chip.WriteChip(0, 1));
    }
    EXPECT_TRUE(bridge.Log().empty());
    EXPECT_TRUE(bench.Stnd.Usb.Open);
}

// While the bridge is not open, no frame reaches a transport and no pause is spent.
TEST_F(SimLinkFixture, FramesAreRefusedWithoutIoWhileClosed) {
    driver.AddDevice(bridge);
    for (uint16_t kind : {uint16_t{kLinkSpecial}, uint16_t{kLinkQn740x}}) {
        bench.Stnd.Interface = kind;
        EXPECT_FALSE(bench.Chip.ReadChip(0, 1));
        EXPECT_FALSE(bench.Chip.WriteChip(0, 1));
    }
    EXPECT_FALSE(bench.Chip.ReadAdcResult());
    EXPECT_FALSE(bench.Chip.StopAdcStream());
    uint8_t l1 = 0, l2 = 0, l3 = 0;
    EXPECT_FALSE(bench.Chip.ReadBridgeLines(bench.Stnd.Usb, l1, l2, l3));
    EXPECT_TRUE(driver.Calls().empty());
    EXPECT_EQ(clock.ElapsedSinceStartMs(), 0);
}

TEST_F(SimLinkFixture, StreamFetchesFollowTheOutputRate) {
    ConnectDriverBridge();
    bridge.SetOutputRate(100);
    ASSERT_TRUE(bench.Chip.StartAdcStream(3));
    EXPECT_TRUE(bridge.Streaming());
    EXPECT_EQ(bridge.StreamMode(), 3);
    clock.AdvanceMs(150);
    EXPECT_EQ(bench.Chip.FetchAdcSamples(), 15);
    clock.AdvanceMs(1000);
    EXPECT_EQ(bench.Chip.FetchAdcSamples(), kMaxSamplesPerFetch);
    bridge.Faults.Count22 = true;
    EXPECT_EQ(bench.Chip.FetchAdcSamples(), 0);
    EXPECT_EQ(bench.Usb.UsbIoBuffer[0], 0) << "a count above 21 is stored back as 0";
    EXPECT_TRUE(bench.Chip.StopAdcStream());
    EXPECT_FALSE(bridge.Streaming());
}

TEST_F(SimLinkFixture, SingleResultsReachTheAdcPanel) {
    ConnectDriverBridge();
    bridge.SetSignal(0x123456, 0);
    bridge.SetTemperatureCode(0x0C80);
    ASSERT_TRUE(bench.Chip.ReadAdcResult());
    EXPECT_EQ(bench.Chip.Readings.Adc, (std::array<uint8_t, 3>{0x12, 0x34, 0x56}));
    ASSERT_TRUE(bench.Chip.ReadTempResult());
    EXPECT_EQ(bench.Chip.Readings.Temp, (std::array<uint8_t, 3>{0x0C, 0x80, 0}));
    std::string version;
    ASSERT_TRUE(bench.Chip.ReadBridgeVersion(bench.Stnd.Usb, version));
    EXPECT_EQ(version, bridge.Version);
    bridge.Lines = {1, 2, 3};
    uint8_t l1 = 0, l2 = 0, l3 = 0;
    ASSERT_TRUE(bench.Chip.ReadBridgeLines(bench.Stnd.Usb, l1, l2, l3));
    EXPECT_EQ(l1 * 100 + l2 * 10 + l3, 123);
}

struct LiveTextCase {
    std::array<uint8_t, 3> Bytes;
    bool Hex;
    int32_t Divisor;
    const char* Text;
};

TEST(AdcResultText, HexAndDecimalWithSignAndDivisor) {
    const LiveTextCase cases[] = {
        {{0x00, 0x00, 0x00}, true, 1, "0"},         {{0x12, 0x34, 0x56}, true, 1, "91A2B"},
        {{0x12, 0x34, 0x56}, false, 1, "596523"},   {{0xFF, 0xFF, 0xFE}, false, 1, "-1"},
        {{0x80, 0x00, 0x00}, false, 1, "-4194304"}, {{0x12, 0x34, 0x56}, true, 16, "91A2"},
        {{0x12, 0x34, 0x56}, true, 0, "91A2B"},
    };
    for (const auto& c : cases) EXPECT_EQ(AdcResultText(c.Bytes, c.Hex, c.Divisor), c.Text);
}

TEST_F(SimLinkFixture, TickShowsContinuousReadAndRedrawsLiveChart) {
    ConnectDriverBridge();
    bridge.SetSignal(0x000100, 0);
    bench.Centre.ContinuousRead = true;
    bench.Config.AdcPanel.TXADCOMD = 0;         // "HEX"
    TXADCObitChange(bench.Config.AdcPanel, 15); // width "23": divisor 1
    bench.Centre.Timer1Timer();
    EXPECT_EQ(panels.AdcText, "80");
    bench.Centre.ChartLive = true;
    for (int t = 0; t < 52; ++t) bench.Centre.Timer1Timer();
    EXPECT_EQ(panels.ChartRedraws, 2);
}

} // namespace
} // namespace qn::test
