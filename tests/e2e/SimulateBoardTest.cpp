// "--temperature-run --simulate=board": the simulated bridge and chip with the instruments on the
// real serial ports, here qn-simlab's pseudo-terminals named by the QnPorts.cfg it writes.
#include "ProgramCopy.h"

namespace qn::test {
namespace {

// The short plan without its capture delay; the instruments' own settling waits make it some ten
// seconds of real time.
TEST(SimulateBoard, TemperatureRunSelectsTheInstrumentsOnRealPortsAndMeasures) {
    ProgramCopy copy(false, QByteArray(kShortPlan).replace("1,01,1,", "1,01,0,"));
    QProcess lab;
    lab.start(QStringLiteral(QN_SIMLAB), {"--folder", copy.Folder.path()});
    ASSERT_TRUE(lab.waitForReadyRead(5000) && lab.readLine().trimmed() == "ready");
    copy.TraceBus();
    const auto [code, out, err] = copy.Run(copy.Plan({"--simulate=board"}));
    lab.kill();
    lab.waitForFinished(2000);
    ASSERT_EQ(code, 0) << err.toStdString();
    EXPECT_TRUE(out.contains("run complete: 1 rows, 1 steps")) << out.toStdString();

    // Each instrument was written to and answered on its pseudo-terminal, not on a simulated port.
    const QString trace = copy.Read("trace.txt");
    for (const char* port : {"COM1", "COM2", "COM3"}) {
        for (const char* way : {"OUT ", "IN  "})
            EXPECT_TRUE(trace.contains(QString(way) + port + " /dev/pts/")) << way << port;
        EXPECT_FALSE(trace.contains(QString(port) + " sim")) << port;
    }

    // The step's row holds the simulated chip's measured noise, not the zeros of a missing capture.
    const QList<QByteArray> cells = copy.Read("QnTEMPA.CSV").split('\n').value(2).split(',');
    ASSERT_GE(cells.size(), 6);
    EXPECT_GT(cells[4].trimmed().toDouble(), 0.0) << "VPP(nV)";
    EXPECT_GT(cells[5].trimmed().toDouble(), 0.0) << "RMS(nV)";
}

} // namespace
} // namespace qn::test
