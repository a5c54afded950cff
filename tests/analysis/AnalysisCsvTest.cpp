#include "analysis/AnalysisCsv.h"
#include "analysis/NoiseStatistics.h"

#include <gtest/gtest.h>

#include <locale>

namespace qn {
namespace {

int32_t CodeOf(int32_t i) {
    return (i * 37) % 200 - 100;
}

AnalysisStore Captured(int32_t count) {
    AnalysisStore store;
    for (int32_t i = 0; i < count; ++i) store.KeepSample(CodeOf(i), 1);
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
    EXPECT_EQ(AnalysisCsvText(Captured(40)), kCsv40);
    AnalysisStore averaged = Captured(16);
    averaged.Cells[0] = {GridValue::Kind::Fraction, -1.75};
    averaged.Cells[1] = {};
    EXPECT_EQ(AnalysisCsvText(averaged).substr(0, 7), "-1, 0, "); // truncated, sign kept
    averaged.Cells[1] = {GridValue::Kind::Fraction, 2.5};
    EXPECT_EQ(AveragedCsvText(averaged, 2).substr(0, 15), "-1.75, 2.50, \r\n"); // as shown
}

// The file holds what the grid shows: block averages after averaging, codes again after a
// return to single codes or a new capture.
TEST(AnalysisCsv, FileFollowsTheAveragingShown) {
    AnalysisStore store = Captured(64);
    const AnalysisInputs inputs{1, 23, "2.4", 1};
    ASSERT_TRUE(ReCalADC(store, inputs, 4, 64).Ok);
    EXPECT_EQ(AnalysisCsvText(store), AveragedCsvText(store, 16));
    ASSERT_TRUE(ReCalADC(store, inputs, 1, 64).Ok);
    store.Figures = Captured(64).Figures;
    EXPECT_EQ(AnalysisCsvText(store), AnalysisCsvText(Captured(64)));
    ASSERT_TRUE(ReCalADC(store, inputs, 4, 64).Ok);
    store.ClearSamples(64);
    for (int32_t i = 0; i < 64; ++i) store.KeepSample(CodeOf(i), 1);
    store.Figures = Captured(64).Figures;
    EXPECT_EQ(AnalysisCsvText(store), AnalysisCsvText(Captured(64)));
}

// The figures are written with decimal points whatever the locale says.
TEST(AnalysisCsv, FileKeepsDecimalPointsUnderAGermanLocale) {
    const std::locale previous =
        std::locale::global(std::locale("de_DE.UTF-8")); // throws if missing
    const std::string text = AnalysisCsvText(Captured(40));
    std::locale::global(previous);
    EXPECT_EQ(text, kCsv40);
}

} // namespace
} // namespace qn
