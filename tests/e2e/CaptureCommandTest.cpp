// "--capture" and "--noise-table" from the command line, run on a copy of the program in a folder
// of its own.
#include "ProgramCopy.h"

#include <tuple>

#include <QDateTime>
#include <QDir>

#include <numeric>

namespace qn::test {
namespace {

// "--capture" prints the figures and writes the capture with them (after "--avg", the block
// averages the figures came from); "--noise-table" runs a short sweep over the rates asked for.
// Without a bridge, or with an input the chip lacks, each fails with a message. Temporary files a
// killed write left behind are removed at the start. Each command line on a fresh copy.
TEST(CaptureCommand, SimulatedRunsWriteTheirFilesAndBadCommandLinesFail) {
    {
        ProgramCopy copy;
        const RunOutcome run =
            copy.RunOk({"--capture", "100", "--avg", "3", "--csv", "out.csv", "--simulate"});
        QList<double> values; // the 33 block averages, the last line holds one
        for (const QByteArray& line : copy.Read("out.csv").split('\n')) {
            if (line.contains("Noise Free")) break;
            for (const QByteArray& value : line.split(','))
                if (!value.trimmed().isEmpty()) values.append(value.toDouble());
        }
        ASSERT_EQ(values.size(), 33);
        const double mean = std::accumulate(values.begin(), values.end(), 0.0) / 33;
        // The first line the run printed: "Average 0.36".
        EXPECT_NEAR(mean, run.Out.section('\n', 0, 0).section(' ', 1).toDouble(), 0.011);
    }
    {
        ProgramCopy copy;
        QDir(copy.Folder.path()).mkdir("TEMP");
        const QStringList leftovers{".QnTEMPB.CSV.qn-tmp-a1B2c3",
                                    "TEMP/.QnTMP-0.CSV.qn-tmp-Zz09aa"};
        for (const QString& name : leftovers) {
            copy.Write(name, "part");
            QFile file(copy.Folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            file.setFileTime(QDateTime::currentDateTime().addSecs(-600),
                             QFileDevice::FileModificationTime);
        }
        ASSERT_EQ(copy.Run({"--capture", "64", "--csv", "out.csv", "--simulate"}).Exit, 0);
        for (const QString& name : leftovers)
            EXPECT_FALSE(QFile::exists(copy.Folder.filePath(name))) << name.toStdString();
    }
    {
        ProgramCopy copy;
        copy.RunOk({"--noise-table", "--samples", "16", "--rates", "2560,7680", "--csv", "t.csv",
                    "--simulate"});
        const QList<QByteArray> lines = copy.Read("t.csv").split('\n');
        ASSERT_EQ(lines.size(), 4 * 4 + 3 + 1); // four blocks of two rates, CR LF
        EXPECT_TRUE(lines[3].startsWith("7680 sps,"));
    }
    for (const auto& [args, message] :
         {std::pair<QStringList, const char*>{{"--capture", "64", "--csv", "out.csv"},
                                              "USB not Connect !!!"},
          {{"--noise-table", "--csv", "t.csv"}, "USB not Connect !!!"},
          {{"--noise-table", "--inputs", "AI0," + QString(1000, 'A'), "--csv", "t.csv",
            "--simulate"},
           "AAA…\" (1000 bytes) for INN"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        ProgramCopy copy;
        const RunOutcome run = copy.Run(args);
        EXPECT_NE(run.Exit, 0);
        EXPECT_TRUE(run.Err.contains(message)) << run.Err.toStdString();
    }
}

// Without a display and without touching a device: a usage error exits 2 with its message (the
// hint after it, the guide's own sessions check), --version exits 0, and the window form without
// a display exits 1 and says why.
TEST(CommandLine, UsageErrorsVersionAndNoDisplay) {
    // The arguments, the exit status, how standard error starts (none: nothing there) and what
    // standard output holds.
    const std::tuple<QStringList, int, const char*, const char*> cases[] = {
        {{"--capture", "abc", "--csv", "o.csv"}, 2, "qn740xtest: --capture takes", ""},
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
    for (const auto& [args, exit, errStart, shown] : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        ProgramCopy copy;
        copy.Process.setProcessEnvironment(headless);
        const auto [code, out, err] = copy.Run(args);
        EXPECT_EQ(code, exit) << err.toStdString();
        EXPECT_TRUE(out.contains(shown)) << out.toStdString();
        EXPECT_TRUE(errStart == nullptr ? err.isEmpty() : err.startsWith(errStart))
            << err.toStdString();
    }
}

} // namespace
} // namespace qn::test
