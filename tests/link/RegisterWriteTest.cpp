// Register writes past their frames, the image's bounds, refusals without I/O, stream fetches,
// a capture through the whole link and the ADC result shown live.
#include "SimLinkFixture.h"
#include "chip/RegField.h"
#include "sim/SimTestHelpers.h"

#include <tuple>
#include <utility>

namespace qn::test {
namespace {

// Registers 49 and 50 wait a second before their read-back; the function choice picks the preset.
TEST_F(SimLinkFixture, SlowRegistersPauseAndAdcPresetsFollowTheFunctionChoice) {
    ConnectDriverBridge(kLinkSpecial);
    for (int reg : {49, 50, 51}) {
        const double before = clock.ElapsedSinceStartMs();
        bench.Chip.WriteRegister(reg, 0x0F);
        // Two "Special" transfers pause 50 ms each; 49 and 50 wait one second more.
        EXPECT_NEAR(clock.ElapsedSinceStartMs() - before, reg == 51 ? 100 : 1100, 2) << reg;
        EXPECT_EQ(bench.Chip.GetReg(reg), 0x0F);
    }
    for (const auto& [choice, reg, value] :
         {std::tuple{0, 60, 0x11}, {0, 48, 0x22}, {1, 64, 0x33}, {1, 59, 0x44}}) {
        bench.Chip.Options.FunctionChoice = choice;
        bench.Chip.WriteRegister(reg, static_cast<uint8_t>(value));
    }
    EXPECT_EQ(bench.Chip.AdcPresetA, (std::array<uint8_t, 6>{0x11, 0, 0, 0, 0, 0x22}));
    EXPECT_EQ(bench.Chip.AdcPresetB, (std::array<uint8_t, 6>{0, 0, 0, 0, 0x33, 0}));
}

TEST_F(SimLinkFixture, ImageAccessOutsideTheImageIsHarmless) {
    for (const int at : {1023, -1, 1024}) bench.Chip.SetReg(at, at == 1023 ? 7 : 9);
    EXPECT_EQ(std::tuple(bench.Chip.GetReg(1023), bench.Chip.GetReg(1024), bench.Chip.GetReg(-1),
                         bench.Chip.GetReg(0)),
              std::tuple(7, 0, 0, 0));
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

// While the bridge (or the serial port) is not open, no frame reaches a transport and no pause
// is spent.
TEST_F(SimLinkFixture, FramesAreRefusedWithoutIoWhileClosed) {
    driver.AddDevice(bridge);
    for (uint16_t kind : {uint16_t{kLinkSpecial}, uint16_t{kLinkRs232}, uint16_t{kLinkQn740x}}) {
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

// A fetch passes on up to 21 samples; a larger count cannot be true and reads as none.
TEST_F(SimLinkFixture, StreamFetchesTakeAtMost21Samples) {
    ConnectDriverBridge();
    bridge.SetOutputRate(1000);
    ASSERT_TRUE(bench.Chip.StartAdcStream(3));
    clock.AdvanceMs(100);
    EXPECT_EQ(bench.Chip.FetchAdcSamples(), kMaxSamplesPerFetch);
    bridge.Faults.Count22 = true;
    EXPECT_EQ(bench.Chip.FetchAdcSamples(), 0);
    EXPECT_EQ(bench.Usb.UsbIoBuffer[0], 0) << "a count above 21 is stored back as 0";
}

// An ADC capture through the whole link from a simulated QN7401 that reads the tool's chip file:
// the panel's field writes reach the chip and switch it on, and the calibrator's voltage arrives
// times the gain.
TEST_F(SimLinkFixture, CalibratorVoltageArrivesTimesTheGainThroughTheWholeLink) {
    bench.Model = SelectShipped(kQn7401);
    bench.Chip.SetChip(&bench.ChipInfo);
    bridge.LoadChip(bench.Model);
    ConnectDriverBridge(kLinkQn740x);
    bridge.SetInputVoltage(0.1);
    // Each field as the ADC panel changes it: read-modify-write and a register write. The inputs
    // AI0 and AI1 take the calibrator; PGA 3 is gain 8; OSR 5 makes 80 conversions a second.
    for (const auto& [name, value] : {std::pair{"INP", 0u},
                                      {"INN", 1u},
                                      {"PGA", 3u},
                                      {"OSR", 5u},
                                      {"ADCEN", 1u},
                                      {"IRQEN", 1u}}) {
        const RegFieldDesc& field = bench.Model.AdcFields[name];
        ASSERT_TRUE(WriteField(field, value, bench.Stnd.RegImage, [this](int a, uint8_t v) {
            bench.Chip.WriteRegister(a, v);
        })) << name;
    }
    ASSERT_TRUE(bench.Chip.StartAdcStream(3));
    double sum = 0;
    size_t count = 0;
    while (count < 500) {
        clock.AdvanceMs(115); // about ten conversions, with the link's own pause after a fetch
        const auto n = static_cast<size_t>(bench.Chip.FetchAdcSamples());
        ASSERT_GT(n, 0u);
        const auto& io = bench.Usb.UsbIoBuffer;
        for (size_t at = 1; at < 1 + 3 * n; at += 3)
            sum += io[at] << 16 | io[at + 1] << 8 | io[at + 2];
        count += n;
    }
    EXPECT_TRUE(bench.Chip.StopAdcStream());
    EXPECT_NEAR(sum / static_cast<double>(count), 0.1 * 8 / 2.4 * 0x800000, 1.5)
        << "a third of full scale, in positive codes";
}

TEST(AdcResultText, HexAndDecimalWithSignAndDivisor) {
    const struct {
        std::array<uint8_t, 3> Bytes;
        bool Hex;
        int32_t Divisor;
        const char* Text;
    } cases[] = {
        {{0x00, 0x00, 0x00}, true, 1, "0"},         {{0x12, 0x34, 0x56}, true, 1, "91A2B"},
        {{0x12, 0x34, 0x56}, false, 1, "596523"},   {{0xFF, 0xFF, 0xFE}, false, 1, "-1"},
        {{0x80, 0x00, 0x00}, false, 1, "-4194304"}, {{0x12, 0x34, 0x56}, true, 16, "91A2"},
        {{0x12, 0x34, 0x56}, true, 0, "91A2B"},     {{0xFF, 0xFF, 0xFE}, false, 256, "0"},
        {{0x80, 0x00, 0x00}, false, 256, "-16384"}, {{0x12, 0x34, 0x56}, false, 16, "37282"},
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
