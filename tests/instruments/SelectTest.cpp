// The "Select" buttons of the three instruments: open, set the line, identify, report.
#include "InstrumentFixture.h"

#include <algorithm>

namespace qn::test {
namespace {

// The lab's instruments on COM1..COM3, or a scripted supply on COM5 giving an identity.
TEST_F(InstrumentTest, SelectIdentifiesOrRefuses) {
    using enum InstrumentKind;
    // The instrument, its port's entry, the lab's faults, a scripted supply's answer to "*IDN?"
    // (on COM5, instead of the lab's), the status shown.
    const std::tuple<InstrumentKind, int, SimLabFaults, const char*, std::string> cases[] = {
        {Fluke, 0, {}, nullptr, "Successful Select Fluke In COM1"},
        {Fluke, 0, {.Silent = true}, nullptr, "Successful Select Fluke In COM1"},
        {Power, 1, {}, nullptr, "Successful Select Power Supply In COM2"},
        {Power, 1, {.WrongIdentity = true}, nullptr, "Fail Select Power Supply COM2"},
        {Power, 1, {.Silent = true}, nullptr, "Fail Select Power Supply COM2"},
        {Power, 4, {}, "HEWLETT\n", "Fail Select Power Supply COM5"},
        {Power, 4, {}, "hewlett-packard,E3631A\r\n", "Fail Select Power Supply COM5"},
        {Chamber, 2, {}, nullptr, "Successful Select Chamber In COM3"},
        {Chamber, 2, {.WrongIdentity = true}, nullptr, "Fail Select Chamber COM3"},
    };
    for (const auto& [kind, index, faults, scripted, shown] : cases) {
        SCOPED_TRACE(shown);
        const bool accepted = shown.starts_with("Successful");
        SimLabPeer& lab = kind == Fluke   ? static_cast<SimLabPeer&>(world.Calibrator)
                          : kind == Power ? static_cast<SimLabPeer&>(world.Supply)
                                          : world.Chamber;
        lab.Faults = faults;
        if (scripted != nullptr) {
            ScriptedPeer& peer = peers.emplace_back(clock);
            peer.Replies["*IDN?\r\n"] = {scripted};
            world.SerialPorts.Connect("COM5", peer);
        }
        ask.Asked.clear();
        bench.Select(kind, index);
        const DevcRS232& port = bench.PortOf(kind);
        const std::string portName = "COM" + std::to_string(index + 1);
        const SimPortRecord& record = *world.SerialPorts.Port(portName);
        EXPECT_EQ(status.Last(kInstrumentStatusPanel), shown);
        EXPECT_EQ(std::tuple(port.Selected, port.PortName, record.Busy, ask.Asked.size()),
                  std::tuple(accepted ? 1 : 0, portName, accepted, accepted ? 0u : 1u));
        const LineSettings& set = record.Settings;
        EXPECT_EQ(std::tuple(set.BaudRate, set.DataBits, set.ParityMode, set.StopBits),
                  std::tuple(9600u, 8, Parity::None, kind == Power ? 2 : 1));
        if (!accepted) continue;
        EXPECT_EQ(std::tuple(port.BaudRate, port.DataBits, port.Parity),
                  std::tuple(9600u, uint16_t{8}, uint16_t{0}));
        // Selected again, from any entry: nothing is sent.
        const size_t received = lab.Log().size();
        bench.Select(kind, 5);
        EXPECT_EQ(status.Last(kInstrumentStatusPanel), ports.InstrumentName(port) + " 已經設定");
        EXPECT_EQ(lab.Log().size(), received);
        bench.PortOf(kind).Line->Close();
        bench.PortOf(kind).Selected = 0;
    }
    // Identifying leaves the supply remote, at 0 V and 0 A, its output off.
    EXPECT_EQ(Writes(world.Supply.Log().begin(), world.Supply.Log().begin() + 5),
              (Writes{"SYST:REM", "VOLT 0.0", "CURR 0.0", "OUTP OFF", "*IDN?"}));
    EXPECT_TRUE(world.SerialPorts.Port("COM2")->Dtr);
}

TEST_F(InstrumentTest, MissingPortIsNotFound) {
    const std::tuple<InstrumentKind, int, std::string> rows[] = {
        {InstrumentKind::Fluke, 4, "Fluke Uart  not  found"},
        {InstrumentKind::Power, 6, "Power Supply Uart  not  found"},
        {InstrumentKind::Chamber, 17, "Chamber Uart  not  found"}};
    for (const auto& [kind, index, shown] : rows) {
        bench.Select(kind, index);
        EXPECT_EQ(status.Last(kInstrumentStatusPanel), shown);
        EXPECT_EQ(bench.PortOf(kind).Selected, 0);
    }
}

TEST_F(InstrumentTest, PortLostWhileOpenIsShownOnce) {
    bench.Select(InstrumentKind::Fluke, 0);
    ASSERT_EQ(ports.FlukePort.Selected, 1);
    ports.FlukePort.Line->Close(); // the adapter is gone: its line closed itself
    world.Calibrator.ClearLog();
    bench.Fluke.Standby();
    bench.Fluke.PlayStep("OUT 1 V", false);
    EXPECT_EQ(ports.FlukePort.Selected, 0);
    EXPECT_TRUE(world.Calibrator.Log().empty());
    const std::pair lost(kInstrumentStatusPanel, std::string("Fluke Uart  lost: COM1"));
    EXPECT_EQ(std::ranges::count(status.Texts, lost), 1);
    bench.Select(InstrumentKind::Fluke, 0);
    EXPECT_EQ(status.Last(kInstrumentStatusPanel), "Successful Select Fluke In COM1");
}

} // namespace
} // namespace qn::test
