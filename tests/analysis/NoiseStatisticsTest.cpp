// Tests of a capture's noise figures, block averaging and the data file that holds them.
#include "analysis/NoiseStatistics.h"
#include "analysis/AnalysisCsv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <locale>

namespace qn {
namespace {

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
} // namespace qn
