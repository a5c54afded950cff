// The noise table sweep on the simulated chip and clock, and the layout of its CSV file.
#include "shell/NoiseTable.h"

#include "analysis/AnalysisCsv.h"
#include "chip/RegField.h"
#include "shell/SimBenchFixture.h"
#include "sim/SimChip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace qn::test {
namespace {

// A bench on the simulated bridge with the shipped QN7401 selected and its registers read.
class NoiseTableTest : public SimBenchTest {
  protected:
    NoiseSweep sweep{bench};
};

// The simulated chip's RMS noise referred to its input, in nV, as a capture of 23-bit codes sees
// it: the conversions' noise plus the rounding of the codes and of their halving.
double ModelRmsNV(double sps, double gain) {
    const double codes = SimNoiseRmsCodes(sps, gain);
    const double halved = std::sqrt((codes * codes + 1.0 / 12) / 4 + 1.0 / 12);
    return kSimReferenceVolts * 1e9 * halved / (gain * std::ldexp(1.0, 22));
}

TEST_F(NoiseTableTest, EveryGainAndRateMeasuredWithTheSimulatedChipsNoise) {
    sweep.Progress = [&](int, int, const NoiseTable& table, size_t r, size_t g) {
        const NoiseCell& cell = table.At(r, g);
        SCOPED_TRACE(table.Rates[r].Label + " " + table.Gains[g].Label);
        EXPECT_TRUE(cell.Measured);
        EXPECT_NEAR(cell.RmsNV / ModelRmsNV(table.Rates[r].Sps, table.Gains[g].Gain), 1.0, 0.1);
        EXPECT_GT(cell.VppNV, 4 * cell.RmsNV);
        // The capture's own resolution, log2(FSR / noise) with FSR = 2·Vref/gain.
        const NoiseFigures& figures = sweep.LastCapture().Figures;
        EXPECT_NEAR(cell.EffectiveBits, figures.Enob, 1e-9);
        EXPECT_NEAR(cell.NoiseFreeBits, figures.NoiseFree, 1e-9);
    };
    const NoiseSweepResult result = sweep.Run({});
    ASSERT_EQ(result.End, NoiseSweepResult::Outcome::Complete) << result.Message;
    EXPECT_EQ(result.Measured, 16 * 32);
    std::set<std::pair<uint32_t, uint32_t>> settings;
    for (const NoiseGain& g : result.Table.Gains) settings.insert({g.Pga, g.Adgn});
    EXPECT_EQ(settings.size(), 8u * 4u);
    std::set<int> rates;
    for (const NoiseRate& r : result.Table.Rates) rates.insert(r.Sps);
    EXPECT_EQ(rates, (std::set<int>{10, 30, 40, 80, 120, 160, 240, 320, 480, 640, 960, 1280, 1920,
                                    2560, 3840, 7680}));
}

// However the sweep ends, the chip's registers and the image read as before it, and the
// analysis window's capture (samples, figures, result panels, data file) is untouched.
TEST_F(NoiseTableTest, RegistersAndCaptureKeptWhetherCompleteStoppedOrFailed) {
    enum class At : uint8_t { Nothing, Stop, CloseWindow, PowerOff };
    using enum NoiseSweepResult::Outcome;
    // The request; what is done when the sweep tells point 2; how the sweep ends, the points it
    // measured, the input items while it measures, what its message says.
    const std::tuple<const char*, NoiseSweepRequest, At, NoiseSweepResult::Outcome, int, uint32_t,
                     uint32_t, const char*>
        cases[] = {
            {"complete", {64, "", "", {2560}}, At::Nothing, Complete, 32, 0, 0, ""},
            {"inputs", {64, "AI2", "TSN", {7680}}, At::Nothing, Complete, 32, 2, 6, ""},
            {"stop", {64, "", "", {2560}}, At::Stop, Stopped, 2, 0, 0, ""},
            {"window closes", {64, "", "", {2560}}, At::CloseWindow, Stopped, 2, 0, 0, ""},
            {"no conversions",
             {64, "", "", {2560}},
             At::PowerOff,
             Failed,
             2,
             0,
             0,
             "capture failed"},
            {"unknown input", {64, "AI9", "", {}}, At::Nothing, Failed, 0, 0, 0, "AI9"},
            {"unknown rate", {64, "", "", {2561}}, At::Nothing, Failed, 0, 0, 0, "2561 sps"},
        };
    // The fields as the sweep finds them, each away from what the sweep sets.
    const std::pair<const char*, uint32_t> before[] = {{"PGA", 3},   {"ADGN", 1}, {"OSR", 5},
                                                       {"HS", 1},    {"INP", 4},  {"INN", 5},
                                                       {"ADCEN", 0}, {"IRQEN", 0}};
    ASSERT_TRUE(bench.SwitchAdcOn());
    ASSERT_TRUE(bench.Capture.CatchACDCOM(bench.Config.Analysis.EREFV, kMode24Interrupt,
                                          bench.CatchOptions()));
    const AnalysisStore& capture = bench.Samples();
    const std::string dataFile = AnalysisCsvText(capture);
    const std::vector<double> codes = capture.ADCData;
    const std::string rmsPanel = capture.Panels.RmsNoise;
    const auto fieldNow = [this](const char* name) {
        return ReadField(bench.Model.AdcFields[name], bench.Stnd.RegImage);
    };
    for (const auto& [name, request, action, end, measured, inp, inn, says] : cases) {
        SCOPED_TRACE(name);
        world.SupplyPowersChip = false;
        for (const auto& [field, value] : before)
            bench.WriteChipField(bench.Model.AdcFields[field], value);
        const RegImageBytes image = bench.Stnd.RegImage;
        const SimRegisterFile chip = world.Bridge.Registers;
        sweep.Progress = [&](int point, int, const NoiseTable&, size_t, size_t) {
            EXPECT_EQ(
                std::tuple(fieldNow("INP"), fieldNow("INN"), fieldNow("ADCEN"), fieldNow("IRQEN")),
                std::tuple(inp, inn, 1u, 1u));
            if (point != 2) return;
            if (action == At::Stop) sweep.Stop();
            if (action == At::CloseWindow) bench.Guard.RequestStop();
            if (action == At::PowerOff) world.SupplyPowersChip = true; // its output is off
        };
        const NoiseSweepResult result = sweep.Run(request);
        EXPECT_EQ(result.End, end) << result.Message;
        EXPECT_EQ(result.Measured, measured);
        EXPECT_NE(result.Message.find(says), std::string::npos) << result.Message;
        EXPECT_TRUE(bench.Stnd.RegImage == image);
        EXPECT_TRUE(std::equal(chip.begin(), chip.begin() + 5, world.Bridge.Registers.begin()));
        EXPECT_EQ(capture.ChartCount, 256); // the window's own sample count
        EXPECT_TRUE(capture.ADCData == codes);
        EXPECT_EQ(capture.Panels.RmsNoise, rmsPanel);
        EXPECT_TRUE(AnalysisCsvText(capture) == dataFile);
    }
}

TEST(NoiseTableCsv, FourBlocksOfRatesByGains) {
    NoiseTable table;
    table.Rates = {{7, 0, 10, "10 sps"}, {0, 1, 7680, "7680 sps"}};
    table.Gains = {{0, 0, 1, "x1 (PGA 0 ADGN 0)"}, {7, 3, 512, "x512 (PGA 7 ADGN 3)"}};
    table.Cells = {{true, 286.5, 1900.125, 24.0, 21.3},
                   {true, 0.5, 3, 23.5, 20},
                   {true, 7939.999, 52000, 19.21, 16.4},
                   {}};
    // One block a figure: its title, the gains, then a line a rate (the last cell unmeasured).
    const auto block = [](const std::string& title, const std::string& slow,
                          const std::string& fast) {
        return title + "\r\nData rate,x1 (PGA 0 ADGN 0),x512 (PGA 7 ADGN 3)\r\n10 sps," + slow +
               "\r\n7680 sps," + fast + ",\r\n";
    };
    EXPECT_EQ(NoiseTableCsv(table),
              block("RMS noise (nV)", "286.50,0.50", "7940.00") + "\r\n" +
                  block("Peak-to-peak noise (nV)", "1900.12,3.00", "52000.00") + "\r\n" +
                  block("Effective resolution (bits)", "24.00,23.50", "19.21") + "\r\n" +
                  block("Noise-free resolution (bits)", "21.30,20.00", "16.40"));
}

} // namespace
} // namespace qn::test
