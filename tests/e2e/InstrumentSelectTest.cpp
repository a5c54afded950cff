// The three instruments selected as the setup dialog does, on the simulated lab in-process and,
// through the real serial lines, on the pseudo-terminals qn-simlab serves, until they vanish.
#include "ScriptedPrompt.h"
#include "instruments/BenchInstruments.h"
#include "platform/QtSerialLine.h"
#include "platform/SystemClock.h"
#include "sim/SimClock.h"
#include "sim/SimWorld.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace qn::test {
namespace {

class PanelLog final : public StatusBar {
  public:
    void SetPanelText(int panel, const std::string& text) override {
        Panels.at(static_cast<size_t>(panel)) = text;
    }
    std::array<std::string, 3> Panels;
};

// The outside world of one run: the simulated lab in this process, or qn-simlab on ptys.
struct Lab {
    virtual ~Lab() = default;
    virtual SerialPortFactory& Ports() = 0;
    virtual Clock& Time() = 0;
};

struct InProcessLab final : Lab {
    explicit InProcessLab(const std::string& fault) {
        world.Supply.Faults.WrongIdentity = fault == "supply-identity";
        world.Chamber.Faults.WrongIdentity = fault == "chamber-identity";
    }
    SerialPortFactory& Ports() override { return world.SerialPorts; }
    Clock& Time() override { return clock; }
    SimClock clock;
    SimWorld world{clock};
};

struct PtyLab final : Lab {
    explicit PtyLab(const std::string& fault) : ports(folder.path().toStdString() + "/") {
        static int argc = 1;
        static char name[] = "instrument_select";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
        QStringList args{"--folder", folder.path()};
        if (!fault.empty()) args << "--fault" << QString::fromStdString(fault);
        server.start(QStringLiteral(QN_SIMLAB), args);
        ready = server.waitForReadyRead(5000) && server.readLine().trimmed() == "ready";
    }
    ~PtyLab() override {
        server.kill();
        server.waitForFinished(2000);
    }
    SerialPortFactory& Ports() override { return ports; }
    Clock& Time() override { return clock; }
    QTemporaryDir folder;
    QProcess server;
    bool ready = false;
    QtSerialPortFactory ports;
    SystemClock clock;
};

std::unique_ptr<Lab> MakeLab(bool pty, const std::string& fault) {
    if (!pty) return std::make_unique<InProcessLab>(fault);
    auto lab = std::make_unique<PtyLab>(fault);
    EXPECT_TRUE(lab->ready) << "qn-simlab did not start";
    return lab;
}

class InstrumentSelect : public ::testing::TestWithParam<bool> {};

TEST_P(InstrumentSelect, EachInstrumentIsIdentifiedOnItsPort) {
    const auto lab = MakeLab(GetParam(), "");
    PanelLog status;
    ScriptedPrompt ask;
    BenchInstruments bench(lab->Ports(), lab->Time(), status, ask);
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
    auto* pty = dynamic_cast<PtyLab*>(lab.get());
    if (pty == nullptr) return;
    pty->server.kill();
    pty->server.waitForFinished(2000);
    DevcRS232& fluke = bench.PortOf(InstrumentKind::Fluke);
    for (int poll = 0; poll < 100 && fluke.Selected == 1; ++poll) {
        bench.Ports.QueryWaiting(fluke);
        lab->Time().SleepMs(10);
    }
    EXPECT_EQ(fluke.Selected, 0);
    EXPECT_EQ(status.Panels[kInstrumentStatusPanel], "Fluke Uart  lost: COM1");
}

TEST_P(InstrumentSelect, AWrongInstrumentIsRefusedAndItsPortClosed) {
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
        const auto lab = MakeLab(GetParam(), c.Fault);
        PanelLog status;
        ScriptedPrompt ask;
        BenchInstruments bench(lab->Ports(), lab->Time(), status, ask);
        bench.Select(c.Kind, c.Index);
        EXPECT_EQ(status.Panels[kInstrumentStatusPanel], c.Shown);
        EXPECT_EQ(ask.Asked, std::vector<std::string>{c.Message});
        EXPECT_EQ(bench.PortOf(c.Kind).Selected, 0);
        EXPECT_FALSE(bench.PortOf(c.Kind).IsOpen());
    }
}

INSTANTIATE_TEST_SUITE_P(Hosts, InstrumentSelect, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "PseudoTerminals" : "InProcess"; });

} // namespace
} // namespace qn::test
