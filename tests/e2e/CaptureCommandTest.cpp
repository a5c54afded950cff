// "--capture" and "--noise-table" from the command line, run on a copy of the program in a folder
// of its own.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// Each command line on a fresh copy: its exit status, and what it must print or write.
TEST(CaptureCommand, SimulatedCaptureWritesFiguresAndBadCommandLinesFail) {
    const struct {
        QStringList Args;
        bool Succeeds;
        const char* ErrContains; // empty: any message
    } cases[] = {
        {{"--capture", "64", "--csv", "out.csv", "--simulate"}, true, ""},
        {{"--capture", "64", "--csv", "out.csv"}, false, "USB not Connect !!!"},
        {{"--capture", "abc", "--csv", "out.csv", "--simulate"}, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Args.join(' ').toStdString());
        QTemporaryDir folder;
        const QFileInfo built(QStringLiteral(QN_PROGRAM));
        QFile::copy(built.filePath(), folder.filePath(built.fileName()));
        std::filesystem::copy((built.path() + "/INCLUDE").toStdString(),
                              folder.filePath("INCLUDE").toStdString());
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.start(folder.filePath(built.fileName()), c.Args);
        ASSERT_TRUE(process.waitForFinished(10'000)) << "still running";
        const QString out = process.readAllStandardOutput(), err = process.readAllStandardError();
        if (!c.Succeeds) {
            EXPECT_NE(process.exitCode(), 0);
            EXPECT_FALSE(err.isEmpty());
            EXPECT_TRUE(err.contains(c.ErrContains)) << err.toStdString();
            continue;
        }
        ASSERT_EQ(process.exitCode(), 0) << err.toStdString();
        const QStringList figures = out.split('\n', Qt::SkipEmptyParts);
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
}

// "--noise-table": a short sweep on the simulated bench writes a table whose header rows list
// the gains; without a bridge or with an input the chip lacks it fails with a message.
TEST(NoiseTableCommand, SimulatedSweepWritesTheTableAndBadRequestsFail) {
    const struct {
        QStringList Args;
        const char* ErrContains; // empty: the sweep succeeds
    } cases[] = {
        {{"--noise-table", "--samples", "16", "--rates", "2560,7680", "--csv", "t.csv",
          "--simulate"},
         ""},
        {{"--noise-table", "--csv", "t.csv"}, "USB not Connect !!!"},
        {{"--noise-table", "--inputs", "AI0,AI9", "--csv", "t.csv", "--simulate"}, "AI9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Args.join(' ').toStdString());
        QTemporaryDir folder;
        const QFileInfo built(QStringLiteral(QN_PROGRAM));
        QFile::copy(built.filePath(), folder.filePath(built.fileName()));
        std::filesystem::copy((built.path() + "/INCLUDE").toStdString(),
                              folder.filePath("INCLUDE").toStdString());
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.start(folder.filePath(built.fileName()), c.Args);
        ASSERT_TRUE(process.waitForFinished(30'000)) << "still running";
        const QString out = process.readAllStandardOutput(), err = process.readAllStandardError();
        if (*c.ErrContains != 0) {
            EXPECT_NE(process.exitCode(), 0);
            EXPECT_TRUE(err.contains(c.ErrContains)) << err.toStdString();
            continue;
        }
        ASSERT_EQ(process.exitCode(), 0) << err.toStdString();
        EXPECT_TRUE(out.startsWith("point 1/64: 2560 sps x1 (PGA 0 ADGN 0) rms="))
            << out.toStdString();
        QFile csv(folder.filePath("t.csv"));
        ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = csv.readAll().split('\n');
        ASSERT_EQ(lines.size(), 4 * 4 + 3 + 1); // four blocks, blank lines between, the last CR LF
        const QList<QByteArray> header = lines[1].trimmed().split(',');
        ASSERT_EQ(header.size(), 1 + 32);
        EXPECT_EQ(header[1], "x1 (PGA 0 ADGN 0)");
        EXPECT_EQ(header[32], "x512 (PGA 7 ADGN 3)");
        EXPECT_TRUE(lines[3].startsWith("7680 sps,"));
    }
}

} // namespace
