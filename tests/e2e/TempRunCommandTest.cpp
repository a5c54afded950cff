// "--temperature-run" from the command line on the simulated lab: a short plan run through, the
// failures that must stop it before it starts, SIGTERM during the soak and a killed run resumed;
// and with "--simulate=board", the simulated bridge and chip with the instruments on the real
// serial ports, here qn-simlab's pseudo-terminals named by the QnPorts.cfg it writes.
// The copies run on the simulated clock, so the plan's waits take no real time.
#include "ProgramCopy.h"

#include <tuple>

namespace qn::test {
namespace {

// (That a missing bridge stops the run, the guide's own session checks.)
TEST(TempRunCommand, ShortPlanRunsThroughAndFailuresStopBeforeTheRun) {
    ProgramCopy copy(true, kShortPlan);
    const QString through = copy.RunOk(copy.Plan({"--simulate"})).Out;
    EXPECT_TRUE(through.contains("run complete: 1 rows, 1 steps")) << through.toStdString();
    // The plan and what standard error holds.
    for (const auto& [plan, told] :
         {std::pair<QByteArray, const char*>{QByteArray(kShortPlan) + "[ports]\nChamber=COM5\n",
                                             "(COM5 in the plan"},
          {"[run]\nStart=abc\n", "plan.txt: line 2: Start \"abc\" is not a number"}}) {
        SCOPED_TRACE(plan.toStdString());
        ProgramCopy failing(true, plan);
        const auto [code, out, err] = failing.Run(failing.Plan({"--simulate"}));
        EXPECT_NE(code, 0);
        EXPECT_TRUE(err.contains(told)) << err.toStdString();
        EXPECT_FALSE(out.contains("step 1/1")) << "no step may run";
    }
}

// The signal ends the run at its next check and the exit is non-zero (that a run stopped during
// the soak leaves its result file, TempTestRunTest checks).
// A day's soak and a long first capture delay keep the run busy for a while of real time even on
// the simulated clock, so the signal lands before the first capture.
TEST(TempRunCommand, SigtermDuringTheSoakEndsTheRunSafely) {
    ProgramCopy copy(true, QByteArray(kShortPlan)
                               .replace("SoakMinutes=0", "SoakMinutes=1440")
                               .replace("1,01,1,2.4\n", "1,01,20000,2.4\n"));
    const QString out = copy.StartUntil(copy.Plan({"--simulate"}), "soak minute 0");
    ASSERT_TRUE(out.contains("soak minute 0")) << out.toStdString();
    copy.Process.terminate();
    ASSERT_TRUE(copy.Process.waitForFinished(10'000)) << "the run did not stop";
    EXPECT_EQ(copy.Process.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(copy.Process.exitCode(), 0);
    const QString err = copy.Process.readAllStandardError();
    EXPECT_TRUE(err.contains("stopped by a signal")) << err.toStdString();
    EXPECT_TRUE(err.contains("not measured: row 1 step 1")) << err.toStdString();
}

// A run killed during its second step is taken up by --resume at the step after the last one
// the journal holds; without an unfinished run --resume refuses; a run killed after its last
// step (its journal without the end record) is only ended by --resume, which reports it
// complete. The second step's long capture delay keeps it busy for a while of real time even on
// the simulated clock.
TEST(TempRunCommand, ResumeGoesOnWithTheKilledRun) {
    ProgramCopy copy(
        true, QByteArray(kShortPlan).replace("1,01,1,2.4\n", "1,01,1,2.4\n2,02,20000,2.4\n"));
    const QString killed = copy.StartUntil(copy.Plan({"--simulate"}), "step 2/2");
    copy.Process.kill();
    ASSERT_TRUE(copy.Process.waitForFinished(10'000));
    ASSERT_TRUE(killed.contains("step 2/2")) << killed.toStdString();

    const QStringList resume = copy.Plan({"--resume", "--simulate"});
    const QString out = copy.RunOk(resume).Out;
    EXPECT_FALSE(out.contains("step 1/2")) << out.toStdString();
    EXPECT_TRUE(out.contains("step 2/2") && out.contains("run complete: 1 rows, 2 steps"));
    const RunOutcome again = copy.Run(resume);
    EXPECT_NE(again.Exit, 0);
    EXPECT_TRUE(again.Err.contains("no unfinished run"));

    QByteArray journal = copy.Read("QnTEMP.JOURNAL");
    journal.chop(1);
    copy.Write("QnTEMP.JOURNAL", journal.left(journal.lastIndexOf('\n') + 1));
    const RunOutcome ended = copy.RunOk(resume);
    EXPECT_FALSE(ended.Out.contains("step ")) << ended.Out.toStdString();
    EXPECT_TRUE(ended.Out.contains("run complete: 1 rows, 2 steps")) << ended.Out.toStdString();
}

// A run killed before its A file's rename gets its files from the journal at the next start;
// "--rebuild" (with or without a plan) writes them too, but never replaces results the journal
// lacks (what it says then, and its exit status, the guide's own session checks).
TEST(TempRunCommand, ResultFilesComeBackFromTheJournal) {
    ProgramCopy copy(true, kShortPlan);
    copy.RunOk(copy.Plan({"--simulate"}));
    const QString aFile = copy.Folder.filePath("QnTEMPA.CSV");
    ASSERT_TRUE(QFile::remove(aFile));
    copy.RunOk(copy.Plan({"--resume", "--simulate"}));
    EXPECT_TRUE(QFile::exists(aFile));

    const QByteArray doctored = "h\r\nh\r\n25.00, 0.00, 1, 9.99, 1, 1, 1, 1, 1, 1,0\r\n";
    copy.Write("QnTEMPA.CSV", doctored);
    copy.Run({"--temperature-run", "--rebuild"});
    EXPECT_EQ(copy.Read("QnTEMPA.CSV"), doctored);

    QFile::remove(aFile);
    copy.RunOk(copy.Plan({"--rebuild"}));
    EXPECT_TRUE(copy.Read("QnTEMPA.CSV").contains("\r\n25.00, 0.00, 1, "));
}

// The short plan without its capture delay; the instruments' own settling waits make it some ten
// seconds of real time.
TEST(SimulateBoard, TemperatureRunSelectsTheInstrumentsOnRealPortsAndMeasures) {
    ProgramCopy copy(false, QByteArray(kShortPlan).replace("1,01,1,", "1,01,0,"));
    QProcess lab;
    lab.start(QStringLiteral(QN_SIMLAB), {"--folder", copy.Folder.path()});
    ASSERT_TRUE(lab.waitForReadyRead(5000) && lab.readLine().trimmed() == "ready");
    copy.TraceBus();
    const QString out = copy.RunOk(copy.Plan({"--simulate=board"})).Out;
    lab.kill();
    lab.waitForFinished(2000);
    EXPECT_TRUE(out.contains("run complete: 1 rows, 1 steps")) << out.toStdString();

    // Each instrument was written to and answered on its pseudo-terminal, not on a simulated port.
    const QString trace = copy.Read("trace.txt");
    for (const char* port : {"COM1", "COM2", "COM3"}) {
        for (const char* way : {"OUT ", "IN  "})
            EXPECT_TRUE(trace.contains(QString(way) + port + " /dev/pts/")) << way << port;
        EXPECT_FALSE(trace.contains(QString(port) + " sim")) << port;
    }

    // The step's row holds the simulated chip's measured noise, not the zeros of a missing capture.
    const QList<QByteArray> cells = copy.Read("QnTEMPA.CSV").split('\n').value(2).split(',');
    EXPECT_GT(cells.value(4).trimmed().toDouble(), 0.0) << "VPP(nV)";
    EXPECT_GT(cells.value(5).trimmed().toDouble(), 0.0) << "RMS(nV)";
}

} // namespace
} // namespace qn::test
