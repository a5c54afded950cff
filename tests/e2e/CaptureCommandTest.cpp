// "--capture" and "--noise-table" from the command line, run on a copy of the program in a folder
// of its own.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <numeric>

namespace {

QList<QByteArray> CsvLines(const QTemporaryDir& folder, const char* name) {
    QFile csv(folder.filePath(name));
    EXPECT_TRUE(csv.open(QIODevice::ReadOnly)) << name;
    return csv.readAll().split('\n');
}

void Write(const QTemporaryDir& folder, const char* name, const QByteArray& contents) {
    QFile file(folder.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name;
    file.write(contents);
}

// The figure of a "--capture" output line such as "RmsNV 572.20".
double Figure(const QString& out, const QString& name) {
    for (const QString& line : out.split('\n'))
        if (line.startsWith(name + " ")) return line.mid(name.size() + 1).toDouble();
    return 0;
}

// The settings file up to its reference voltage line, which holds `ref`.
QByteArray SettingsWithRef(const char* ref) {
    return QByteArray("Qn-740xTEST V1.3\r\n   0   5  15   5   0\r\n") +
           "FALSE\r\nFALSE\r\nTRUE\r\nFALSE\r\nFALSE\r\nFALSE\r\n 0\r\n 0\r\n0\r\n0\r\n"
           "   2  15\r\nFALSE\r\n   0\r\n   0\r\n  500000   50000\r\n"
           "   0   0   0   0   0   0\r\n   0   0   0   0   0   0\r\n   0\r\n   0\r\n   1\r\n" +
           ref + "\r\n";
}

// "--capture" prints the figures and writes the capture with them (after "--avg", the block
// averages the figures came from); "--noise-table" runs a short sweep whose table's header rows
// list the gains. Without a bridge, with a count that is no number
// or with an input the chip lacks, each fails with a message. A settings file that cannot be used
// or holds a refused value is named on stderr and the defaults are used; temporary files a killed
// write left behind are removed at the start. Each command line on a fresh copy.
TEST(CaptureCommand, SimulatedRunsWriteTheirFilesAndBadCommandLinesFail) {
    const auto capture = QStringList{"--capture", "64", "--csv", "out.csv", "--simulate"};
    const auto aged = [](const QTemporaryDir& folder, const char* name) {
        Write(folder, name, "part");
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(QDateTime::currentDateTime().addSecs(-600),
                         QFileDevice::FileModificationTime);
    };
    const struct {
        QStringList Args;
        const char* ErrContains; // nullptr: the command succeeds; "": any message
        std::function<void(const QString& out, const QTemporaryDir& folder)> Check;
        std::function<void(const QTemporaryDir& folder)> Prepare = {};
        const char* Warns = ""; // what stderr says when the command succeeds
    } cases[] = {
        {capture, nullptr,
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
        {{"--capture", "100", "--avg", "3", "--csv", "out.csv", "--simulate"},
         nullptr,
         [](const QString& out, const QTemporaryDir& folder) {
             QList<double> values; // the 33 block averages, the last line holds one
             for (const QByteArray& line : CsvLines(folder, "out.csv")) {
                 if (line.contains("Noise Free")) break;
                 for (const QByteArray& value : line.split(','))
                     if (!value.trimmed().isEmpty()) values.append(value.toDouble());
             }
             ASSERT_EQ(values.size(), 33);
             const double mean = std::accumulate(values.begin(), values.end(), 0.0) / 33;
             EXPECT_NEAR(mean, Figure(out, "Average"), 0.011);
         }},
        {capture, nullptr,
         [](const QString& out, const QTemporaryDir&) { EXPECT_GT(Figure(out, "RmsNV"), 0); },
         [](const QTemporaryDir& folder) { QDir(folder.path()).mkdir("QnADC.cfg"); },
         "QnADC.cfg\" is a folder, not a file; default settings used"},
        {capture, nullptr,
         [](const QString& out, const QTemporaryDir&) { EXPECT_GT(Figure(out, "RmsNV"), 0); },
         [](const QTemporaryDir& folder) { Write(folder, "QnADC.cfg", "[Setting]\r\n"); },
         "QnADC.cfg\": the first line is \"[Setting]\", not \"Qn-740xTEST V1.3\"; default"},
        {capture, nullptr,
         [](const QString& out, const QTemporaryDir&) { EXPECT_GT(Figure(out, "RmsNV"), 0); },
         [](const QTemporaryDir& folder) { Write(folder, "QnADC.cfg", SettingsWithRef("-2.4")); },
         "QnADC.cfg\": line 23: EREFV \"-2.4\" is not a reference voltage in volts above 0; kept "
         "\"2.4\""},
        {capture, nullptr,
         [](const QString&, const QTemporaryDir& folder) {
             EXPECT_EQ(QDir(folder.path()).entryList({".*.*"}, QDir::Files | QDir::Hidden),
                       QStringList{})
                 << "the leftover beside QnADC.cfg";
             EXPECT_EQ(QDir(folder.filePath("TEMP")).entryList(QDir::Files | QDir::Hidden),
                       QStringList{"QnTMP-0.CSV"});
         },
         [&aged](const QTemporaryDir& folder) {
             QDir(folder.path()).mkdir("TEMP");
             aged(folder, ".QnTEMPB.CSV.qn-tmp-a1B2c3");
             aged(folder, "TEMP/.QnTMP-0.CSV.qn-tmp-Zz09aa");
             Write(folder, "TEMP/QnTMP-0.CSV", "kept");
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
        {{"--noise-table", "--inputs", "AI0," + QString(1000, 'A'), "--csv", "t.csv", "--simulate"},
         "AAA…\" (1000 bytes) for INN",
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Args.join(' ').toStdString());
        QTemporaryDir folder;
        const QFileInfo built(QStringLiteral(QN_PROGRAM));
        QFile::copy(built.filePath(), folder.filePath(built.fileName()));
        std::filesystem::copy((built.path() + "/INCLUDE").toStdString(),
                              folder.filePath("INCLUDE").toStdString());
        if (c.Prepare) c.Prepare(folder);
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
        ASSERT_EQ(process.exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(process.exitCode(), 0) << err.toStdString();
        EXPECT_TRUE(err.contains(c.Warns)) << err.toStdString();
        c.Check(out, folder);
    }
}

// Without a display and without touching a device: a usage error exits 2 with its message and
// the hint, --version exits 0, and the window form without a display exits 1 and says why.
TEST(CommandLine, UsageErrorsVersionAndNoDisplay) {
    const struct {
        QStringList args;
        int exit;
        const char* errStart; // the first line of standard error starts so
        const char* out;      // standard output contains this
    } cases[] = {
        {{"--bogus"}, 2, "qn740xtest: unknown option \"--bogus\"", ""},
        {{"--temprature-run", "plan.txt"}, 2, "qn740xtest: unknown option", ""},
        {{"--csv", "out.csv"}, 2, "qn740xtest: --csv needs --capture or --noise-table", ""},
        {{"--capture", "abc", "--csv", "o.csv", "--simulate"},
         2,
         "qn740xtest: --capture takes",
         ""},
        {{"--noise-table", "--scale", "20", "--csv", "t.csv"}, 2, "qn740xtest: Unknown option", ""},
        {{"--temperature-run"}, 2, "qn740xtest: Missing value", ""},
        {{"--temperature-run", "p.txt", "--resume", "--rebuild"}, 2, "qn740xtest: --rebuild", ""},
        {{"--version"}, 0, nullptr, "qn740xtest 1.3 (revision "},
        {{"--help"}, 0, nullptr, "Exit status:"},
        {{"--simulate"}, 1, "qn740xtest: no display found", ""},
    };
    QProcessEnvironment headless = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        headless.remove(name);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QTemporaryDir folder;
        QProcess process;
        process.setProcessEnvironment(headless);
        process.setWorkingDirectory(folder.path());
        process.start(QStringLiteral(QN_PROGRAM), c.args);
        ASSERT_TRUE(process.waitForFinished(30'000)) << "still running";
        const QString out = process.readAllStandardOutput(), err = process.readAllStandardError();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), c.exit) << err.toStdString();
        EXPECT_TRUE(out.contains(c.out)) << out.toStdString();
        if (c.errStart == nullptr) {
            EXPECT_TRUE(err.isEmpty()) << err.toStdString();
            continue;
        }
        const QStringList lines = err.split('\n', Qt::SkipEmptyParts);
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_TRUE(lines[0].startsWith(c.errStart)) << err.toStdString();
        if (c.exit == 2) {
            EXPECT_EQ(lines.value(1), "Try 'qn740xtest --help'.");
        }
    }
}

} // namespace
