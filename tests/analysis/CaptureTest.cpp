// The capture and what is made of it: records decoded into codes, the gain and the rates it works
// with; the capture loop on a simulated bridge and clock, with window messages scripted per batch;
// the noise figures, block averaging and the data file that holds them.
#include "analysis/AdcCapture.h"
#include "analysis/AdcGain.h"
#include "analysis/AnalysisCsv.h"
#include "analysis/Decoding.h"
#include "analysis/NoiseStatistics.h"
#include "analysis/SampleRate.h"
#include "link/SimLinkFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <locale>
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

AnalysisStore Captured(int32_t count, int32_t scaleDiv,
                       const std::function<int32_t(int32_t)>& code) {
    AnalysisStore store;
    store.ClearSamples(count);
    for (int32_t i = 0; i < count; ++i) store.KeepSample(code(i), scaleDiv);
    store.CloseCapture();
    return store;
}

TEST(NoiseStatistics, FiguresAfterCapture) {
    const double nv21 = 2.4e9 / 1048576; // nV per count at 21 bits and gain 1
    // Codes alternate between Base and Base + Step. Case 2: 0 V is 1.2 V. Case 3: adjacent scaled
    // codes, gain 0 counts as 1. Case 4: extremes 100.5 and 101.5 round to 100 and 102.
    const std::tuple<int32_t, int32_t, AnalysisInputs, double, double, double, double, double>
        cases[] = {
            {102, -4, {1, 23, "2.4", 1}, 22, 21, 4, nv21 / 2, nv21},
            {-4000, 0, {4, 21, "0", 2}, 21, 21, 1, 0, nv21 / 4},
            {400, 4, {4, 21, " 2.4 ", 0}, 22, 21, 1, nv21 / 2, nv21},
            {402, 4, {4, 21, "2.4", 1}, 22, 20, 2, nv21 / 2, 2 * nv21},
        };
    for (const auto& [base, step, inputs, enob, noiseFree, vppCount, rmsNV, vppNV] : cases) {
        AnalysisStore store =
            Captured(64, inputs.ScaleDiv, [&](int32_t i) { return base + step * (i % 2); });
        const AnalysisStatus status = ComputeCaptureStatistics(store, inputs);
        ASSERT_TRUE(status.Ok) << status.Message;
        const NoiseFigures& f = store.Figures;
        EXPECT_DOUBLE_EQ(f.Enob, enob) << inputs.RefVolt;
        EXPECT_DOUBLE_EQ(f.NoiseFree, noiseFree) << inputs.RefVolt;
        EXPECT_DOUBLE_EQ(f.VppCount, vppCount) << inputs.RefVolt;
        EXPECT_NEAR(f.RmsNV, rmsNV, 1e-9) << inputs.RefVolt;
        EXPECT_NEAR(f.VppNV, vppNV, 1e-9) << inputs.RefVolt;
    }
}

TEST(NoiseStatistics, PanelTextsDifferencesAndChangeSums) {
    AnalysisStore store = Captured(64, 1, [](int32_t i) { return 3 * i + (i % 2 ? -2 : 2); });
    ASSERT_TRUE(ComputeCaptureStatistics(store, {1, 23, "2.4", 1}).Ok);
    EXPECT_EQ(store.Panels.Average, "94.50");
    EXPECT_EQ(store.Panels.VppNoise, "107002.26"); // P = 188 − 1
    // ADCChange[47] is ADCData[63] − ADCData[47].
    EXPECT_EQ(std::tuple(store.ADCDiff[62], store.ADCChange[47], store.ADCChange[48]),
              std::tuple(-1, 48, 0));
}

// A capture that brought no sample (the ADC off, a time-out) shows no figures: never the full
// bits and one-count spread of a noise that was not measured, even after an earlier capture.
TEST(NoiseStatistics, NoSampleNoFigures) {
    AnalysisStore store = Captured(64, 1, [](int32_t i) { return i; });
    ASSERT_TRUE(ComputeCaptureStatistics(store, {1, 23, "2.4", 1}).Ok);
    store.ClearSamples(4096);
    store.CloseCapture();
    ASSERT_TRUE(ComputeCaptureStatistics(store, {1, 23, "2.4", 1}).Ok);
    EXPECT_EQ(std::tuple(store.Panels.Enob, store.Panels.VppNoise, store.Panels.Average,
                         store.Figures.Enob, store.Figures.VppNV),
              std::tuple("", "", "", 0.0, 0.0));
}

TEST(NoiseStatistics, BadReferenceTextStopsAfterEnobPanel) {
    AnalysisStore store = Captured(16, 1, [](int32_t i) { return i; });
    store.Figures.Enob = 7;
    const AnalysisStatus status = ComputeCaptureStatistics(store, {1, 23, "2,4", 1});
    EXPECT_EQ(status.Message, "'2,4' is not a valid floating point value");
    EXPECT_EQ(std::tuple(store.Panels.Average, store.Panels.RmsNoise, store.Figures.Enob),
              std::tuple("7.50", "", 7.0));
}

