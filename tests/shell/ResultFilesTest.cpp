// The temperature test's result files byte for byte, in any locale, and their fallbacks.
#include "files/Cp950Text.h"
#include "files/TextFile.h"
#include "run/ResultFileLines.h"
#include "run/RewritePacer.h"
#include "run/TempResultFiles.h"
#include "shell/SettingsFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <locale>
#include <stdexcept>
#include <tuple>

namespace qn::test {
namespace {

// Two temperature rows and two steps; every statistic tells its row and step apart. Row 2 step 1
// has no complete capture: its figures, whatever they hold, are never written.
TempResults TwoRowsTwoSteps() {
    TempResults results;
    results.Reset(2, 2);
    for (size_t row = 1; row <= 2; ++row) {
        results.SetSetPoints(row, row == 1 ? -40.0 : -30.004, row == 1 ? 0.0 : 12.5);
        for (size_t step = 1; step <= 2; ++step) {
            const double id = static_cast<double>(row * 10 + step);
            results.SetResult(
                row, step,
                {{id, 1.5, 0.25, 19.876, 3, 0.5, 17}, {id + 0.5, 2.5, 0.75, 10.004, 4, 1, 9}});
            results.SetMeasured(row, step, row == 1 || step == 2);
        }
    }
    results.SetMeter(1, 2, 0, {1.5, "V"});
    results.SetMeter(1, 2, 5, {0.001, "伏"});
    return results;
}

const std::string kFiguresHeading =
    "平均值, VPP(nV), RMS Noise(nV), Enob, VPP(count), RMS Noise(count), Noise Free, 比較值";

// The A, B, alternate B and multimeter files of TwoRowsTwoSteps; seven empty cells keep an
// unmeasured step's columns in place.
const std::string kExpectedA =
    ", , , Test #0, , , \r\n" + Utf8ToCp950("溫度, 濕度,  ," + kFiguresHeading) +
    "\r\n"
    "-40.00, 0.00, 1, 11.00, 1.50, 0.25, 19.88, 3.00, 0.50, 17.00,0\r\n"
    "-40.00, 0.00, 2, 12.00, 1.50, 0.25, 19.88, 3.00, 0.50, 17.00,0\r\n"
    "-30.00, 12.50, 1, , , , , , , ,0\r\n"
    "-30.00, 12.50, 2, 22.00, 1.50, 0.25, 19.88, 3.00, 0.50, 17.00,0\r\n";
const std::string kExpectedB = "Test #0, , , \r\n" + Utf8ToCp950(" ," + kFiguresHeading) +
                               "\r\n"
                               "1, 11.00, 1.50, 0.25, 19.88, 3.00, 0.50, 17.00,0\r\n"
                               "2, 12.00, 1.50, 0.25, 19.88, 3.00, 0.50, 17.00,0\r\n"
                               "1, , , , , , , ,0\r\n"
                               "2, 22.00, 1.50, 0.25, 19.88, 3.00, 0.50, 17.00,0\r\n";
const std::string kExpectedBAlternate =
    "Test #0, , , \r\n" +
    Utf8ToCp950(" ,ADC-平均值, ADC-VPP(nV), ADC-RMS Noise(nV), ADC-Enob, ADC-VPP(count), "
                "ADC-RMS Noise(count), ADC-Noise Free, Temp-平均值, Temp-VPP(nV), Temp-RMS "
                "Noise(nV), Temp-Enob, Temp-VPP(count), Temp-RMS Noise(count), Temp-Noise Free, ") +
    "\r\n"
    "1, 11.00, 1.50, 0.25, 19.88, 3.00, 0.50, 17.00, 11.50, 2.50, 0.75, 10.00, 4.00, 1.00, 9.00\r\n"
    "2, 12.00, 1.50, 0.25, 19.88, 3.00, 0.50, 17.00, 12.50, 2.50, 0.75, 10.00, 4.00, 1.00, 9.00\r\n"
    "1, , , , , , , , , , , , , , \r\n"
    "2, 22.00, 1.50, 0.25, 19.88, 3.00, 0.50, 17.00, 22.50, 2.50, 0.75, 10.00, 4.00, 1.00, "
    "9.00\r\n";
const std::string kExpectedMeter =
    ", , , Test #0, , , Test #1, , , Test #2, , , Test #3, , , Test #4, , , Test #5, , \r\n"
    "-40.00, 0.00, , 1, 0, , 1, 0, , 1, 0, , 1, 0, , 1, 0, , 1, 0, \r\n"
    "-40.00, 0.00, , 2, 1.5, V, 2, 0, , 2, 0, , 2, 0, , 2, 0, , 2, 0.001, " +
    Utf8ToCp950("伏") +
    "\r\n"
    "-30.00, 12.50, , 1, 0, , 1, 0, , 1, 0, , 1, 0, , 1, 0, , 1, 0, \r\n"
    "-30.00, 12.50, , 2, 0, , 2, 0, , 2, 0, , 2, 0, , 2, 0, , 2, 0, \r\n";

// A grid line of 16 whole numbers counting up from `first`.
std::string Counted(int first) {
    std::string line;
    for (int i = first; i < first + 16; ++i) line += std::to_string(i) + ", ";
    return line + "\r\n";
}

TEST(TempResultFiles, TextsByteForByteInEveryLocale) {
    const TempResults results = TwoRowsTwoSteps();
    // 40 samples: grid integers -20..19 and capture codes 1000.4..1039.4; 20 temperature codes
    // from 3 down in steps of 7.6.
    AnalysisStore adc;
    AnalysisStore temperature;
    adc.SampleCount = 40;
    for (int i = 0; i < 40; ++i) {
        adc.Cells[static_cast<size_t>(i)] = {GridValue::Kind::Integer, i - 20.0};
        adc.ADCData[static_cast<size_t>(i)] = 1000.4 + i;
    }
    adc.Figures = {1.234, 2, 3.5, 18.999, 40, 6.006, 15.5};
    temperature.SampleCount = 20;
    for (int i = 0; i < 20; ++i) temperature.ADCData[static_cast<size_t>(i)] = 3 - 7.6 * i;
    temperature.Figures = {25.125001, 0, 1, 2, 3, 4, 5};
    const std::string figures =
        Utf8ToCp950(kFiguresHeading) + "\r\n1.23,2.00,3.50,19.00,40.00,6.01,15.50,0\r\n";
    const std::string fullAlternate =
        Counted(1000) + Counted(1016) + figures +
        "3, -5, -12, -20, -27, -35, -43, -50, -58, -65, -73, -81, -88, -96, -103, -111, \r\n" +
        Utf8ToCp950("Temp-平均值, Temp-VPP(nV), Temp-RMS Noise(nV), Temp-Enob, Temp-VPP(count), "
                    "Temp-RMS Noise(count), Temp-Noise Free") +
        "\r\n25.13,0.00,1.00,2.00,3.00,4.00,5.00\r\n";

    const std::locale previous;
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
        SCOPED_TRACE(locale);
        // Sets the C locale too; throws when the locale is missing.
        std::locale::global(std::locale(locale));
        EXPECT_EQ(TempAFileText(results), kExpectedA);
        EXPECT_EQ(TempBFileText(results, false), kExpectedB);
        EXPECT_EQ(TempBFileText(results, true), kExpectedBAlternate);
        EXPECT_EQ(MeterFileText(results), kExpectedMeter);
        EXPECT_EQ(FullDataFileText(adc, nullptr), Counted(-20) + Counted(-4) + figures);
        EXPECT_EQ(FullDataFileText(adc, &temperature), fullAlternate);
    }
    std::locale::global(previous);
}

// Up to eight decimals, trailing zeros dropped, never "-0".
TEST(TempResultFiles, MeterPattern) {
    std::string texts;
    for (const double reading :
         {0.0, -0.0, 0.5, -0.25, 100.0, 2.1, 1e-9, -4e-9, 6e-9, 12345.123456789})
        texts += MeterReadingText(reading) + " ";
    EXPECT_EQ(texts, "0 0 0.5 -0.25 100 2.1 0 0 0.00000001 12345.12345679 ");
}

// The A file above tells every row and step apart; past the counts in use nothing is written.
TEST(TempResultFiles, ResultsRefuseCellsBeyondTheCountsInUse) {
    TempResults results;
    results.Reset(2, 3);
    EXPECT_THROW(results.Result(3, 1), std::out_of_range);
    EXPECT_THROW(results.Result(1, 4), std::out_of_range);
    EXPECT_THROW(results.Meter(1, 1, kMeterChannels), std::out_of_range);
    EXPECT_THROW(results.SetMeter(1, 1, kMeterChannels, {}), std::out_of_range);
    results.SetResult(1, 1, {{}, {0, 0, 0, 5, 0, 0, 0}});
    results.SetMeter(1, 1, 5, {5, "V"});
    results.Reset(1, 1);
    EXPECT_EQ(results.Result(1, 1).Temperature.Enob, 0);
    EXPECT_EQ(results.Meter(1, 1, 5).Reading, 0);
    EXPECT_THROW(results.SetPoint(2), std::out_of_range);
}

// A run's kept lines are formatted again only for the steps that changed: after every kind of
// change the kept texts are still byte for byte the texts made afresh.
TEST(TempResultFiles, KeptLinesFollowEveryChange) {
    TempResults results = TwoRowsTwoSteps();
    ResultFileLines kept;
    const StepResult sevens{{7, 7, 7, 7, 7, 7, 7}, {8, 8, 8, 8, 8, 8, 8}};
    const StepResult firstOnly{{1, 2, 3, 4, 5, 6, 7}, {}};
    const MeterReading amps{-0.25, "A"};
    const std::function<void()> changes[] = {
        [] {},
        [&] { results.SetResult(1, 2, sevens); },
        [&] { results.SetMeasured(1, 1, false); },
        [&] { results.SetMeasured(2, 1, true); },
        [&] { results.SetSetPoints(2, 85.125, 40); },
        [&] { results.SetMeter(2, 2, 4, amps); },
        [&] { results = TwoRowsTwoSteps(); },
        [&] { results.Reset(3, 1); },
        [&] { results.SetResult(3, 1, firstOnly); },
    };
    for (size_t change = 0; change < std::size(changes); ++change) {
        changes[change]();
        for (const bool alternate : {false, true})
            EXPECT_EQ(Joined(kept.BPieces(results, alternate)), TempBFileText(results, alternate))
                << "change " << change << (alternate ? ", alternate" : "");
        EXPECT_EQ(Joined(kept.MeterPieces(results)), MeterFileText(results)) << "change " << change;
    }
}

// A small run rewrites after every attempt; a large one only while the rewrites stay within
// their share of the run's time, the next one expected to cost what the last did.
TEST(TempResultFiles, RewritesOfALargeRunKeepToTheirShare) {
    // The steps of the run, the costs of the rewrites before in ms, the time since, whether due.
    const std::tuple<size_t, std::vector<double>, double, bool> cases[] = {
        {kAlwaysRewriteSteps, {50, 50}, 100, true},    {kAlwaysRewriteSteps + 1, {}, 0, true},
        {kAlwaysRewriteSteps + 1, {1}, 199, false},    {kAlwaysRewriteSteps + 1, {1}, 200, true},
        {kAlwaysRewriteSteps + 1, {1, 3}, 699, false}, {kAlwaysRewriteSteps + 1, {1, 3}, 700, true},
    };
    for (const auto& [steps, costs, elapsedMs, due] : cases) {
        RewritePacer pacer;
        pacer.Start(steps, 1000);
        for (const double cost : costs) pacer.Rewrote(cost);
        EXPECT_EQ(pacer.Due(1000 + elapsedMs), due)
            << steps << " steps, " << costs.size() << " rewrites, " << elapsedMs << " ms";
    }
}

// A B file the user keeps read-only, or a folder under the multimeter file's name, sends the text
// to the fallback name and leaves the main name alone.
TEST(TempResultFiles, HeldFilesFallBackToTheirOverNames) {
    const TempResults results = TwoRowsTwoSteps();
    const TempFolder folder;
    ASSERT_TRUE(ReplaceFileContents(folder.File(kTempBFile), "held"));
    std::filesystem::permissions(folder.File(kTempBFile), std::filesystem::perms::owner_read);
    std::filesystem::create_directory(folder.File(kMeterFile));
    const std::tuple<ResultFileWrite, const char*, std::string> cases[] = {
        {WriteTempBFile(folder.File(""), results, false), kTempBFallback,
         TempBFileText(results, false)},
        {WriteMeterFile(folder.File(""), results), kMeterFallback, MeterFileText(results)},
    };
    for (const auto& [written, fallback, text] : cases) {
        EXPECT_TRUE(written.Ok()) << written.Error;
        EXPECT_EQ(written.Path, folder.File(fallback));
        EXPECT_EQ(Slurp(written.Path), text);
    }
    EXPECT_EQ(Slurp(folder.File(kTempBFile)), "held");
}

} // namespace
} // namespace qn::test
