// "--temperature-run" from the command line on the simulated lab: a short plan run through, the
// failures that must stop it before it starts, SIGTERM during the soak and a killed run resumed.
#include "ProgramCopy.h"

namespace qn::test {
namespace {

// One row at the simulated chamber's room temperature with no soak and one step: seconds long.
constexpr const char* kShortPlan = "[run]\nTempCount=1\nStart=25\nSoakMinutes=0\nStepRows=4\n"
                                   "SupplyDelay=100\n[registers]\nAddress,04,Delay,ACM\n"
                                   "1,01,1,2.4\n[calibrator]\n1,1,\"OUT 100 mV ,0 Hz \"\n"
                                   "[supply]\n1,1,VOLT 3.3\n";

// The program copy with the plan beside it; it runs on the simulated clock, so the plan's waits
// take no real time.
struct PlanCopy : ProgramCopy {
    explicit PlanCopy(const QByteArray& plan) : ProgramCopy(true) { Write("plan.txt", plan); }
    QStringList Plan(const QStringList& args) const {
        return QStringList{"--temperature-run", "plan.txt"} + args;
    }
    // Starts the plan and collects standard output until it holds `text` (or nothing came for
    // 30 s).
    QString StartUntil(const QStringList& args, const QString& text) {
        Process.start(Program, Plan(args));
        QString out;
        while (!out.contains(text) && Process.waitForReadyRead(30'000))
            out += Process.readAllStandardOutput();
        return out;
    }
};

TEST(TempRunCommand, ShortPlanRunsThroughAndFailuresStopBeforeTheRun) {
    const struct {
        QByteArray Plan;
        QStringList Args;
        const char* ErrContains; // empty: the run goes through
    } cases[] = {
        {kShortPlan, {"--simulate"}, ""},
        {QByteArray(kShortPlan) + "[ports]\nChamber=COM5\n", {"--simulate"}, "(COM5 in the plan"},
        {"[run]\nStart=abc\n", {"--simulate"}, "plan.txt: line 2: Start \"abc\" is not a number"},
        {kShortPlan, {}, "USB not Connect !!!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Plan.toStdString() + c.Args.join(' ').toStdString());
        PlanCopy copy(c.Plan);
        const auto [code, out, err] = copy.Run(copy.Plan(c.Args));
        if (*c.ErrContains != '\0') {
            EXPECT_NE(code, 0);
            EXPECT_TRUE(err.contains(c.ErrContains)) << err.toStdString();
            EXPECT_FALSE(out.contains("step 1/1")) << "no step may run";
            continue;
        }
        ASSERT_EQ(code, 0) << err.toStdString();
        EXPECT_TRUE(out.contains("row 1/1 (25.00 °C): step 1/1\n")) << out.toStdString();
        // The ADC is switched on before the run: the first capture brings samples.
        EXPECT_FALSE(out.contains("attempt 2")) << out.toStdString();
        EXPECT_TRUE(out.contains("run complete: 1 rows, 1 steps")) << out.toStdString();
        QFile results(copy.Folder.filePath("QnTEMPA.CSV"));
        ASSERT_TRUE(results.open(QIODevice::ReadOnly));
        EXPECT_TRUE(results.readAll().contains("\r\n25.00, 0.00, 1, "));
    }
}

// The signal ends the run at its next check: the result file is left and the exit is non-zero.
// A day's soak and a long first capture delay keep the run busy for a while of real time even on
// the simulated clock, so the signal lands before the first capture.
TEST(TempRunCommand, SigtermDuringTheSoakEndsTheRunSafely) {
    PlanCopy copy(QByteArray(kShortPlan)
                      .replace("SoakMinutes=0", "SoakMinutes=1440")
                      .replace("1,01,1,2.4\n", "1,01,20000,2.4\n"));
    const QString out = copy.StartUntil({"--simulate"}, "soak minute 0");
    ASSERT_TRUE(out.contains("soak minute 0")) << out.toStdString();
    copy.Process.terminate();
    ASSERT_TRUE(copy.Process.waitForFinished(10'000)) << "the run did not stop";
    EXPECT_EQ(copy.Process.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(copy.Process.exitCode(), 0);
    const QString err = copy.Process.readAllStandardError();
    EXPECT_TRUE(err.contains("stopped by a signal")) << err.toStdString();
    EXPECT_TRUE(err.contains("not measured: row 1 step 1")) << err.toStdString();
    EXPECT_TRUE(QFile::exists(copy.Folder.filePath("QnTEMPA.CSV")));
}

// The journal without its last record: what a kill between the last step's record and the end
// record leaves.
void CutLastRecord(const QString& journal) {
    QFile file(journal);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray text = file.readAll();
    text.chop(1);
    ASSERT_TRUE(file.resize(text.lastIndexOf('\n') + 1));
}

// A run killed during its second step is taken up by --resume at the step after the last one
// the journal holds; without an unfinished run --resume refuses; a run killed after its last
// step is only ended by --resume, which reports it complete. The second step's long capture
// delay keeps it busy for a while of real time even on the simulated clock.
TEST(TempRunCommand, ResumeGoesOnWithTheKilledRun) {
    PlanCopy copy(QByteArray(kShortPlan).replace("1,01,1,2.4\n", "1,01,1,2.4\n2,02,20000,2.4\n"));
    const QString killed = copy.StartUntil({"--simulate"}, "step 2/2");
    copy.Process.kill();
    ASSERT_TRUE(copy.Process.waitForFinished(10'000));
    ASSERT_TRUE(killed.contains("step 2/2")) << killed.toStdString();

    const QStringList resume = copy.Plan({"--resume", "--simulate"});
    const auto [code, out, err] = copy.Run(resume);
    EXPECT_EQ(code, 0) << err.toStdString();
    EXPECT_FALSE(out.contains("step 1/2")) << out.toStdString();
    EXPECT_TRUE(out.contains("step 2/2") && out.contains("run complete: 1 rows, 2 steps"));
    const RunOutcome again = copy.Run(resume);
    EXPECT_NE(again.Exit, 0);
    EXPECT_TRUE(again.Err.contains("no unfinished run"));

    CutLastRecord(copy.Folder.filePath("QnTEMP.JOURNAL"));
    const RunOutcome ended = copy.Run(resume);
    EXPECT_EQ(ended.Exit, 0) << ended.Err.toStdString();
    EXPECT_FALSE(ended.Out.contains("step ")) << ended.Out.toStdString();
    EXPECT_TRUE(ended.Out.contains("run complete: 1 rows, 2 steps")) << ended.Out.toStdString();
}

// A run killed before its A file's rename gets its files from the journal at the next start;
// "--rebuild" (with or without a plan) writes them too, but never replaces results the journal
// lacks.
TEST(TempRunCommand, ResultFilesComeBackFromTheJournal) {
    PlanCopy copy(kShortPlan);
    ASSERT_EQ(copy.Run(copy.Plan({"--simulate"})).Exit, 0);
    const QString aFile = copy.Folder.filePath("QnTEMPA.CSV");
    ASSERT_TRUE(QFile::remove(aFile));
    const RunOutcome rebuilt = copy.Run(copy.Plan({"--resume", "--simulate"}));
    EXPECT_EQ(rebuilt.Exit, 0) << rebuilt.Err.toStdString();
    EXPECT_TRUE(rebuilt.Out.contains("were rebuilt from the run journal"));
    EXPECT_TRUE(QFile::exists(aFile));

    const QByteArray doctored = "h\r\nh\r\n25.00, 0.00, 1, 9.99, 1, 1, 1, 1, 1, 1,0\r\n";
    for (const bool lacking : {true, false}) {
        SCOPED_TRACE(lacking ? "the file holds a result the journal lacks" : "no file");
        QFile::remove(aFile);
        if (lacking) copy.Write("QnTEMPA.CSV", doctored);
        const auto [code, out, err] = copy.Run(
            lacking ? QStringList{"--temperature-run", "--rebuild"} : copy.Plan({"--rebuild"}));
        QFile file(aFile);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        if (lacking) {
            EXPECT_NE(code, 0);
            EXPECT_TRUE(err.contains("lacks (QnTEMPA.CSV row 1 step 1)")) << err.toStdString();
            EXPECT_EQ(file.readAll(), doctored);
            continue;
        }
        EXPECT_EQ(code, 0) << err.toStdString();
        EXPECT_TRUE(out.contains("Wrote "));
        EXPECT_TRUE(file.readAll().contains("\r\n25.00, 0.00, 1, "));
    }
}

} // namespace
} // namespace qn::test
