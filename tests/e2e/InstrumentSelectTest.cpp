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

#include <array>
#include <string>

namespace qn::test {
namespace {

// qn-simlab serving the lab on pseudo-terminals in a folder of its own.
struct PtyLab {
    explicit PtyLab(const std::string& fault = "") : ports(folder.path().toStdString() + "/") {
        static int argc = 1;
        static char name[] = "instrument_select";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
        QStringList args{"--folder", folder.path()};
        if (!fault.empty()) args << "--fault" << QString::fromStdString(fault);
        server.start(QStringLiteral(QN_SIMLAB), args);
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
        EXPECT_EQ(status.Panels[kInstrumentStatusPanel], step.Shown);
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
    EXPECT_EQ(status.Panels[kInstrumentStatusPanel], "Fluke Uart  lost: COM1");
}

TEST(InstrumentSelect, AWrongInstrumentIsRefusedAndItsPortClosed) {
    const struct {
        std::string Fault;
        InstrumentKind Kind;
        int Index;
        std::string Shown, Message;
    } cases[] = {
        {"supply-identity", InstrumentKind::Power, 1, "Fail Select Power Supply COM2",
         "此通道連接的不是Power Supply!!"},
        {"chamber-identity", InstrumentKind::Chamber, 2, "Fail Select Chamber COM3",
         "此通道連接的不是溫控廂!!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Fault);
        PtyLab lab(c.Fault);
        RecordingStatus status;
        ScriptedPrompt ask;
        BenchInstruments bench(lab.ports, lab.clock, status, ask);
        bench.Select(c.Kind, c.Index);
        EXPECT_EQ(status.Panels[kInstrumentStatusPanel], c.Shown);
        EXPECT_EQ(ask.Asked, std::vector<std::string>{c.Message});
        EXPECT_EQ(bench.PortOf(c.Kind).Selected, 0);
        EXPECT_FALSE(bench.PortOf(c.Kind).IsOpen());
    }
}

} // namespace
} // namespace qn::test
