// A temperature run killed without cleaning up, resumed from its journal in a fresh program; the
// result files rebuilt from the journal without losing what the files on disk hold; a journal
// that is damaged or cannot be kept.
#include "TempRunBench.h"
#include "run/TempResultFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>

namespace qn::test {
namespace {

// A noise-free signal of its own for every row and step, so two runs of one plan leave the same
// files.
void Signals(RunBench& t, std::function<void(const TempTestProgress&)> also = {}) {
    t.Watch([&t, also](const TempTestProgress& p) {
        if (p.Step > 0)
            t.world.Bridge.SetSignal(200000.0 + 2000.0 * double(p.Row) + 20.0 * double(p.Step), 0);
        if (also) also(p);
    });
}

TEST(TempTestResume, RunKilledAtRowThreeResumesToTheFilesOfAnUninterruptedRun) {
    RunBench whole{3, 2};
    whole.plan.Settings.SaveFullFiles = true;
    Signals(whole);
    whole.test.TBegin();

    RunBench t{3, 2};
    t.plan.Settings.SaveFullFiles = true;
    Signals(t, [](const TempTestProgress& p) {
        if (p.Row == 3) std::raise(SIGKILL);
    });
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        t.test.TBegin();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run must die at row 3";

    // The restarted program holds another plan; the resumed run brings back the run's own.
    t.plan.Settings.TempCount = "1";
    t.plan.SetTemperatureRows();
    t.plan.RegChg.Cell(1, 2) = "";
    double firstStepMs = -1;
    Signals(t, [&](const TempTestProgress& p) {
        if (p.Step > 0 && firstStepMs < 0) firstStepMs = t.clock.SteadyMs();
    });
    // Without its chamber the run is not offered yet.
    t.bench.Instruments.Ports.ChamberPort.Selected = 0;
    EXPECT_EQ(t.test.OfferResume(), TempTest::ResumeOffer::NotReady);
    EXPECT_TRUE(t.prompt.Asked.empty());
    t.bench.Instruments.Select(InstrumentKind::Chamber, 2);
    t.prompt.Confirms = {true};
    ASSERT_EQ(t.test.OfferResume(), TempTest::ResumeOffer::Resumed);
    EXPECT_THAT(t.prompt.Asked,
                ElementsAre(StartsWith("An unfinished temperature run (row 3 of 3, started ")));
    EXPECT_GT(firstStepMs, 60'000) << "row 3 approached and soaked again before measuring";

    for (const char* file : {kTempAFile, kTempBFile})
        EXPECT_EQ(FileText(t.dir / file), FileText(whole.dir / file)) << file;
    EXPECT_TRUE(fs::exists(t.dir / "TEMP" / "QnTMP-5.CSV")) << "numbering goes on after 3";
    EXPECT_FALSE(fs::exists(t.dir / "TEMP" / "QnTMP-6.CSV"));
    EXPECT_FALSE(t.Journal().Unfinished());

    // The journal alone gives the same files again, without a question or a damage note.
    fs::remove(t.dir / kTempAFile);
    fs::remove(t.dir / kTempBFile);
    t.prompt.Asked.clear();
    t.test.RebuildFiles();
    EXPECT_THAT(t.prompt.Asked, ElementsAre(StartsWith("Wrote ")));
    for (const char* file : {kTempAFile, kTempBFile})
        EXPECT_EQ(FileText(t.dir / file), FileText(whole.dir / file)) << file;
}

// A journal of a run of `t`'s plan holding `attempts`, as the run writes it; with its end record
// when `ended`.
void WriteJournal(RunBench& t, const std::vector<JournalAttempt>& attempts, bool ended) {
    RunJournal journal;
    const BenchInstruments& lab = t.bench.Instruments;
    const JournalPlan plan =
        PlanInUse(RunMode::Begin, "2026-12-07 02:14:00", t.plan, lab.FlukeSteps, lab.PowerSteps);
    ASSERT_EQ(journal.Begin(t.bench.ProgramDir(), plan), "");
    for (const JournalAttempt& a : attempts) ASSERT_TRUE(journal.Attempt(a));
    ASSERT_TRUE(!ended || journal.End(false));
}

JournalAttempt CapturedAt(size_t row, size_t step) {
    JournalAttempt a{row, step, 1, true, 23.0 + 2.0 * double(row), 0, 25, {}, {}, "", true};
    a.Result.Adc = {1.5, 572.2, 100, 20, 10, 2, 18};
    return a;
}

// After a stop during row 1 step 2 an older version left that step's aborted figures in the A
// file: rebuilding asks before it replaces them, then writes only what the journal holds.
TEST(TempTestResume, RebuildAsksBeforeReplacingResultsTheJournalLacks) {
    RunBench t;
    WriteJournal(t, {CapturedAt(1, 1), CapturedAt(1, 2)}, true);
    ASSERT_TRUE(WriteTempAFile(t.bench.ProgramDir(), JournalResults(t.Journal())).Ok());
    WriteJournal(t, {CapturedAt(1, 1)}, true);
    const fs::path aFile = t.dir / kTempAFile;
    const std::string left = FileText(aFile);

    t.test.RebuildFiles();
    EXPECT_THAT(t.prompt.Asked,
                ElementsAre(StartsWith("The result files hold results the run "
                                       "journal lacks (QnTEMPA.CSV row 1 step 2). ")));
    EXPECT_EQ(FileText(aFile), left) << "declined: the file stays";

    t.prompt.Confirms = {true};
    t.test.RebuildFiles();
    EXPECT_EQ(FileText(aFile), TempAFileText(JournalResults(t.Journal())));

    t.prompt.Asked.clear();
    t.test.RebuildFiles();
    EXPECT_THAT(t.prompt.Asked, ElementsAre(StartsWith("Wrote ")))
        << "the files agree: no question";
}

// Killed between the journal's end record and the A file's rename: the window rebuilds the files
// when it opens, and says so.
TEST(TempTestResume, EndedRunWithoutItsAFileGetsItsFilesWhenTheWindowOpens) {
    RunBench t;
    std::vector<JournalAttempt> all;
    for (size_t row = 1; row <= 2; ++row)
        for (size_t step = 1; step <= 3; ++step) all.push_back(CapturedAt(row, step));
    WriteJournal(t, all, true);
    ASSERT_EQ(t.test.OfferResume(), TempTest::ResumeOffer::NoRun);
    EXPECT_THAT(t.prompt.Asked, ElementsAre(HasSubstr("The temperature run started 2026-12-07 "
                                                      "02:14:00 has ended, but its QnTEMPA.CSV was "
                                                      "missing: its result files were rebuilt from "
                                                      "the run journal.\nWrote ")));
    EXPECT_EQ(t.test.OfferResume(), TempTest::ResumeOffer::NoRun);
    EXPECT_EQ(t.prompt.Asked.size(), 1u) << "once the files are there nothing is said";
}

// A damaged middle record is told before the offer (its step is measured again); a damaged plan
// leaves nothing to offer and says so.
TEST(TempTestResume, DamageInTheJournalIsToldBeforeTheOffer) {
    for (const bool planDamaged : {false, true}) {
        SCOPED_TRACE(planDamaged ? "plan damaged" : "middle record damaged");
        RunBench t;
        WriteJournal(t, {CapturedAt(1, 1), CapturedAt(1, 2)}, false);
        std::string text = FileText(t.dir / kJournalFile);
        text[planDamaged ? 30 : text.find('\n') + 20] ^= 0x01;
        std::ofstream(t.dir / kJournalFile, std::ios::binary) << text;
        if (planDamaged) {
            EXPECT_EQ(t.test.OfferResume(), TempTest::ResumeOffer::NoRun);
            EXPECT_THAT(t.prompt.Asked,
                        ElementsAre(HasSubstr("Run journal line 1, the run's plan, is damaged")));
            continue;
        }
        EXPECT_EQ(t.test.OfferResume(), TempTest::ResumeOffer::Declined);
        EXPECT_THAT(t.prompt.Asked,
                    ElementsAre(HasSubstr("Run journal line 2 is damaged"),
                                StartsWith("An unfinished temperature run (row 1 of 2, ")));
    }
}

// A resumed run's rows come from its journal: they are checked as a new run's are.
TEST(TempTestResume, AResumedRunPastTheLimitsIsRefused) {
    RunBench t;
    t.plan.Rows[2].Temperature = "200";
    WriteJournal(t, {}, false);
    t.plan.Rows[2].Temperature = "27.00"; // the bench's own plan is within them
    EXPECT_FALSE(t.test.Resume(t.Journal()));
    EXPECT_THAT(t.prompt.Asked, ElementsAre("溫度 of row 2 \"200\" is above 150 °C"));
    EXPECT_TRUE(t.attempts.empty());
}

} // namespace
} // namespace qn::test
