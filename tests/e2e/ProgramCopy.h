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
    // `simulatedClock`: the program's waits take no real time.
    explicit ProgramCopy(bool simulatedClock = false) {
        const QFileInfo built(QStringLiteral(QN_PROGRAM));
        Program = Folder.filePath(built.fileName());
        QFile::copy(built.filePath(), Program);
        std::filesystem::copy((built.path() + "/INCLUDE").toStdString(),
                              Folder.filePath("INCLUDE").toStdString());
        Process.setWorkingDirectory(Folder.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (simulatedClock) environment.insert("QN_SIMULATED_CLOCK", "1");
        Process.setProcessEnvironment(environment);
    }
    void Write(const QString& name, const QByteArray& contents) const {
        QFile file(Folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
        file.write(contents);
    }
    // Runs the copy with `args` to its end.
    RunOutcome Run(const QStringList& args) {
        Process.start(Program, args);
        EXPECT_TRUE(Process.waitForFinished(60'000)) << "still running";
        const bool normal = Process.exitStatus() == QProcess::NormalExit;
        return {normal ? Process.exitCode() : -1, Process.readAllStandardOutput(),
                Process.readAllStandardError()};
    }

    QTemporaryDir Folder;
    QString Program;
    QProcess Process;
};

} // namespace qn::test
