// "--temperature-run PLAN --check" on the simulated bench: that it changes nothing, tells every
// reason a run could not start, and that its estimate stays within 10 % of the run it describes.
// What it prints for a plan that could run, the guide's own session checks.
#include "ProgramCopy.h"

#include <QDir>
#include <QRegularExpression>

#include <tuple>
#include <vector>

namespace qn::test {
namespace {

// One row at the simulated chamber's room temperature, one step; no soak, no delay.
constexpr const char* kPlan = "[run]\nTempCount=1\nStart=25\nSoakMinutes=0\nStepRows=40\n"
                              "SupplyDelay=100\n[registers]\nAddress,02,Delay,ACM\n"
                              "1,14,0,2.4\n[calibrator]\n1,1,\"OUT 100 mV ,0 Hz \"\n"
                              "[supply]\n1,1,VOLT 3.3\n";

TEST(TempRunCheck, TellsWhatWouldRunAndEveryReasonItCouldNot) {
    // The plan, the arguments after it, the exit status and what is said: on standard output for
    // exit 0, standard error otherwise.
    const std::tuple<QByteArray, QStringList, int, std::vector<const char*>> cases[] = {
        {kPlan, {"--simulate"}, 0, {"chamber COM3: reads 25.00 °C", "the run could start"}},
        // Every refused value of the plan is told (that the instruments are still looked for
        // then, the guide's own session checks).
        {QByteArray(kPlan)
             .replace("SoakMinutes=0", "SoakMinutes=1441")
             .replace("SupplyDelay=100", "SupplyDelay=0.5")
             .replace("1,14,0,2.4", "1,14,-1,2.4"),
         {"--simulate"},
         1,
         {"plan.txt: line 4: SoakMinutes \"1441\" is not a whole number of minutes",
          "qn740xtest: plan.txt: line 6: SupplyDelay \"0.5\"",
          "qn740xtest: plan.txt: line 9: delay \"-1\""}},
        {kPlan, {}, 1, {"USB not Connect !!!", "(COM1 in", "(COM2 in", "(COM3 in"}},
        {kPlan, {"--check", "--resume", "--simulate"}, 2, {"--check and --resume exclude"}},
    };
    for (const auto& [plan, args, exit, told] : cases) {
        SCOPED_TRACE(plan.toStdString() + args.join(' ').toStdString());
        ProgramCopy copy(true, plan);
        copy.TraceBus();
        const auto [code, out, err] = copy.Run(copy.Plan(QStringList{"--check"} + args));
        EXPECT_EQ(code, exit) << out.toStdString() << err.toStdString();
        for (const char* said : told)
            EXPECT_TRUE((exit == 0 ? out : err).contains(QString::fromUtf8(said)))
                << said << out.toStdString() << err.toStdString();
        // What went over the bridge and the instrument lines: reads and identification only; not
        // a file more than the program, its chip files, the plan and the trace.
        QStringList left =
            QDir(copy.Folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        for (const char* kept : {"INCLUDE", "plan.txt", "trace.txt"}) left.removeAll(kept);
        EXPECT_EQ(left, QStringList{QFileInfo(copy.Program).fileName()});
        QFile trace(copy.Folder.filePath("trace.txt"));
        const QString lines = trace.open(QIODevice::ReadOnly) ? trace.readAll() : "";
        for (const char* set : {"C4 00 A0", // a chip register write
                                "WSD",      // a chamber write: set point, ramp, run
                                "VOLT", "CURR", "OUTP", "OUT 100 mV", "OPER"})
            EXPECT_FALSE(lines.contains(set)) << set;
        EXPECT_TRUE(exit != 0 || (lines.contains("*IDN?") && lines.contains("01RSD")));
    }
}

double Seconds(const QString& text, const QString& after) {
    const QRegularExpression time(QRegularExpression::escape(after) + R"((\d+):(\d\d):(\d\d))");
    const QRegularExpressionMatch m = time.match(text);
    if (!m.hasMatch()) return -1;
    return m.captured(1).toDouble() * 3600 + m.captured(2).toDouble() * 60 +
           m.captured(3).toDouble();
}

// The run's own duration on the bench's clock, against what the check said before it.
TEST(TempRunCheck, EstimateStaysWithinTenPercentOfTheRun) {
    QByteArray steps;
    for (int s = 1; s <= 30; ++s) steps += QByteArray::number(s) + ",14,0,2.4\n";
    const QByteArray manySteps = QByteArray(kPlan).replace("1,14,0,2.4\n", steps);
    const std::pair<const char*, QByteArray> shapes[] = {
        {"a soak after a ramp", QByteArray(kPlan)
                                    .replace("Start=25", "Start=31")
                                    .replace("SoakMinutes=0", "SoakMinutes=3")},
        {"many short steps", manySteps},
        {"the slowest data rate", QByteArray(kPlan).replace("1,14,0,2.4", "1,F4,1,2.4")},
    };
    for (const auto& [shape, plan] : shapes) {
        SCOPED_TRACE(shape);
        ProgramCopy copy(true, plan);
        const RunOutcome check = copy.Run(copy.Plan({"--check", "--simulate"}));
        const RunOutcome run = copy.RunOk(copy.Plan({"--simulate"}));
        const double estimate = Seconds(check.Out, "estimate: ");
        const double actual = Seconds(run.Out, " steps in ");
        ASSERT_GT(actual, 20) << "too short to measure to 10 %: " << run.Out.toStdString();
        EXPECT_NEAR(estimate / actual, 1.0, 0.1)
            << "estimate " << estimate << " s, run " << actual << " s";
    }
}

} // namespace
} // namespace qn::test
