// "--capture" and "--noise-table" from the command line, run on a copy of the program in a folder
// of its own.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

QList<QByteArray> CsvLines(const QTemporaryDir& folder, const char* name) {
    QFile csv(folder.filePath(name));
    EXPECT_TRUE(csv.open(QIODevice::ReadOnly)) << name;
    return csv.readAll().split('\n');
}

// "--capture" prints the figures and writes the capture with them; "--noise-table" runs a short
// sweep whose table's header rows list the gains. Without a bridge, with a count that is no number
// or with an input the chip lacks, each fails with a message. Each command line on a fresh copy.
TEST(CaptureCommand, SimulatedRunsWriteTheirFilesAndBadCommandLinesFail) {
    const struct {
        QStringList Args;
        const char* ErrContains; // nullptr: the command succeeds; "": any message
        std::function<void(const QString& out, const QTemporaryDir& folder)> Check;
    } cases[] = {
        {{"--capture", "64", "--csv", "out.csv", "--simulate"},
         nullptr,
         [](const QString& out, const QTemporaryDir& folder) {
             const QStringList figures = out.split('\n', Qt::SkipEmptyParts);
             ASSERT_EQ(figures.size(), 7);
             EXPECT_TRUE(figures[0].startsWith("Average ") && figures[6].startsWith("NoiseFree "));
             const QList<QByteArray> lines = CsvLines(folder, "out.csv");
             ASSERT_GE(lines.size(), 6);
             for (int row = 0; row < 4; ++row) EXPECT_EQ(lines[row].count(','), 16) << row;
             EXPECT_TRUE(lines[4].contains("Noise Free"));
             EXPECT_EQ(lines[5].trimmed().split(',').size(), 7);
         }},
        {{"--capture", "64", "--csv", "out.csv"}, "USB not Connect !!!", {}},
        {{"--capture", "abc", "--csv", "out.csv", "--simulate"}, "", {}},
        {{"--noise-table", "--samples", "16", "--rates", "2560,7680", "--csv", "t.csv",
          "--simulate"},
         nullptr,
         [](const QString& out, const QTemporaryDir& folder) {
             EXPECT_TRUE(out.startsWith("point 1/64: 2560 sps x1 (PGA 0 ADGN 0) rms="))
                 << out.toStdString();
             const QList<QByteArray> lines = CsvLines(folder, "t.csv");
             ASSERT_EQ(lines.size(), 4 * 4 + 3 + 1); // four blocks, blank lines between, CR LF
             const QList<QByteArray> header = lines[1].trimmed().split(',');
             ASSERT_EQ(header.size(), 1 + 32);
             EXPECT_EQ(header[1], "x1 (PGA 0 ADGN 0)");
             EXPECT_EQ(header[32], "x512 (PGA 7 ADGN 3)");
             EXPECT_TRUE(lines[3].startsWith("7680 sps,"));
         }},
        {{"--noise-table", "--csv", "t.csv"}, "USB not Connect !!!", {}},
        {{"--noise-table", "--inputs", "AI0,AI9", "--csv", "t.csv", "--simulate"}, "AI9", {}},
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
        if (c.ErrContains != nullptr) {
            EXPECT_NE(process.exitCode(), 0);
            EXPECT_FALSE(err.isEmpty());
            EXPECT_TRUE(err.contains(c.ErrContains)) << err.toStdString();
            continue;
        }
        ASSERT_EQ(process.exitCode(), 0) << err.toStdString();
        c.Check(out, folder);
    }
}

} // namespace
