// "--capture" from the command line, run on a copy of the program in a folder of its own.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct Outcome {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

class CaptureCommandTest : public ::testing::Test {
  protected:
    CaptureCommandTest() {
        const QString built = QStringLiteral(QN_PROGRAM);
        program = folder.filePath(QFileInfo(built).fileName());
        QFile::copy(built, program);
        std::filesystem::copy((QFileInfo(built).path() + "/INCLUDE").toStdString(),
                              folder.filePath("INCLUDE").toStdString());
    }

    Outcome Run(const QStringList& args) {
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.start(program, args);
        EXPECT_TRUE(process.waitForFinished(10'000)) << "still running";
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    QTemporaryDir folder;
    QString program;
};

TEST_F(CaptureCommandTest, SimulatedCaptureWritesFileAndFigures) {
    const Outcome run = Run({"--capture", "64", "--csv", "out.csv", "--simulate"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    const QStringList figures = run.Out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(figures.size(), 7);
    EXPECT_TRUE(figures[0].startsWith("Average ") && figures[6].startsWith("NoiseFree "));
    QFile csv(folder.filePath("out.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    ASSERT_GE(lines.size(), 6);
    for (int row = 0; row < 4; ++row) EXPECT_EQ(lines[row].count(','), 16) << row;
    EXPECT_TRUE(lines[4].contains("Noise Free"));
    EXPECT_EQ(lines[5].trimmed().split(',').size(), 7);
}

TEST_F(CaptureCommandTest, MissingBridgeFailsWithMessage) {
    const Outcome run = Run({"--capture", "64", "--csv", "out.csv"});
    EXPECT_NE(run.ExitCode, 0);
    EXPECT_TRUE(run.Err.contains("USB not Connect !!!")) << run.Err.toStdString();
}

TEST_F(CaptureCommandTest, BadSampleCountIsRefused) {
    const Outcome run = Run({"--capture", "abc", "--csv", "out.csv", "--simulate"});
    EXPECT_NE(run.ExitCode, 0);
    EXPECT_FALSE(run.Err.isEmpty());
}

} // namespace
