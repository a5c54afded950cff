// The capture: records decoded into codes, the gain and the rates it works with, and the capture
// loop on a simulated bridge and clock, with window messages scripted per batch.
#include "analysis/AdcCapture.h"
#include "analysis/AdcGain.h"
#include "analysis/Decoding.h"
#include "analysis/SampleRate.h"
#include "link/SimLinkFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <tuple>
#include <utility>
#include <vector>

namespace qn::test {
namespace {

// Runs the test's message handler every time the capture lets window messages through.
class CaptureTest : public ::testing::Test {
  protected:
    CaptureTest() {
        bench.Chip.SetChip(&chipInfo);
        driver.AddDevice(bridge);
        bench.Stnd.Interface = kLinkQn740x;
        bench.Centre.USBConnect();
        bridge.ClearLog();
        // Calls after the stream started follow a fetch: its answer is still in the buffer.
        capture.Progress = [this](int percent) {
            if (!bench.Centre.ChartLive) return;
            lastPercent = percent;
            const auto& io = bench.Usb.UsbIoBuffer;
            for (size_t k = 0; k < io[0]; ++k)
                records.push_back({io[1 + 3 * k], io[2 + 3 * k], io[3 + 3 * k]});
        };
        capture.Finished = [this] { ++finished; };
    }

