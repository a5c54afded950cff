// "--temperature-run --simulate=board": the simulated bridge and chip with the instruments on the
// real serial ports, here qn-simlab's pseudo-terminals named by the QnPorts.cfg it writes.
#include "ProgramCopy.h"

namespace qn::test {
namespace {

// One row at the chamber's room temperature, no soak, one step without a capture delay; the
// instruments' own settling waits make it some ten seconds of real time.
constexpr const char* kPlan = "[run]\nTempCount=1\nStart=25\nSoakMinutes=0\nStepRows=4\n"
                              "SupplyDelay=100\n[registers]\nAddress,04,Delay,ACM\n"
                              "1,01,0,2.4\n[calibrator]\n1,1,\"OUT 100 mV ,0 Hz \"\n"
                              "[supply]\n1,1,VOLT 3.3\n";

TEST(SimulateBoard, TemperatureRunSelectsTheInstrumentsOnRealPortsAndMeasures) {
    ProgramCopy copy;
    copy.Write("plan.txt", kPlan);
    QProcess lab;
    lab.start(QStringLiteral(QN_SIMLAB), {"--folder", copy.Folder.path()});
    ASSERT_TRUE(lab.waitForReadyRead(5000) && lab.readLine().trimmed() == "ready");
    QProcessEnvironment environment = copy.Process.processEnvironment();
    environment.insert("QN_BUS_TRACE", copy.Folder.filePath("trace.txt"));
    copy.Process.setProcessEnvironment(environment);

    const auto [code, out, err] = copy.Run({"--temperature-run", "plan.txt", "--simulate=board"});
    lab.kill();
    lab.waitForFinished(2000);
    ASSERT_EQ(code, 0) << err.toStdString();
    EXPECT_TRUE(out.contains("run complete: 1 rows, 1 steps")) << out.toStdString();

    // Each instrument was written to and answered on its pseudo-terminal, not on a simulated port.
    QFile trace(copy.Folder.filePath("trace.txt"));
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
    const QString lines = trace.readAll();
    for (const char* port : {"COM1", "COM2", "COM3"}) {
        for (const char* way : {"OUT ", "IN  "})
            EXPECT_TRUE(lines.contains(QString(way) + port + " /dev/pts/")) << way << port;
        EXPECT_FALSE(lines.contains(QString(port) + " sim")) << port;
    }

    // The step's row holds the simulated chip's measured noise, not the zeros of a missing capture.
    QFile results(copy.Folder.filePath("QnTEMPA.CSV"));
    ASSERT_TRUE(results.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = results.readAll().split('\n');
    ASSERT_GE(rows.size(), 3);
    const QList<QByteArray> cells = rows[2].split(',');
    ASSERT_GE(cells.size(), 6) << rows[2].toStdString();
    EXPECT_EQ(cells[0].trimmed(), "25.00");
    EXPECT_GT(cells[4].trimmed().toDouble(), 0.0) << "VPP(nV) of " << rows[2].toStdString();
    EXPECT_GT(cells[5].trimmed().toDouble(), 0.0) << "RMS(nV) of " << rows[2].toStdString();
}

} // namespace
} // namespace qn::test
