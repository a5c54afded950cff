// A temperature run killed without cleaning up, resumed from its journal in a fresh program, and
// the result files rebuilt from the journal.
#include "TempRunBench.h"
#include "instruments/RunJournal.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>

namespace qn::test {
namespace {

// A noise-free signal of its own for every row and step, so two runs of one plan leave the same
// files.
void Signals(RunBench& t, std::function<void(const TempTestProgress&)> also = {}) {
    t.test.ProgressChanged = [&t, also](const TempTestProgress& p) {
        if (p.Step > 0)
            t.world.Bridge.SetSignal(200000.0 + 2000.0 * double(p.Row) + 20.0 * double(p.Step), 0);
        if (also) also(p);
    };
}

// Three rows, two steps, full files.
void ThreeRowPlan(RunBench& t) {
    t.plan.Settings.TempCount = "3";
    t.plan.SetTemperatureRows();
    t.plan.RegChg.Cell(1, 3).clear();
    t.plan.Settings.SaveFullFiles = true;
}

TEST(TempTestResume, RunKilledAtRowThreeResumesToTheFilesOfAnUninterruptedRun) {
    RunBench whole;
    ThreeRowPlan(whole);
    Signals(whole);
    whole.test.TBegin();

    RunBench t;
    ThreeRowPlan(t);
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
    ASSERT_FALSE(fs::exists(t.dir / "QnTEMPA.CSV"));

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
    ASSERT_EQ(t.prompt.Asked.size(), 1u);
    EXPECT_EQ(t.prompt.Asked[0].rfind("An unfinished temperature run (row 3 of 3, started ", 0), 0u)
        << t.prompt.Asked[0];
    EXPECT_GT(firstStepMs, 60'000) << "row 3 approached and soaked again before measuring";

    for (const char* file : {"QnTEMPA.CSV", "QnTEMPB.CSV"})
        EXPECT_EQ(FileLines(t.dir / file), FileLines(whole.dir / file)) << file;
    EXPECT_TRUE(fs::exists(t.dir / "TEMP" / "QnTMP-5.CSV")) << "numbering goes on after 3";
    EXPECT_FALSE(fs::exists(t.dir / "TEMP" / "QnTMP-6.CSV"));
    EXPECT_FALSE(ReadRunJournal(t.dir.string()).Unfinished());

    // The journal alone gives the same files again.
    fs::remove(t.dir / "QnTEMPA.CSV");
    fs::remove(t.dir / "QnTEMPB.CSV");
    for (const ResultFileWrite& written : RebuildResultFiles(t.dir.string()))
        EXPECT_TRUE(written.Ok()) << written.Error;
    for (const char* file : {"QnTEMPA.CSV", "QnTEMPB.CSV"})
        EXPECT_EQ(FileLines(t.dir / file), FileLines(whole.dir / file)) << "rebuilt " << file;
}

} // namespace
} // namespace qn::test