    SimClock clock;
    SimBridge bridge{clock};
    SimDriverLayer driver;
    SimHidLayer hid;
    SimSerialPortFactory serialPorts;
    ScriptedPump pump;
    PromptRelay prompt;
    RecordingStatus status;
    CountingPanels panels;
    FixedChipInfo chipInfo{2, 3};
    Bench bench{Platform{hid, driver, serialPorts, clock, pump, status, panels, prompt}, "", ""};
    AnalysisStore store;
    AdcCapture capture{{bench.Chip, bench.Guard, clock, status, bench.Centre, store}};
    CaptureOptions options{.NPoint = 64, .ScaleDiv = 4, .Decode = {.HalveCodes = true}};
    std::vector<std::array<uint8_t, 3>> records; // every record the fetches answered
    int lastPercent = -1;                        // told after the last batch
    int finished = 0;                            // captures told ended
};

// One record per batch, and full batches whose last one brings more than the capture needs.
TEST_F(CaptureTest, KeepsTheTargetCountAfterTheDiscardedRecords) {
    for (const auto& [rate, taken] : {std::pair{100.0, 77u}, {2100.0, 84u}}) {
        records.clear();
        bridge.SetOutputRate(rate);
        bridge.SetSignal(-3000, 40);
        bench.Centre.ContinuousRead = true;
        EXPECT_TRUE(capture.CatchACDCOM("2.4", kMode24Interrupt, options)) << rate;
        ASSERT_EQ(records.size(), taken) << rate;
        ASSERT_EQ(store.SampleCount, 64) << rate;
        for (size_t i = 0; i < 64; ++i) {
            const auto& r = records[13 + i];
            const int32_t code = DecodeRecord(kMode24Interrupt, r[0], r[1], r[2], {true, false});
            ASSERT_EQ(store.ADCRaw[i], code) << rate << " sample " << i;
            ASSERT_EQ(store.Cells[i].Value, ScaledValue(code, 4)) << rate << " sample " << i;
        }
        EXPECT_EQ(std::tuple(status.Panels[2], store.ShortfallText(), lastPercent, finished),
                  std::tuple("Read Compelete", "", 100, rate < 1000 ? 1 : 2))
            << rate << ": the gauge hides after each capture";
        EXPECT_FALSE(bench.Centre.ChartLive || bench.Centre.ContinuousRead || bridge.Streaming());
    }
}

// The measured rate counts every record up to the last arrival: it matches a rate the bridge
// carries, however short the capture, and shows the bridge's limit above it.
TEST_F(CaptureTest, MeasuresTheRateTheRecordsArrivedAt) {
    const std::tuple<double, int32_t, double> cases[] = {
        {10, 64, 10}, {1000, 64, 1000}, {1280, 4096, 1280}, {2560, 64, 2100}, {7680, 4096, 2100}};
    for (const auto& [rate, samples, measured] : cases) {
        bridge.SetOutputRate(rate);
        options.NPoint = samples;
        options.ConfiguredRate = rate;
        ASSERT_TRUE(capture.CatchACDCOM("2.4", kMode24Interrupt, options)) << rate;
        EXPECT_NEAR(capture.Rates.Measured, measured, measured * 0.015) << rate;
        EXPECT_EQ(capture.Rates.Configured, rate);
    }
}

TEST_F(CaptureTest, TenSecondsWithoutSamplesEndsTheCaptureAsFailed) {
    bridge.SetOutputRate(100);
    pump.Message = [this] {
        if (store.SampleCount >= 20) bridge.SetOutputRate(0);
    };
    EXPECT_FALSE(capture.CatchACDCOM("2.4", kMode24Interrupt, options));
    EXPECT_EQ(status.Panels[2], "Read Error !!!!!");
    EXPECT_GT(capture.ElapsedMs, kNoDataTimeoutMs);
    EXPECT_LT(capture.ElapsedMs, kNoDataTimeoutMs + 1000);
    double sum = 0;
    for (int32_t i = 0; i < store.SampleCount; ++i)
        sum += store.Cells[static_cast<size_t>(i)].Value;
    EXPECT_DOUBLE_EQ(store.SampleSum, sum / store.SampleCount) << "statistics see the mean";
    EXPECT_FALSE(bridge.Streaming());
}

// A second "Catch ADC" press and a closing main window both arrive as pumped messages.
TEST_F(CaptureTest, AStopFromAWindowMessageEndsTheCapture) {
    const std::function<void()> stops[] = {[this] { capture.Stop(); },
                                           [this] { bench.Guard.RequestStop(); }};
    for (const auto& stop : stops) {
        bridge.SetOutputRate(100);
        pump.Message = [&] {
            if (store.SampleCount >= 10) stop();
        };
        EXPECT_FALSE(capture.ReadADCALL(kMode24Interrupt, options));
        EXPECT_EQ(store.ShortfallText(), "10 of 64 samples");
        EXPECT_EQ(finished, &stop == stops ? 1 : 2) << "a stopped capture hides the gauge too";
        EXPECT_FALSE(bridge.Streaming());
        EXPECT_TRUE(capture.Ready());
    }
}

// Timer ticks and clicks let through by the capture start no exchange of their own.
TEST_F(CaptureTest, MessagesInsideTheCaptureStartNoExchange) {
    bridge.SetOutputRate(100);
    bool nestedCapture = true;
    pump.Message = [&] {
        bench.Centre.ContinuousRead = true;
        bench.Usb.IdleTicks = kIdleCheckTicks - 1;
        bench.Centre.Timer1Timer();
        nestedCapture = capture.CatchACDCOM("2.4", kMode24Polled, options);
    };
    EXPECT_TRUE(capture.ReadADCALL(kMode24Interrupt, options));
    EXPECT_FALSE(nestedCapture);
    const auto& log = bridge.Log();
    ASSERT_GT(log.size(), 3u);
    for (size_t i = 2; i + 1 < log.size(); ++i)
        ASSERT_EQ(log[i].Request.at(1), 0x04) << "frame " << i << " is no fetch";
    EXPECT_EQ(log.back().Request.at(1), 0x03);
}

TEST_F(CaptureTest, WaitTriggerShowsTheSecondsFieldAndEndsOnAStopRequest) {
    const auto operation = bench.Guard.Begin();
    EXPECT_TRUE(capture.WaitTRIGER(61.5));
    EXPECT_EQ(status.Panels[2], "1");
    pump.Message = [this] { bench.Guard.RequestStop(); };
    EXPECT_FALSE(capture.WaitTRIGER(5));
}

TEST(Decoding, RecordsGiveSignedCodesPerModeAndOptions) {
    constexpr DecodeOptions kHalve{true, false}, kFull{false, true};
    const std::tuple<int, uint32_t, DecodeOptions, int32_t> cases[] = {
        {kMode24Interrupt, 0xFFFFFF, kHalve, -1},
        {kMode24Interrupt, 0x800000, kHalve, -4194304},
        {kMode24Interrupt, 0x7FFFFF, kHalve, 4194303},
        {kMode24Polled, 0xFFFFFF, kFull, -1},
        {kMode24Polled, 0x800000, kFull, -8388608},
        {kMode24Polled, 0x7FFFFF, kFull, 8388607},
        {kMode24Polled, 0xFFFFFD, {}, -2}, // negatives halve toward minus infinity
        {kMode16Temperature, 0x123400, kHalve, 0x091A}};
    for (const auto& [mode, record, options, code] : cases) {
        const auto byte = [&](int shift) { return static_cast<uint8_t>(record >> shift); };
        EXPECT_EQ(DecodeRecord(mode, byte(16), byte(8), byte(0), options), code)
            << std::hex << record << " mode " << mode;
    }
    EXPECT_EQ(std::pair(ScaledValue(-5, 4), ScaledValue(5, 4)), std::pair(-1, 1));
}

// Defines the ADC fields (name, lsb, width) in register `address`.
void Define(ChipModel& chip, uint16_t address,
            std::initializer_list<std::tuple<std::string_view, uint8_t, uint8_t>> fields) {
    for (const auto& [name, lsb, width] : fields)
        *chip.AdcFields.Find(name) = {address, width, lsb, 0, true, {}};
}

TEST(AdcGain, MultipliesBothTablesAndDoublesForFullScaleRange) {
    ChipModel chip;
    chip.PgaGainTable = {1, 2, 4, 8, 16, 32, 64, 128};
    chip.AdcGainTable = {1, 2, 4, 8};
    Define(chip, 0x40, {{"PGA", 0, 4}, {"ADGN", 4, 2}, {"FSRB", 6, 1}}); // PGA one bit wider
    RegImageBytes image{};
    image[0x40] = 0x53; // PGA 3, ADGN 1, FSRB 1
    EXPECT_EQ(GetGain(chip, image), 8 * 2 * 2);
    image[0x40] = 0x0C; // PGA 12 lies beyond the table and counts as 1
    EXPECT_EQ(GetGain(chip, image), 1);
}

// The rate the ADC panel shows for the "OSR" and "HS" fields; a chip without "OSR" has none.
TEST(SampleRate, ConfiguredRateFollowsOsrAndHighSpeed) {
    ChipModel chip;
    Define(chip, 0x02, {{"OSR", 5, 3}, {"HS", 3, 1}});
    const std::pair<uint8_t, double> cases[] = {{0x00, 2560}, {0x20, 1280}, {0x08, 7680},
                                                {0xC0, 40},   {0xE0, 10},   {0xE8, 30}};
    RegImageBytes image{};
    for (const auto& [byte, rate] : cases) {
        image[0x02] = byte;
        EXPECT_EQ(ConfiguredOutputRate(chip, image), rate) << int(byte);
    }
    chip.AdcFields.Find("OSR")->Defined = false;
    EXPECT_EQ(ConfiguredOutputRate(chip, image), std::nullopt);
}

// The configured rate stands when the records came at least 95 % as fast; a shortfall draws no
// spectrum; without a configured rate the measured one is used.
TEST(SampleRate, SpectrumRateIsTheConfiguredOneUnlessRecordsFellShort) {
    const std::tuple<double, double, RateBasis, double> cases[] = {
        {2560, 2560, RateBasis::Configured, 2560},
        {2560, 2433, RateBasis::Configured, 2560},
        {2560, 2431, RateBasis::Short, 0},
        {2560, 2100, RateBasis::Short, 0},
        {2560, 0, RateBasis::Short, 0},
        {10, 10.4, RateBasis::Configured, 10},
        {0, 1122, RateBasis::Measured, 1122},
        {0, 0, RateBasis::None, 0},
        {std::nan(""), 500, RateBasis::Measured, 500},
        {-5, 500, RateBasis::Measured, 500}};
    for (const auto& [configured, measured, basis, rate] : cases) {
        const SpectrumRate chosen = ChooseSpectrumRate({configured, measured});
        EXPECT_EQ(std::tuple(chosen.Basis, chosen.Rate), std::tuple(basis, rate))
            << configured << " " << measured;
    }
}

} // namespace
} // namespace qn::test
