// Whole temperature test runs on the simulated lab and clock: rows, soak, steps, stop, files.
#include "TempRunBench.h"

#include "run/RewritePacer.h"
#include "run/TempResultFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <tuple>

namespace qn::test {
namespace {

// The B file holds exactly the figures the journal holds as measured, and so do the run's results;
// the A file's steps and figures are the B file's: nothing measured is lost, nothing unmeasured
// looks measured.
void ExpectFilesAgreeWithTheJournal(const RunBench& t) {
    const std::string journal = TempBFileText(JournalResults(t.Journal()), false);
    EXPECT_EQ(FileText(t.dir / kTempBFile), journal);
    EXPECT_EQ(TempBFileText(t.test.Results(), false), journal);
    const auto a = FileLines(t.dir / kTempAFile);
    const auto b = FileLines(t.dir / kTempBFile);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 2; i < a.size(); ++i) EXPECT_THAT(a[i], EndsWith(", " + b[i]));
}

// "T-Begin" measures every row and step and leaves the files. Three steps rewrite the B file
// after every attempt; a plan too large for that holds exactly the results in its B file at the
// end of each row and of the run.
TEST(TempTestRun, BeginMeasuresEveryRowAndStepAndLeavesTheFiles) {
    for (const size_t steps : {size_t{3}, kAlwaysRewriteSteps / 2 + 1}) {
        SCOPED_TRACE(std::to_string(steps) + " steps");
        RunBench t;
        t.plan.Settings.StepRows = std::to_string(steps);
        t.plan.SetStepRows(t.bench.Instruments.FlukeSteps, t.bench.Instruments.PowerSteps);
        for (size_t step = 4; step <= steps; ++step) {
            t.plan.RegChg.Cell(1, step) = std::to_string(step % 10);
            t.plan.RegChg.Cell(kDelayColumn, step) = "0";
            t.plan.RegChg.Cell(kAcmColumn, step) = "2.4";
        }
        bool rowEndSeen = false;
        t.Watch([&](const TempTestProgress& p) {
            if (rowEndSeen || p.Row != 2 || p.Step != 1) return;
            rowEndSeen = true;
            EXPECT_TRUE(t.test.Results().Measured(1, steps));
            EXPECT_EQ(FileText(t.dir / kTempBFile), TempBFileText(t.test.Results(), false));
        });
        t.test.TBegin();
        ASSERT_TRUE(rowEndSeen);
        EXPECT_EQ(FileText(t.dir / kTempBFile), TempBFileText(t.test.Results(), false));
        const auto lines = FileLines(t.dir / kTempAFile);
        ASSERT_EQ(lines.size(), 2 + 2 * steps);
        for (size_t i = 0; i < 2 * steps; ++i) {
            const size_t row = i / steps + 1, step = i % steps + 1;
            EXPECT_THAT(lines[2 + i], StartsWith(std::to_string(23 + 2 * row) + ".00, 0.00, " +
                                                 std::to_string(step) + ", "));
            EXPECT_NEAR(t.test.Results().Result(row, step).Adc.Average, 100000, 5)
                << "halved codes around 200000";
        }
        EXPECT_TRUE(t.ChamberWasSetTo(270));
        EXPECT_EQ(t.world.Bridge.Registers[4], steps % 10) << "the last step's register value";
        EXPECT_TRUE(t.test.Completed());
    }
}

// However a run is stopped, it leaves the bench as its options say and its journal ended; the
// step it cut short leaves no figures in any file. A hold temperature edited past the limits
// while the run goes is never sent: the run's end stops the chamber instead and says so.
TEST(TempTestRun, StoppedRunsLeaveTheBenchSafeAndTheJournalEnded) {
    enum class By : uint8_t { StopButton, WindowClosing, StopInCapture };
    // The case, what stops the run, whether the supply goes off, the hold temperature when the
    // run stops (empty: no hold), the chamber's command and last set point at the end, and what
    // is told (empty: nothing).
    const std::tuple<const char*, By, bool, const char*, int, uint16_t, const char*> cases[] = {
        {"Stop, defaults", By::StopButton, false, "", kChamberStop, 250, ""},
        {"window closing, supply off", By::WindowClosing, true, "", kChamberStop, 250, ""},
        {"Stop, chamber held at 30 °C", By::StopButton, false, "30", kChamberRun, 300, ""},
        {"Stop, hold edited past the limits", By::StopButton, false, "1000", kChamberStop, 250,
         "Hold chamber at \"1000\" is above 150 °C: the chamber was stopped instead"},
        {"Stop while step 2 captures", By::StopInCapture, false, "", kChamberStop, 250, ""},
    };
    for (const auto& [name, stopper, supplyOff, hold, command, setPoint, told] : cases) {
        SCOPED_TRACE(name);
        RunBench t{1}; // a stop in the last row is no completed run
        t.plan.Settings.SupplyOffAtEnd = supplyOff;
        t.plan.Settings.HoldChamber = *hold != '\0';
        bool stepTwo = false;
        t.Watch([&](const TempTestProgress& p) {
            stepTwo = p.Step == 2;
            if (p.Step != 2) return;
            if (*hold != '\0') t.plan.Settings.HoldCelsius = hold;
            if (stopper == By::StopButton) t.test.StopClick();
            if (stopper == By::WindowClosing) t.bench.Guard.RequestStop();
        });
        t.pump.Message = [&] {
            if (stopper == By::StopInCapture && stepTwo && t.world.Bridge.Streaming())
                t.test.StopClick();
        };
        t.test.TBegin();
        ExpectFilesAgreeWithTheJournal(t);
        EXPECT_TRUE(t.test.Results().Measured(1, 1));
        EXPECT_EQ(t.world.Calibrator.Log().back(), "STBY");
        EXPECT_EQ(t.world.Chamber.Register(kChamberCommandReg), command);
        EXPECT_TRUE(t.ChamberWasSetTo(setPoint)) << "the last set point sent";
        EXPECT_EQ(t.prompt.Asked, std::vector<std::string>(*told != '\0' ? 1 : 0, told));
        EXPECT_EQ(t.world.Supply.OutputOn(), !supplyOff);
        EXPECT_EQ(t.status.Panels[1], told) << "the position line gone";
        const RunJournalContents journal = t.Journal();
        EXPECT_TRUE(journal.Ended && !journal.Completed);
        EXPECT_EQ(journal.NextRow(), 1u) << "the row was cut short";
    }
}

// A step is tried four times before it is given up unmeasured. A bridge lost during a step is
// opened again before the next attempt and the journal says what happened. A run with steps
// left unmeasured is not complete, and the journal, the files and a message say which steps.
TEST(TempTestRun, StepsWithoutACaptureAreTriedFourTimesAndNamed) {
    enum class Fault : uint8_t { CableOutOnce, CableOutForGood, NoBridge, NoChipPower, NoAdc };
    // The fault, the attempts of steps 1, 2 and 3, the steps left unmeasured and a note the
    // journal holds (empty: not checked).
    const std::tuple<Fault, const char*, const char*, const char*> cases[] = {
        {Fault::CableOutOnce, "1 2 1", "", "Bridge lost before row 1 step 2: reopened"},
        {Fault::CableOutForGood, "1 4 4", "row 1 step 2, row 1 step 3",
         "Bridge lost before row 1 step 2: not found again"},
        {Fault::NoBridge, "4 4 4", "row 1 step 1, row 1 step 2, row 1 step 3",
         "No bridge is connected: row 1 step 1 is not measured"},
        {Fault::NoChipPower, "4 1 1", "row 1 step 1", ""},
        {Fault::NoAdc, "4 4 4", "row 1 step 1, row 1 step 2, row 1 step 3", ""},
    };
    for (const auto& [cause, tries, unmeasured, note] : cases) {
        SCOPED_TRACE(static_cast<int>(cause));
        RunBench t{1};
        if (cause == Fault::NoBridge) {
            t.bench.Centre.ReleaseUsb();
            t.world.Bridge.Faults.CablePulled = true;
        }
        if (cause == Fault::NoChipPower) {
            t.world.SupplyPowersChip = true;
            SetLabStep(t.bench, 1, "OUTP OFF");
        }
        if (cause == Fault::NoAdc) t.plan.Settings.Source = CaptureSource::Brymen;
        TempTestProgress end;
        t.Watch([&](const TempTestProgress& p) {
            if (p.Ended) end = p;
            if (cause == Fault::CableOutOnce)
                t.world.Bridge.Faults.CablePulled = p.Step == 2 && t.Attempts(2) == 1;
            if (cause == Fault::CableOutForGood && p.Step == 2)
                t.world.Bridge.Faults.CablePulled = true;
        });
        t.test.TTest();
        const auto attemptsOf = [&t](size_t step) { return std::to_string(t.Attempts(step)); };
        EXPECT_EQ(attemptsOf(1) + " " + attemptsOf(2) + " " + attemptsOf(3), tries);
        const bool complete = *unmeasured == '\0';
        EXPECT_EQ(end.Completed, complete);
        EXPECT_EQ(end.Unmeasured, unmeasured);
        const RunJournalContents journal = t.Journal();
        EXPECT_EQ(journal.Completed, complete);
        EXPECT_EQ(std::ranges::count_if(journal.Attempts, &JournalAttempt::Final), 3)
            << "every step ended";
        if (*note != '\0') {
            EXPECT_THAT(journal.Notes, testing::Contains(HasSubstr(note)));
        }
        ExpectFilesAgreeWithTheJournal(t);
        const std::string told = "Not measured (no complete capture): " + std::string(unmeasured);
        EXPECT_EQ(t.prompt.Asked, std::vector<std::string>(complete ? 0 : 1, told));
        EXPECT_EQ(fs::exists(t.dir / "QnTEMPBryMen.CSV"), cause == Fault::NoAdc);
    }
}

// The soak starts afresh when the chamber leaves the band. However short the soak, the chamber is
// read once more in the band after a pause before the first step (a real clock moves between two
// readings).
TEST(TempTestRun, SoakHoldsTheChamberInTheBandBeforeTheFirstStep) {
    for (const bool disturb : {true, false}) {
        SCOPED_TRACE(disturb ? "chamber disturbed in the soak" : "soak of 0");
        RunBench t{1};
        if (!disturb) t.plan.Settings.SoakMinutes = "0", t.benchClock.TickMs = 0.05;
        bool soaked = false, disturbed = false;
        double firstStepMs = -1;
        t.Watch([&](const TempTestProgress& p) {
            soaked = soaked || p.Soaking;
            if (disturb && p.Soaking && !disturbed && t.clock.SteadyMs() > 40'000)
                t.world.Chamber.Disturb(4.0), disturbed = true;
            if (p.Step == 1 && firstStepMs < 0) firstStepMs = t.clock.SteadyMs();
        });
        t.test.TBegin();
        EXPECT_TRUE(soaked);
        ASSERT_EQ(disturbed, disturb);
        EXPECT_GT(firstStepMs, disturb ? 40'000 + 60'000 : 0) << "a full minute after an excursion";
    }
}

TEST(TempTestRun, StopDuringTheSoakFinishesTheRun) {
    RunBench t;
    t.pump.Message = [&] {
        if (t.clock.SteadyMs() > 20'000) t.test.StopClick();
    };
    t.test.TBegin();
    EXPECT_TRUE(t.attempts.empty());
    EXPECT_EQ(FileLines(t.dir / "QnTEMPA.CSV").size(), 8u);
}

// A "T-Test" leaves the set point alone and stops the chamber; its full files count on across
// runs, and across program starts after the highest number in the folder.
TEST(TempTestRun, TestRunLeavesTheSetPointAloneAndFullFilesCountOn) {
    RunBench t{1, 2};
    t.plan.Settings.SaveFullFiles = true;
    t.test.TTest();
    EXPECT_FALSE(t.ChamberWasSetTo(250));
    EXPECT_EQ(t.world.Chamber.Register(kChamberCommandReg), kChamberStop);
    t.test.TTest();
    const auto firstWritten = fs::last_write_time(t.dir / "TEMP" / "QnTMP-0.CSV");
    t.test.FullFileCounter = 0; // the program started again
    std::ofstream(t.dir / "TEMP" / "QnTMP-x.CSV") << "not a numbered file";
    t.test.TTest();
    // Two full files a run, numbered on after the highest there: the third run's are 4 and 5.
    EXPECT_TRUE(fs::exists(t.dir / "TEMP" / "QnTMP-5.CSV"));
    EXPECT_FALSE(fs::exists(t.dir / "TEMP" / "QnTMP-6.CSV"));
    EXPECT_EQ(fs::last_write_time(t.dir / "TEMP" / "QnTMP-0.CSV"), firstWritten);
}

// The temperature channel, measured alone or after the ADC's ("交替測量ADC與溫度"), fills its
// figures and samples with the sensor's (the simulated chip's 16-bit result), not a copy of the
// ADC's or a zero that looks measured.
TEST(TempTestRun, TemperatureChannelFiguresAndSamplesAreTheSensors) {
    for (const bool alternate : {false, true}) {
        SCOPED_TRACE(alternate ? "alternate" : "temperature alone");
        RunBench t{1, 1};
        t.plan.Settings.Alternate = alternate;
        if (!alternate) t.plan.Settings.Measure = CaptureMeasure::Temperature;
        t.plan.Settings.SaveFullFiles = true;
        t.test.TTest();
        const double sensor = static_cast<int16_t>(SimSensorCode(t.world.Chamber.AirCelsius()));
        const StepResult& result = t.test.Results().Result(1, 1);
        EXPECT_NEAR(result.Adc.Average, alternate ? 100000 : sensor, 10);
        EXPECT_NEAR(result.Temperature.Average, sensor, 10);
        EXPECT_EQ(FileText(t.dir / kTempBFile), TempBFileText(t.test.Results(), alternate));
        // 256 samples a channel: 16 sample lines, the heading and the figures.
        const auto full = FileLines(t.dir / "TEMP" / "QnTMP-0.CSV");
        ASSERT_EQ(full.size(), alternate ? 36u : 18u);
        EXPECT_NEAR(std::stod(full[alternate ? 18 : 0]), sensor, 10) << "the first sample";
    }
}

// A journal record that cannot be written (the disk full) ends the run through its safe finish
// with a message; the journal keeps its last whole record, still resumable, and the step it
// could not hold is not measured in any file.
TEST(TempTestRun, FailedJournalWriteEndsTheRunSafely) {
    RunBench t{1};
    const fs::path journalPath = t.dir / kJournalFile;
    rlimit unlimited{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    t.Watch([&](const TempTestProgress& p) {
        if (p.Step != 2) return;
        // Room for a part of the next record only, as a disk that fills up gives.
        rlimit full = unlimited;
        full.rlim_cur = fs::file_size(journalPath) + 40;
        setrlimit(RLIMIT_FSIZE, &full);
    });
    t.test.TBegin();
    setrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, previousSignal);
    EXPECT_THAT(t.prompt.Asked, ElementsAre(HasSubstr("QnTEMP.JOURNAL could not be written")));
    EXPECT_FALSE(t.test.Completed());
    EXPECT_EQ(t.Attempts(3), 0u) << "nothing is measured past the lost record";
    const RunJournalContents journal = t.Journal();
    EXPECT_EQ(journal.WholeBytes, fs::file_size(journalPath)) << "cut back to its last record";
    EXPECT_EQ(journal.Attempts.size(), 1u);
    EXPECT_TRUE(journal.Unfinished());
    ExpectFilesAgreeWithTheJournal(t);
}

// Whatever went wrong is told once, when the run has ended and the bench is safe.
TEST(TempTestRun, ProblemsAreToldOnceWithTheSummaryLeft) {
    using B = RunBench;
    // The case, its arrangement, how the message starts and ends, whether steps were measured and
    // whether the run is complete (every step measured, in the journal and in the A file).
    using Case =
        std::tuple<const char*, std::function<void(B&)>, const char*, const char*, bool, bool>;
    const Case cases[] = {
        {"TEMP folder squatted by a file",
         [](B& t) { t.plan.Settings.SaveFullFiles = true, std::ofstream(t.dir / "TEMP") << "x"; },
         "Cannot create ", "", true, false},
        {"B file held under both names",
         [](B& t) {
             fs::create_directory(t.dir / kTempBFile), fs::create_directory(t.dir / kTempBFallback);
         },
         "Cannot create ", "", true, true},
        {"A file squatted by a folder", [](B& t) { fs::create_directory(t.dir / kTempAFile); },
         "Cannot create ", "", true, false},
        {"soak not a number", [](B& t) { t.plan.Settings.SoakMinutes = "abc"; }, "等待溫度穩定時間",
         "", false, false},
        {"previous journal cannot be kept",
         [](B& t) {
             std::ofstream(t.dir / kJournalFile) << "x",
                 fs::create_directories(t.dir / kJournalOldFile / "kept");
         },
         "The previous run journal cannot be kept as ", ": the run does not start", false, false},
    };
    for (const auto& [name, arrange, message, ending, measured, complete] : cases) {
        SCOPED_TRACE(name);
        RunBench t;
        arrange(t);
        t.test.TBegin();
        EXPECT_THAT(t.prompt.Asked, ElementsAre(AllOf(StartsWith(message), EndsWith(ending))));
        EXPECT_EQ(!t.attempts.empty(), measured);
        EXPECT_EQ(fs::exists(t.dir / "QnTEMPA.CSV"), measured);
        EXPECT_EQ(t.test.Completed(), complete);
        EXPECT_FALSE(t.test.Running());
    }
}

} // namespace
} // namespace qn::test