TEST(ReCalADC, AveragesWholeBlocksReturnsToTheCaptureAndNeedsOneBlock) {
    const AnalysisInputs inputs{1, 23, "2.4", 1};
    AnalysisStore store = Captured(100, 1, [](int32_t i) { return i; });
    ASSERT_TRUE(ComputeCaptureStatistics(store, inputs).Ok);
    const NoiseFigures captured = store.Figures;
    ASSERT_TRUE(ReCalADC(store, inputs, 32, 128).Ok);
    EXPECT_EQ(store.ChartCount, 2);
    const char* shown[] = {"15.50", "47.50", "79.50", ""};
    for (size_t i = 0; i < std::size(shown); ++i) EXPECT_EQ(store.Cells[i].Text(), shown[i]);
    EXPECT_EQ(store.Cells[99].Text(), ""); // the partial block shows nothing
    EXPECT_DOUBLE_EQ(store.Figures.RmsCount, std::sqrt(2 * 32.0 * 32.0 / 3));
    EXPECT_DOUBLE_EQ(store.Figures.VppCount, 64); // Round(79.5) − Round(15.5)
    ASSERT_TRUE(ReCalADC(store, inputs, 1, 128).Ok);
    EXPECT_EQ(std::tuple(store.ChartCount, store.Cells[99].Text()), std::tuple(64, "99"));
    EXPECT_DOUBLE_EQ(store.Figures.Average, captured.Average);
    EXPECT_DOUBLE_EQ(store.Figures.RmsCount, captured.RmsCount);

    AnalysisStore few = Captured(20, 1, [](int32_t i) { return i; }); // changes nothing
    const AnalysisStatus status = ReCalADC(few, inputs, 32, 64);
    EXPECT_EQ(status.Message, "Too few samples for averaging over 32: only 20 taken");
    EXPECT_EQ(std::tuple(few.Cells[19].Text(), few.ChartCount, few.Panels.Enob),
              std::tuple("19", 20, ""));
}

int32_t CodeOf(int32_t i) {
    return (i * 37) % 200 - 100;
}

// The codes of CodeOf with fixed figures, for the data file.
AnalysisStore CsvCapture(int32_t count) {
    AnalysisStore store = Captured(count, 1, CodeOf);
    store.Figures = {-1.5, 2288.8224, 0, 22, 4, 0.126, 21};
    return store;
}

// The file of a 40-sample capture: its two complete rows of 16, each value followed by ", ".
constexpr std::string_view kCsv40 =
    "-100, -63, -26, 11, 48, 85, -78, -41, -4, 33, 70, -93, -56, -19, 18, 55, \r\n"
    "92, -71, -34, 3, 40, 77, -86, -49, -12, 25, 62, 99, -64, -27, 10, 47, \r\n"
    "\xA5\xAD\xA7\xA1\xAD\xC8, VPP(nV), RMS Noise(nV), Enob, VPP(count), RMS Noise(count), "
    "Noise Free\r\n-1.50,2288.82,0.00,22.00,4.00,0.13,21.00\r\n";

TEST(AnalysisCsv, CompleteRowsHeadingAndFigures) {
    EXPECT_EQ(AnalysisCsvText(CsvCapture(40)), kCsv40);
    AnalysisStore averaged = CsvCapture(16);
    averaged.Cells[0] = {GridValue::Kind::Fraction, -1.75};
    averaged.Cells[1] = {};
    EXPECT_EQ(AnalysisCsvText(averaged).substr(0, 7), "-1, 0, "); // truncated, sign kept
    averaged.Cells[1] = {GridValue::Kind::Fraction, 2.5};
    EXPECT_EQ(AveragedCsvText(averaged, 2).substr(0, 15), "-1.75, 2.50, \r\n"); // as shown
}

// The file holds what the grid shows: block averages after averaging, codes again after a
// return to single codes or a new capture.
TEST(AnalysisCsv, FileFollowsTheAveragingShown) {
    AnalysisStore store = CsvCapture(64);
    const AnalysisInputs inputs{1, 23, "2.4", 1};
    ASSERT_TRUE(ReCalADC(store, inputs, 4, 64).Ok);
    EXPECT_EQ(AnalysisCsvText(store), AveragedCsvText(store, 16));
    ASSERT_TRUE(ReCalADC(store, inputs, 1, 64).Ok);
    store.Figures = CsvCapture(64).Figures;
    EXPECT_EQ(AnalysisCsvText(store), AnalysisCsvText(CsvCapture(64)));
    ASSERT_TRUE(ReCalADC(store, inputs, 4, 64).Ok);
    store.ClearSamples(64);
    for (int32_t i = 0; i < 64; ++i) store.KeepSample(CodeOf(i), 1);
    store.Figures = CsvCapture(64).Figures;
    EXPECT_EQ(AnalysisCsvText(store), AnalysisCsvText(CsvCapture(64)));
}

// The figures are written with decimal points whatever the locale says.
TEST(AnalysisCsv, FileKeepsDecimalPointsUnderAGermanLocale) {
    const std::locale previous =
        std::locale::global(std::locale("de_DE.UTF-8")); // throws if missing
    const std::string text = AnalysisCsvText(CsvCapture(40));
    std::locale::global(previous);
    EXPECT_EQ(text, kCsv40);
}

} // namespace
} // namespace qn::test
