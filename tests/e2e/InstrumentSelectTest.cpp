// The three instruments selected as the setup dialog does, through the real serial lines, on the
// pseudo-terminals qn-simlab serves, until they vanish.
#include "ScriptedPrompt.h"
#include "TestDoubles.h"
#include "instruments/BenchInstruments.h"
#include "platform/QtSerialLine.h"
#include "platform/SystemClock.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace qn::test {
namespace {

// qn-simlab serving the lab on pseudo-terminals in a folder of its own.
struct PtyLab {
    PtyLab() : ports(folder.path().toStdString() + "/", trace) {
        static int argc = 1;
        static char name[] = "instrument_select";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
        server.start(QStringLiteral(QN_SIMLAB), {"--folder", folder.path()});
        EXPECT_TRUE(server.waitForReadyRead(5000) && server.readLine().trimmed() == "ready")
            << "qn-simlab did not start";
    }
    ~PtyLab() {
        server.kill();
        server.waitForFinished(2000);
    }
    PtyLab(const PtyLab&) = delete;
    PtyLab& operator=(const PtyLab&) = delete;
    QTemporaryDir folder;
    QProcess server;
    BusTrace trace;
    QtSerialPortFactory ports;
    SystemClock clock;
};

TEST(InstrumentSelect, EachInstrumentIsIdentifiedOnItsPortUntilThePortsVanish) {
    PtyLab lab;
    RecordingStatus status;
    ScriptedPrompt ask;
    BenchInstruments bench(lab.ports, lab.clock, status, ask);
    const struct {
        InstrumentKind Kind;
        int Index;
        std::string Shown;
    } steps[] = {
        {InstrumentKind::Fluke, 8, "Fluke Uart  not  found"}, // nothing on COM9
        {InstrumentKind::Fluke, 0, "Successful Select Fluke In COM1"},
        {InstrumentKind::Power, 1, "Successful Select Power Supply In COM2"},
        {InstrumentKind::Chamber, 2, "Successful Select Chamber In COM3"},
        {InstrumentKind::Fluke, 0, "Fluke 已經設定"},
        {InstrumentKind::Chamber, 4, "Chamber 已經設定"},
    };
    for (const auto& step : steps) {
        bench.Select(step.Kind, step.Index);
        EXPECT_EQ(status.Last(kInstrumentStatusPanel), step.Shown);
    }
    for (auto kind : {InstrumentKind::Fluke, InstrumentKind::Power, InstrumentKind::Chamber}) {
        EXPECT_EQ(bench.PortOf(kind).Selected, 1);
        EXPECT_TRUE(bench.PortOf(kind).IsOpen());
    }
    EXPECT_EQ(bench.Power.Identity.rfind("HEWLETT-PACKARD,", 0), 0u) << bench.Power.Identity;
    EXPECT_TRUE(ask.Asked.empty());

    // The adapters vanish: the serial line closes itself and the instrument is lost.
    lab.server.kill();
    lab.server.waitForFinished(2000);
    DevcRS232& fluke = bench.PortOf(InstrumentKind::Fluke);
    for (int poll = 0; poll < 100 && fluke.Selected == 1; ++poll) {
        bench.Ports.QueryWaiting(fluke);
        lab.clock.SleepMs(10);
    }
    EXPECT_EQ(fluke.Selected, 0);
    EXPECT_EQ(status.Last(kInstrumentStatusPanel), "Fluke Uart  lost: COM1");
}

} // namespace
} // namespace qn::test
