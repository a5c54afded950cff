// The results chart's series: a run read from its journal and from the A file rebuilt from it give
// the same points, and a file that is not an A file is refused with the line at fault.
#include "run/TempSeries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace qn::test {
namespace {

// The figures of row r, step s: two decimals, so the A file keeps them exactly.
NoiseFigures Figures(size_t row, size_t step) {
    const double r = double(row), s = double(step);
    return {1000.25 * r + s, 1, 200.5 + r, 19.75 - 0.5 * s, 0, 0, 0};
}

// Three rows (-40, 25, 85 °C) of two steps; the last row's second step was given up unmeasured.
std::string JournalText(double chamberOffset) {
    JournalPlan plan;
    plan.Rows.resize(4);
    plan.Grid.resize(3);
    plan.Fluke.resize(3);
    plan.Power.resize(3);
    std::string text = JournalPlanRecord(plan);
    const double setPoints[] = {0, -40, 25, 85};
    for (size_t row = 1; row <= 3; ++row) {
        for (size_t step = 1; step <= 2; ++step) {
            const double chamber = std::isnan(chamberOffset) ? NAN : setPoints[row] + chamberOffset;
            JournalAttempt a{row, step, 1, true, setPoints[row], 0, chamber, {}, {}, "", true};
            a.Result.Adc = Figures(row, step);
            // A failed attempt must not show, before the final one or as the step's last.
            JournalAttempt failed = a;
            failed.Final = row == 3 && step == 2;
            failed.Captured = false;
            failed.Result.Adc.Average = -1;
            text += JournalAttemptRecord(failed);
            if (!failed.Final) text += JournalAttemptRecord(a);
        }
    }
    return text;
}

void ExpectPoints(const TempRun& run, double chamberOffset) {
    ASSERT_TRUE(run.Ok()) << run.Error;
    ASSERT_EQ(run.Steps.size(), 2u);
    const double setPoints[] = {-40, 25, 85};
    for (size_t s = 0; s < 2; ++s) {
        const TempStepSeries& series = run.Steps[s];
        EXPECT_EQ(series.Step, s + 1);
        ASSERT_EQ(series.Points.size(), s == 0 ? 3u : 2u);
        for (size_t r = 0; r < series.Points.size(); ++r) {
            const TempPoint& p = series.Points[r];
            EXPECT_NEAR(p.Celsius, setPoints[r] + chamberOffset, 0.005);
            const NoiseFigures want = Figures(r + 1, s + 1);
            EXPECT_NEAR(p.Value(TempFigure::Mean), want.Average, 0.005);
            EXPECT_NEAR(p.Value(TempFigure::RmsNoise), want.RmsNV, 0.005);
            EXPECT_NEAR(p.Value(TempFigure::Enob), want.Enob, 0.005);
        }
    }
}

TEST(TempSeries, JournalAndItsAFileGiveTheSamePoints) {
    const RunJournalContents contents = ParseRunJournal(JournalText(NAN));
    ExpectPoints(SeriesFromJournal(contents), 0);
    ExpectPoints(SeriesFromAFile(TempAFileText(JournalResults(contents))), 0);
    // With chamber readings the journal plots them instead of the set points.
    ExpectPoints(SeriesFromJournal(ParseRunJournal(JournalText(0.3))), 0.3);
}

TEST(TempSeries, DamagedAFileNamesItsLine) {
    const std::string good = TempAFileText(JournalResults(ParseRunJournal(JournalText(NAN))));
    const size_t third = good.find("\r\n", good.find("\r\n") + 2) + 2; // the first figures
    // The case, the A file's text and the start of its error.
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"empty", "", "Line 1: not an A file"},
        {"a journal's text", "1a2b3c4d\tplan\r\n", "Line 1: not an A file"},
        {"no heading", ", , , Test #0, , , \r\n1,2\r\n", "Line 2: not the heading"},
        {"last line cut", good.substr(0, good.rfind(',')),
         "Line 8: 10 fields where an A file line has 11"},
        {"set point not a number", std::string(good).replace(third, 6, "-4x.00"),
         "Line 3: field 1 \"-4x.00\" is not a number"},
        {"step zero", std::string(good).replace(good.find(", 1, ", third), 5, ", 0, "),
         "Line 3: the step \"0\" is not a step number"},
    };
    for (const auto& [name, text, error] : cases) {
        SCOPED_TRACE(name);
        const TempRun run = SeriesFromAFile(text);
        EXPECT_TRUE(run.Error.starts_with(error)) << run.Error;
        EXPECT_TRUE(run.Steps.empty());
    }
}

} // namespace
} // namespace qn::test
