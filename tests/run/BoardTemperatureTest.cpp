// The board's own temperature in a run on the simulated lab, where it lags the chamber's air:
// the board gate waits for it to settle, a gate that never opens gives its row up, and the
// journal keeps the board's reading beside the chamber's.
#include "TempRunBench.h"
#include "shell/Snapshot.h"

#include <regex>

namespace qn::test {
namespace {

constexpr double kMinuteMs = 60'000;

// One row at 35 °C, the chamber starting from the room's 25 °C.
void OneRowAt35(RunBench& t, SoakRule gate) {
    TempRunSettings& s = t.plan.Settings;
    s.TempCount = "1";
    s.Start = "35.0";
    s.Gate = gate;
    s.GateMinutes = "3";
    s.BoardChange = "0.05";
    s.GateLimitMinutes = "60";
    t.plan.SetTemperatureRows();
}

// When the first capture began, on the simulated clock.
double FirstStepMinute(RunBench& t, std::vector<std::string>& gates) {
    double first = -1;
    t.Watch([&](const TempTestProgress& p) {
        if (!p.Gate.empty()) gates.push_back(p.Gate);
        if (p.Step > 0 && first < 0) first = t.clock.SteadyMs() / kMinuteMs;
    });
    t.test.TBegin();
    return first;
}

// The band rule measures a board still far from the chamber; the board gate waits until the
// board has settled, so every step's board reading lies within D of where it settles.
TEST(BoardTemperature, BoardGateWaitsForTheBoardAndCapturesItSettled) {
    RunBench band;
    OneRowAt35(band, SoakRule::Band);
    std::vector<std::string> bandGates;
    const double bandMinute = FirstStepMinute(band, bandGates);
    ASSERT_TRUE(band.test.Completed());
    EXPECT_TRUE(bandGates.empty());

    RunBench board;
    OneRowAt35(board, SoakRule::Board);
    board.plan.Settings.SaveFullFiles = true; // each with the snapshot of its state
    std::vector<std::string> gates;
    const double boardMinute = FirstStepMinute(board, gates);
    ASSERT_TRUE(board.test.Completed());
    EXPECT_GT(boardMinute, bandMinute + 5);
    ASSERT_FALSE(gates.empty());
    const std::regex shape(R"(board stable \d+\.\d of 3 min, spread \d+\.\d\d °C)");
    EXPECT_TRUE(std::regex_match(gates.back(), shape)) << gates.back();

    const RunJournalContents bandJournal = band.Journal();
    const RunJournalContents journal = board.Journal();
    ASSERT_EQ(journal.Attempts.size(), 3u);
    ASSERT_EQ(bandJournal.Attempts.size(), 3u);
    const double settled = board.world.Chamber.BoardCelsius();
    EXPECT_NEAR(settled, 35, 0.3);
    for (const JournalAttempt& a : journal.Attempts)
        EXPECT_NEAR(a.BoardCelsius, settled, 0.05) << "step " << a.Step;
    EXPECT_LT(bandJournal.Attempts[0].BoardCelsius, 35 - 1);
    EXPECT_NEAR(bandJournal.Attempts[0].ChamberCelsius, 35, 1.5);
    EXPECT_THAT(journal.Notes, ElementsAre(HasSubstr("Row 1 (35.00 °C): board stable after")));
    const SnapshotRead snapshot =
        ReadSnapshot((board.dir / "TEMP" / "QnTMP-0.CSV.snapshot").string());
    ASSERT_TRUE(snapshot.Ok) << snapshot.Error;
    EXPECT_NEAR(std::stod(snapshot.State.BoardTemp), journal.Attempts[0].BoardCelsius, 0.005);
}

// A gate that does not open within its limit gives its row up unmeasured, says so, and the run
// goes on to the next row.
TEST(BoardTemperature, GateThatDoesNotOpenGivesTheRowUp) {
    RunBench t;
    TempRunSettings& s = t.plan.Settings;
    s.Start = "45.0";
    s.Increment = "-10.0"; // rows at 45 and 35 °C
    s.SoakMinutes = "0";
    s.Gate = SoakRule::Chamber;
    s.GateMinutes = "1";
    s.GateLimitMinutes = "5"; // 45 °C is seven minutes of ramp away
    t.plan.SetTemperatureRows();
    std::string unmeasured;
    t.Watch([&](const TempTestProgress& p) {
        if (p.Ended) unmeasured = p.Unmeasured;
    });
    t.test.TBegin();
    EXPECT_FALSE(t.test.Completed());
    EXPECT_THAT(unmeasured, HasSubstr("1"));
    const RunJournalContents journal = t.Journal();
    ASSERT_EQ(journal.Attempts.size(), 3u);
    for (const JournalAttempt& a : journal.Attempts) EXPECT_EQ(a.Row, 2u);
    EXPECT_THAT(journal.Notes,
                ElementsAre(HasSubstr("Row 1 (45.00 °C): chamber not stable after 5.0 min: the "
                                      "row is not measured"),
                            HasSubstr("Row 2 (35.00 °C): chamber stable after")));
    ASSERT_EQ(t.prompt.Asked.size(), 1u);
    EXPECT_THAT(t.prompt.Asked[0], HasSubstr("Row 1 (45.00 °C): chamber not stable after 5.0 min"));
    EXPECT_THAT(t.prompt.Asked[0], HasSubstr("Not measured (no complete capture)"));
}

} // namespace
} // namespace qn::test
