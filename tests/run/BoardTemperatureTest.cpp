// The board's own temperature in a run on the simulated lab, where it lags the chamber's air:
// the board gate waits for it to settle, a gate that never opens gives its row up, and the
// journal keeps the board's reading beside the chamber's.
#include "TempRunBench.h"
#include "shell/Snapshot.h"

namespace qn::test {
namespace {

constexpr double kMinuteMs = 60'000;

// One row at 35 °C, the chamber starting from the room's 25 °C: the band rule measures a board
// still far from the chamber; the board gate waits until the board has settled, so every step's
// board reading lies within D of where it settles.
TEST(BoardTemperature, BoardGateWaitsForTheBoardAndCapturesItSettled) {
    double bandMinute = 0;
    for (const SoakRule gate : {SoakRule::Band, SoakRule::Board}) {
        const bool board = gate == SoakRule::Board;
        SCOPED_TRACE(board ? "board gate" : "band rule");
        RunBench t{1};
        TempRunSettings& s = t.plan.Settings;
        s.Start = "35.0", s.Gate = gate, s.GateMinutes = "3", s.BoardChange = "0.05";
        s.SaveFullFiles = true; // each full file with the snapshot of its state
        t.plan.SetTemperatureRows();
        bool gateShown = false;
        double firstMinute = -1;
        t.Watch([&](const TempTestProgress& p) {
            gateShown = gateShown || !p.Gate.empty();
            if (p.Step > 0 && firstMinute < 0) firstMinute = t.clock.SteadyMs() / kMinuteMs;
        });
        t.test.TBegin();
        ASSERT_TRUE(t.test.Completed());
        EXPECT_EQ(gateShown, board);
        const RunJournalContents journal = t.Journal();
        if (!board) {
            bandMinute = firstMinute;
            EXPECT_LT(journal.Attempts[0].BoardCelsius, 35 - 1);
            EXPECT_NEAR(journal.Attempts[0].ChamberCelsius, 35, 1.5);
            continue;
        }
        EXPECT_GT(firstMinute, bandMinute + 5);
        const double settled = t.world.Chamber.BoardCelsius();
        EXPECT_NEAR(settled, 35, 0.3);
        for (const JournalAttempt& a : journal.Attempts)
            EXPECT_NEAR(a.BoardCelsius, settled, 0.05) << "step " << a.Step;
        EXPECT_THAT(journal.Notes, ElementsAre(HasSubstr("Row 1 (35.00 °C): board stable after")));
        const SnapshotRead snapshot =
            ReadSnapshot((t.dir / "TEMP" / "QnTMP-0.CSV.snapshot").string());
        ASSERT_TRUE(snapshot.Ok) << snapshot.Error;
        EXPECT_NEAR(std::stod(snapshot.State.BoardTemp), journal.Attempts[0].BoardCelsius, 0.005);
    }
}

// A gate that does not open within its limit gives its row up unmeasured, says so, and the run
// goes on to the next row.
TEST(BoardTemperature, GateThatDoesNotOpenGivesTheRowUp) {
    RunBench t;
    TempRunSettings& s = t.plan.Settings;
    s.Start = "45.0", s.Increment = "-10.0"; // rows at 45 and 35 °C
    s.SoakMinutes = "0", s.Gate = SoakRule::Chamber, s.GateMinutes = "1";
    s.GateLimitMinutes = "5"; // 45 °C is seven minutes of ramp away
    t.plan.SetTemperatureRows();
    t.test.TBegin();
    const RunJournalContents journal = t.Journal();
    ASSERT_EQ(journal.Attempts.size(), 3u);
    for (const JournalAttempt& a : journal.Attempts) EXPECT_EQ(a.Row, 2u);
    EXPECT_THAT(journal.Notes,
                ElementsAre(HasSubstr("Row 1 (45.00 °C): chamber not stable after 5.0 min: the "
                                      "row is not measured"),
                            HasSubstr("Row 2 (35.00 °C): chamber stable after")));
    EXPECT_THAT(t.prompt.Asked,
                ElementsAre(AllOf(HasSubstr("Row 1 (45.00 °C): chamber not stable after 5.0 min"),
                                  HasSubstr("Not measured (no complete capture): row 1 step 1, "
                                            "row 1 step 2, row 1 step 3"))));
}

} // namespace
} // namespace qn::test
