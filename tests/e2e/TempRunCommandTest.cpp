// "--temperature-run" from the command line on the simulated lab: a short plan run through, the
// failures that must stop it before it starts, SIGTERM during the soak and a killed run resumed.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// One row at the simulated chamber's room temperature with no soak and one step: seconds long.
constexpr const char* kShortPlan = "[run]\nTempCount=1\nStart=25\nSoakMinutes=0\nStepRows=4\n"
                                   "SupplyDelay=100\n[registers]\nAddress,04,Delay,ACM\n"
                                   "1,01,1,2.4\n[calibrator]\n1,1,\"OUT 100 mV ,0 Hz \"\n"
                                   "[supply]\n1,1,VOLT 3.3\n";

// A copy of the program and its chip files in a folder of its own, with the plan beside them.
struct ProgramCopy {
    explicit ProgramCopy(const QByteArray& plan) {
        const QFileInfo built(QStringLiteral(QN_PROGRAM));
        Program = Folder.filePath(built.fileName());
        QFile::copy(built.filePath(), Program);
        std::filesystem::copy((built.path() + "/INCLUDE").toStdString(),
                              Folder.filePath("INCLUDE").toStdString());
        QFile file(Folder.filePath("plan.txt"));
        if (file.open(QIODevice::WriteOnly)) file.write(plan);
        Process.setWorkingDirectory(Folder.path());
    }
    void Start(QStringList args) {
        Process.start(Program, QStringList{"--temperature-run", "plan.txt"} + args);
    }
    QTemporaryDir Folder;
    QString Program;
    QProcess Process;
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
        ProgramCopy copy(c.Plan);
        copy.Start(c.Args);
        ASSERT_TRUE(copy.Process.waitForFinished(60'000)) << "still running";
        const QString out = copy.Process.readAllStandardOutput();
        const QString err = copy.Process.readAllStandardError();
        if (*c.ErrContains != '\0') {
            EXPECT_NE(copy.Process.exitCode(), 0);
            EXPECT_TRUE(err.contains(c.ErrContains)) << err.toStdString();
            EXPECT_FALSE(out.contains("step 1/1")) << "no step may run";
            continue;
        }
        ASSERT_EQ(copy.Process.exitCode(), 0) << err.toStdString();
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
TEST(TempRunCommand, SigtermDuringTheSoakEndsTheRunSafely) {
    ProgramCopy copy(QByteArray(kShortPlan).replace("SoakMinutes=0", "SoakMinutes=5"));
    copy.Start({"--simulate"});
    QString out;
    while (!out.contains("soak minute 0") && copy.Process.waitForReadyRead(30'000))
        out += copy.Process.readAllStandardOutput();
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

} // namespace

// The journal without its last record: what a kill between the last step's record and the end
// record leaves.
static void CutLastRecord(const QString& journal) {
    QFile file(journal);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray text = file.readAll();
    text.chop(1);
    ASSERT_TRUE(file.resize(text.lastIndexOf('\n') + 1));
}

// A run killed during its first step is taken up by --resume at the step after the last one
// the journal holds; without an unfinished run --resume refuses; a run killed after its last
// step is only ended by --resume, which reports it complete.
TEST(TempRunCommand, ResumeGoesOnWithTheKilledRun) {
    ProgramCopy copy(QByteArray(kShortPlan).replace("1,01,1,2.4\n", "1,01,1,2.4\n2,02,1,2.4\n"));
    copy.Start({"--simulate"});
    QString out;
    while (!out.contains("step 2/2") && copy.Process.waitForReadyRead(30'000))
        out += copy.Process.readAllStandardOutput();
    copy.Process.kill();
    ASSERT_TRUE(copy.Process.waitForFinished(10'000));
    ASSERT_TRUE(out.contains("step 2/2")) << out.toStdString();

    for (const bool unfinished : {true, false}) {
        copy.Start({"--resume", "--simulate"});
        ASSERT_TRUE(copy.Process.waitForFinished(60'000)) << "still running";
        out = copy.Process.readAllStandardOutput();
        if (!unfinished) {
            EXPECT_NE(copy.Process.exitCode(), 0);
            EXPECT_TRUE(copy.Process.readAllStandardError().contains("no unfinished run"));
            continue;
        }
        EXPECT_EQ(copy.Process.exitCode(), 0) << copy.Process.readAllStandardError().toStdString();
        EXPECT_FALSE(out.contains("step 1/2")) << out.toStdString();
        EXPECT_TRUE(out.contains("step 2/2") && out.contains("run complete: 1 rows, 2 steps"));
    }

    CutLastRecord(copy.Folder.filePath("QnTEMP.JOURNAL"));
    copy.Start({"--resume", "--simulate"});
    ASSERT_TRUE(copy.Process.waitForFinished(60'000)) << "still running";
    out = copy.Process.readAllStandardOutput();
    EXPECT_EQ(copy.Process.exitCode(), 0) << copy.Process.readAllStandardError().toStdString();
    EXPECT_FALSE(out.contains("step ")) << out.toStdString();
    EXPECT_TRUE(out.contains("run complete: 1 rows, 2 steps")) << out.toStdString();
}

// A run killed before its A file's rename gets its files from the journal at the next start;
// "--rebuild" (with or without a plan) writes them too, but never replaces results the journal
// lacks.
TEST(TempRunCommand, ResultFilesComeBackFromTheJournal) {
    ProgramCopy copy(kShortPlan);
    copy.Start({"--simulate"});
    ASSERT_TRUE(copy.Process.waitForFinished(60'000));
    ASSERT_EQ(copy.Process.exitCode(), 0) << copy.Process.readAllStandardError().toStdString();
    const QString aFile = copy.Folder.filePath("QnTEMPA.CSV");
    ASSERT_TRUE(QFile::remove(aFile));
    copy.Start({"--resume", "--simulate"});
    ASSERT_TRUE(copy.Process.waitForFinished(60'000));
    EXPECT_EQ(copy.Process.exitCode(), 0) << copy.Process.readAllStandardError().toStdString();
    EXPECT_TRUE(copy.Process.readAllStandardOutput().contains("were rebuilt from the run journal"));
    EXPECT_TRUE(QFile::exists(aFile));

    const QByteArray doctored = "h\r\nh\r\n25.00, 0.00, 1, 9.99, 1, 1, 1, 1, 1, 1,0\r\n";
    for (const bool lacking : {true, false}) {
        SCOPED_TRACE(lacking ? "the file holds a result the journal lacks" : "no file");
        QFile::remove(aFile);
        if (lacking) {
            QFile file(aFile);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(doctored) > 0);
        }
        copy.Process.start(copy.Program,
                           lacking ? QStringList{"--temperature-run", "--rebuild"}
                                   : QStringList{"--temperature-run", "plan.txt", "--rebuild"});
        ASSERT_TRUE(copy.Process.waitForFinished(60'000));
        const QString err = copy.Process.readAllStandardError();
        QFile file(aFile);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        if (lacking) {
            EXPECT_NE(copy.Process.exitCode(), 0);
            EXPECT_TRUE(err.contains("lacks (QnTEMPA.CSV row 1 step 1)")) << err.toStdString();
            EXPECT_EQ(file.readAll(), doctored);
            continue;
        }
        EXPECT_EQ(copy.Process.exitCode(), 0) << err.toStdString();
        EXPECT_TRUE(copy.Process.readAllStandardOutput().contains("Wrote "));
        EXPECT_TRUE(file.readAll().contains("\r\n25.00, 0.00, 1, "));
    }
}
