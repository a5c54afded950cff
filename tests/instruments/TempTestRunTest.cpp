// Whole temperature test runs on the simulated lab and clock: rows, soak, steps, stop, files.
#include "TempRunBench.h"

#include "instruments/RunJournal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace qn::test {
namespace {

TEST(TempTestRun, BeginMeasuresEveryRowAndStepAndLeavesTheFiles) {
    RunBench t;
    t.test.TBegin();
    const auto lines = FileLines(t.dir / "QnTEMPA.CSV");
    ASSERT_EQ(lines.size(), 2u + 6u);
    const std::vector<std::string> starts = {"25.00, 0.00, 1, ", "25.00, 0.00, 2, ",
                                             "25.00, 0.00, 3, ", "27.00, 0.00, 1, ",
                                             "27.00, 0.00, 2, ", "27.00, 0.00, 3, "};
    for (size_t i = 0; i < starts.size(); ++i) {
        EXPECT_EQ(lines[2 + i].rfind(starts[i], 0), 0u) << lines[2 + i];
        const StepResult& result = t.test.Results().Result(i / 3 + 1, i % 3 + 1);
        EXPECT_NEAR(result.Adc.Average, 100000, 5) << "halved codes around 200000";
    }
    EXPECT_TRUE(fs::exists(t.dir / "QnTEMPB.CSV"));
    EXPECT_FALSE(fs::exists(t.dir / "QnTEMPBryMen.CSV")) << "source ADC writes no meter file";
    EXPECT_TRUE(t.ChamberWasSetTo(270));
    EXPECT_EQ(t.world.Chamber.Register(kChamberCommandReg), kChamberStop);
    EXPECT_EQ(t.world.Calibrator.Log().back(), "STBY");
    EXPECT_EQ(t.world.Bridge.Registers[4], 0x03) << "the last step's register value";
    EXPECT_FALSE(t.test.Running());
}

// However a run is stopped, it leaves the bench as its options say and its journal ended.
TEST(TempTestRun, StoppedRunsLeaveTheBenchSafeAndTheJournalEnded) {
    enum class By : uint8_t { StopButton, WindowClosing };
    const struct {
        const char* Name;
        By Stopper;
        bool SupplyOff;
        bool Hold;
    } cases[] = {
        {"Stop, defaults", By::StopButton, false, false},
        {"window closing, supply off", By::WindowClosing, true, false},
        {"Stop, chamber held at 30 °C", By::StopButton, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        RunBench t;
        t.plan.Settings.TempCount = "1"; // a stop in the last row is no completed run
        t.plan.SetTemperatureRows();
        t.plan.Settings.SupplyOffAtEnd = c.SupplyOff;
        t.plan.Settings.HoldChamber = c.Hold;
        t.plan.Settings.HoldCelsius = "30";
        t.test.ProgressChanged = [&](const TempTestProgress& p) {
            if (p.Step != 2) return;
            if (c.Stopper == By::StopButton) t.test.StopClick();
            if (c.Stopper == By::WindowClosing) t.bench.Guard.RequestStop();
        };
        t.test.TBegin();
        EXPECT_EQ(t.world.Calibrator.Log().back(), "STBY");
        EXPECT_EQ(t.world.Chamber.Register(kChamberCommandReg),
                  c.Hold ? kChamberRun : kChamberStop);
        if (c.Hold) {
            EXPECT_TRUE(t.ChamberWasSetTo(300));
        }
        EXPECT_EQ(t.world.Supply.OutputOn(), !c.SupplyOff);
        const RunJournalContents journal = ReadRunJournal(t.dir.string() + "/");
        EXPECT_TRUE(journal.Ended && !journal.Completed);
        EXPECT_EQ(journal.NextRow(), 1u) << "the row was cut short";
    }
}

// A bridge lost during a step is opened again before the next attempt; the run goes on and the
// journal says what happened.
TEST(TempTestRun, LostBridgeIsReopenedAtTheNextAttempt) {
    RunBench t;
    t.plan.Settings.TempCount = "1";
    t.plan.SetTemperatureRows();
    t.test.ProgressChanged = [&](const TempTestProgress& p) {
        if (p.Step > 0 && !p.Completed) t.attempts.push_back(p.Step);
        t.world.Bridge.Faults.CablePulled = p.Step == 2 && t.Attempts(2) == 1;
    };
    t.test.TTest();
    EXPECT_EQ(t.Attempts(2), 2u);
    EXPECT_EQ(t.Attempts(3), 1u);
    EXPECT_NEAR(t.test.Results().Result(1, 3).Adc.Average, 100000, 5);
    const RunJournalContents journal = ReadRunJournal(t.dir.string() + "/");
    EXPECT_TRUE(journal.Completed);
    ASSERT_EQ(journal.Notes.size(), 1u);
    EXPECT_NE(journal.Notes[0].find("Bridge lost before row 1 step 2: reopened"), std::string::npos)
        << journal.Notes[0];
}

TEST(TempTestRun, SoakStartsAfreshWhenTheChamberLeavesTheBand) {
    RunBench t;
    t.plan.Settings.TempCount = "1";
    t.plan.SetTemperatureRows();
    bool disturbed = false;
    t.test.ProgressChanged = [&](const TempTestProgress& p) {
        if (p.Soaking && !disturbed && t.clock.SteadyMs() > 40'000) {
            t.world.Chamber.Disturb(4.0);
            disturbed = true;
        }
        if (p.Step == 1 && t.firstStepMs < 0) t.firstStepMs = t.clock.SteadyMs();
    };
    t.test.TBegin();
    ASSERT_TRUE(disturbed);
    EXPECT_GT(t.firstStepMs, 40'000 + 60'000) << "a full minute of soak after the excursion";
}

TEST(TempTestRun, StopDuringTheSoakFinishesTheRun) {
    RunBench t;
    t.pump.Message = [&] {
        if (t.clock.SteadyMs() > 20'000) t.test.StopClick();
    };
    t.test.TBegin();
    EXPECT_TRUE(t.attempts.empty());
    EXPECT_EQ(FileLines(t.dir / "QnTEMPA.CSV").size(), 8u);
    EXPECT_EQ(t.world.Chamber.Register(kChamberCommandReg), kChamberStop);
    EXPECT_EQ(t.world.Calibrator.Log().back(), "STBY");
}

TEST(TempTestRun, StepsAreTriedFourTimesWhenNothingIsMeasured) {
    RunBench t;
    struct Case {
        const char* name;
        CaptureSource source;
        std::vector<size_t> expected; // attempts of steps 1, 2, 3
        bool meterFile;
    };
    const Case cases[] = {
        {"unpowered chip fails step 1", CaptureSource::Adc, {4, 1, 1}, false},
        {"Brymen alone never captures", CaptureSource::Brymen, {4, 4, 4}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        t.attempts.clear();
        fs::remove(t.dir / "QnTEMPBryMen.CSV");
        t.plan.Settings.TempCount = "1";
        t.plan.SetTemperatureRows();
        t.plan.Settings.Source = c.source;
        t.world.SupplyPowersChip = true;
        t.AddStep(1, "OUTP OFF");
        t.test.TTest();
        for (size_t s = 1; s <= 3; ++s) EXPECT_EQ(t.Attempts(s), c.expected[s - 1]) << "step " << s;
        EXPECT_EQ(fs::exists(t.dir / "QnTEMPBryMen.CSV"), c.meterFile);
    }
}

// A "T-Test" leaves the set point alone and stops the chamber; its full files count on across runs.
TEST(TempTestRun, TestRunLeavesTheSetPointAloneAndFullFilesCountOn) {
    RunBench t;
    t.plan.Settings.TempCount = "1";
    t.plan.SetTemperatureRows();
    t.plan.RegChg.Cell(1, 3).clear(); // two steps
    t.plan.Settings.SaveFullFiles = true;
    t.test.TTest();
    EXPECT_FALSE(t.ChamberWasSetTo(250));
    EXPECT_EQ(t.world.Chamber.Register(kChamberCommandReg), kChamberStop);
    EXPECT_TRUE(fs::exists(t.dir / "TEMP" / "QnTMP-0.CSV"));
    EXPECT_TRUE(fs::exists(t.dir / "TEMP" / "QnTMP-1.CSV"));
    EXPECT_FALSE(fs::exists(t.dir / "TEMP" / "QnTMP-2.CSV"));
    t.test.TTest();
    EXPECT_TRUE(fs::exists(t.dir / "TEMP" / "QnTMP-2.CSV"));
    EXPECT_TRUE(fs::exists(t.dir / "TEMP" / "QnTMP-3.CSV"));
    EXPECT_FALSE(fs::exists(t.dir / "TEMP" / "QnTMP-4.CSV"));
}

TEST(TempTestRun, RunsThatCannotGoOnEndWithAMessageAndTheSummary) {
    struct Case {
        const char* name;
        std::function<void(RunBench&)> arrange;
        const char* message;
        bool measured;
    };
    const Case cases[] = {
        {"TEMP folder squatted by a file",
         [](RunBench& t) {
             t.plan.Settings.SaveFullFiles = true;
             std::ofstream(t.dir / "TEMP") << "x";
         },
         "Cannot create ", true},
        {"soak not a number", [](RunBench& t) { t.plan.Settings.SoakMinutes = "abc"; },
         "等待溫度穩定時間", false},
        {"delay not a number", [](RunBench& t) { t.plan.RegChg.Cell(kDelayColumn, 2) = "x"; },
         "Delay of step 2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunBench t;
        c.arrange(t);
        t.test.TBegin();
        ASSERT_FALSE(t.prompt.Asked.empty());
        EXPECT_EQ(t.prompt.Asked.front().rfind(c.message, 0), 0u) << t.prompt.Asked.front();
        EXPECT_EQ(!t.attempts.empty(), c.measured);
        EXPECT_EQ(fs::exists(t.dir / "QnTEMPA.CSV"), c.measured);
        EXPECT_FALSE(t.test.Running());
    }
}

TEST(TempTestPlanRules, TemperatureRows) {
    struct Case {
        const char* count;
        const char* start;
        const char* increment;
        size_t rows;
    };
    // The window's edits try the other counts and the step rows (TempTestWindowTest).
    const Case rows[] = {{"abc", "0", "5", 1}, {"3", "140", "10", 2}};
    for (const Case& c : rows) {
        TempTestPlan plan;
        plan.Settings = {.TempCount = c.count, .Start = c.start, .Increment = c.increment};
        EXPECT_EQ(plan.SetTemperatureRows(), c.rows) << c.count << " from " << c.start;
        EXPECT_EQ(plan.Settings.TempCount, std::to_string(c.rows));
    }
    TempTestPlan plan;
    EXPECT_EQ(plan.Rows[1].Temperature, "-40.00");
    EXPECT_EQ(plan.Rows[2].Temperature, "-30.00");
    EXPECT_EQ(plan.Rows[1].HumidityRamp, "5.00");
}

} // namespace
} // namespace qn::test
