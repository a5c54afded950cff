// Register writes past their frames, the image's bounds, refusals without I/O, stream fetches and
// the ADC result shown live.
#include "SimLinkFixture.h"

#include <tuple>

namespace qn::test {
namespace {

constexpr uint8_t kOneByte[] = {0};

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

// Refused requests reach no transport and spend no pause: every kind while the bridge (or the
// serial port) is closed, then on an open bridge the unused kinds and counts whose frame length
// would not fit one byte.
TEST_F(SimLinkFixture, RefusedRequestsMoveNothing) {
    const auto refused = [this](uint16_t kind) {
        bench.Stnd.Interface = kind;
        EXPECT_FALSE(bench.Chip.ReadChip(0, 1)) << kind;
        EXPECT_FALSE(bench.Chip.WriteChip(0, kOneByte)) << kind;
    };
    for (uint16_t kind : {kLinkSpecial, kLinkRs232, kLinkQn740x}) refused(kind);
    uint8_t l1 = 0, l2 = 0, l3 = 0;
    EXPECT_FALSE(bench.Chip.ReadAdcResult() || bench.Chip.StopAdcStream() ||
                 bench.Chip.ReadBridgeLines(bench.Stnd.Usb, l1, l2, l3));
    EXPECT_TRUE(driver.Calls().empty());
    EXPECT_EQ(clock.ElapsedSinceStartMs(), 0);
    ConnectDriverBridge(kLinkQn740x);
    EXPECT_FALSE(bench.Chip.ReadChip(0, 251));
    EXPECT_FALSE(bench.Chip.WriteChip(0, std::vector<uint8_t>(249)));
    for (uint16_t kind : std::to_array<uint16_t>({kLinkSpi, kLinkParallel, kLinkUart, 6}))
        refused(kind);
    EXPECT_TRUE(bridge.Log().empty());
    EXPECT_TRUE(bench.Stnd.Usb.Open);
}

// A fetch passes on up to 21 samples; a larger count cannot be true and reads as none. Fetches
// go out 10 ms apart, counted from the start of the previous one, and no later.
TEST_F(SimLinkFixture, StreamFetchesTakeAtMost21SamplesEvery10Ms) {
    ConnectDriverBridge();
    bridge.SetOutputRate(1000);
    bridge.SetSignal(0x123456, 0);
    ASSERT_TRUE(bench.Chip.StartAdcStream(3));
    clock.AdvanceMs(100);
    const AdcRecords full = bench.Chip.FetchAdcSamples();
    ASSERT_EQ(full.Count, kMaxSamplesPerFetch);
    for (const int k : {0, kMaxSamplesPerFetch - 1})
        EXPECT_EQ(std::vector(full.Record(k).begin(), full.Record(k).end()),
                  (std::vector<uint8_t>{0x12, 0x34, 0x56}));
    EXPECT_EQ(full.AskedMs, clock.SteadyMs()) << "the first fetch waits for nothing";
    clock.AdvanceMs(4);
    EXPECT_EQ(bench.Chip.FetchAdcSamples().AskedMs, full.AskedMs + kFetchIntervalMs);
    clock.AdvanceMs(25);
    bridge.Faults.Count22 = true;
    const AdcRecords late = bench.Chip.FetchAdcSamples();
    EXPECT_EQ(late.AskedMs, clock.SteadyMs()) << "a late fetch goes out at once";
    EXPECT_EQ(late.Count, 0);
}

TEST(AdcResultText, HexAndDecimalWithSignAndDivisor) {
    const std::tuple<std::array<uint8_t, 3>, bool, int32_t, const char*> cases[] = {
        {{0x00, 0x00, 0x00}, true, 1, "0"},         {{0x12, 0x34, 0x56}, true, 1, "91A2B"},
        {{0x12, 0x34, 0x56}, false, 1, "596523"},   {{0xFF, 0xFF, 0xFE}, false, 1, "-1"},
        {{0x80, 0x00, 0x00}, false, 1, "-4194304"}, {{0x12, 0x34, 0x56}, true, 16, "91A2"},
        {{0x12, 0x34, 0x56}, true, 0, "91A2B"},     {{0xFF, 0xFF, 0xFE}, false, 256, "0"},
        {{0x80, 0x00, 0x00}, false, 256, "-16384"}, {{0x12, 0x34, 0x56}, false, 16, "37282"},
    };
    for (const auto& [bytes, hex, divisor, text] : cases)
        EXPECT_EQ(AdcResultText(bytes, hex, divisor), text);
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
