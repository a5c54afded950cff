// A copy of the built program and its chip files in a temporary folder of its own, run there as
// a script runs it.
#pragma once

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace qn::test {

// How a run ended: its exit code (-1 when it did not exit normally) and what it printed.
struct RunOutcome {
    int Exit;
    QString Out, Err;
};

struct ProgramCopy {
    // `simulatedClock`: the program's waits take no real time. `plan`, when given, is written
    // as plan.txt.
    explicit ProgramCopy(bool simulatedClock = false, const QByteArray& plan = {}) {
        const QFileInfo built(QStringLiteral(QN_PROGRAM));
        Program = Folder.filePath(built.fileName());
        QFile::copy(built.filePath(), Program);
        std::filesystem::copy((built.path() + "/INCLUDE").toStdString(),
                              Folder.filePath("INCLUDE").toStdString());
        Process.setWorkingDirectory(Folder.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (simulatedClock) environment.insert("QN_SIMULATED_CLOCK", "1");
        Process.setProcessEnvironment(environment);
        if (!plan.isEmpty()) Write("plan.txt", plan);
    }
    void Write(const QString& name, const QByteArray& contents) const {
        QFile file(Folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
        file.write(contents);
    }
    QByteArray Read(const QString& name) const {
        QFile file(Folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return file.readAll();
    }
    // The runs to come write what goes over the bridge and the instrument lines to trace.txt.
    void TraceBus() {
        QProcessEnvironment environment = Process.processEnvironment();
        environment.insert("QN_BUS_TRACE", Folder.filePath("trace.txt"));
        Process.setProcessEnvironment(environment);
    }
    // The temperature run of plan.txt with `args`.
    static QStringList Plan(const QStringList& args) {
        return QStringList{"--temperature-run", "plan.txt"} + args;
    }
    // Runs the copy with `args` to its end.
    RunOutcome Run(const QStringList& args) {
        Process.start(Program, args);
        EXPECT_TRUE(Process.waitForFinished(60'000)) << "still running";
        const bool normal = Process.exitStatus() == QProcess::NormalExit;
        return {normal ? Process.exitCode() : -1, Process.readAllStandardOutput(),
                Process.readAllStandardError()};
    }
    // Runs the copy with `args` to its end, which must be exit status 0.
    RunOutcome RunOk(const QStringList& args) {
        RunOutcome run = Run(args);
        EXPECT_EQ(run.Exit, 0) << run.Err.toStdString();
        return run;
    }
    // Starts the copy with `args` and collects standard output until it holds `text` (or nothing
    // came for 30 s).
    QString StartUntil(const QStringList& args, const QString& text) {
        Process.start(Program, args);
        QString out;
        while (!out.contains(text) && Process.waitForReadyRead(30'000))
            out += Process.readAllStandardOutput();
        return out;
    }

    QTemporaryDir Folder;
    QString Program;
    QProcess Process;
};

// One row at the simulated chamber's room temperature with no soak and one step: seconds long.
constexpr const char* kShortPlan = "[run]\nTempCount=1\nStart=25\nSoakMinutes=0\nStepRows=4\n"
                                   "SupplyDelay=100\n[registers]\nAddress,04,Delay,ACM\n"
                                   "1,01,1,2.4\n[calibrator]\n1,1,\"OUT 100 mV ,0 Hz \"\n"
                                   "[supply]\n1,1,VOLT 3.3\n";

} // namespace qn::test
