// The "Select" buttons of the three instruments: open, set the line, identify, report.
#include "InstrumentFixture.h"

#include <ostream>

#include "instruments/Chamber.h"

namespace qn::test {
namespace {

const std::string kIdentity = "HEWLETT-PACKARD,E3631A,0,2.1-5.0-1.0\r\n";
const std::string kChamberProbe = std::string(1, '\x02') + "01RSD,01,0010\r\n";

struct SelectCase {
    const char* Name;
    InstrumentKind Kind;
    std::string Question; // what the device is asked to identify itself
    std::string Answer;
    bool Accepted;
    std::string Shown;
    uint8_t StopBits;
};

void PrintTo(const SelectCase& c, std::ostream* os) {
    *os << c.Name;
}

class SelectTest : public InstrumentTest, public ::testing::WithParamInterface<SelectCase> {};

TEST_P(SelectTest, IdentifiesOrRefuses) {
    const SelectCase& c = GetParam();
    ScriptedDevice& device = lines.Add("COM3");
    device.Replies[c.Question] = {c.Answer};
    bench.Select(c.Kind, 2);
    const DevcRS232& port = bench.PortOf(c.Kind);
    const std::string name = ports.InstrumentName(port);
    EXPECT_EQ(status.Last(kInstrumentStatusPanel), c.Shown);
    EXPECT_EQ(port.Selected, c.Accepted ? 1 : 0);
    EXPECT_EQ(port.PortName, "COM3");
    EXPECT_EQ(device.Opened, c.Accepted);
    ASSERT_TRUE(device.Settings.has_value());
    EXPECT_EQ(device.Settings->BaudRate, 9600u);
    EXPECT_EQ(device.Settings->DataBits, 8);
    EXPECT_EQ(device.Settings->ParityMode, Parity::None);
    EXPECT_EQ(device.Settings->StopBits, c.StopBits);
    if (!c.Accepted) {
        EXPECT_EQ(ask.Asked.size(), 1u);
        return;
    }
    EXPECT_TRUE(ask.Asked.empty());
    EXPECT_EQ(port.BaudRate, 9600u);
    EXPECT_EQ(port.DataBits, 8);
    EXPECT_EQ(port.Parity, 0);

    const size_t written = device.Writes.size();
    bench.Select(c.Kind, 5);
    EXPECT_EQ(status.Last(kInstrumentStatusPanel), name + " 已經設定");
    EXPECT_EQ(device.Writes.size(), written);
}

INSTANTIATE_TEST_SUITE_P(
    Instruments, SelectTest,
    ::testing::Values(SelectCase{"Fluke", InstrumentKind::Fluke, "*OPT", "", true,
                                 "Successful Select Fluke In COM3", 1},
                      SelectCase{"Supply", InstrumentKind::Power, "*IDN?\r\n", kIdentity, true,
                                 "Successful Select Power Supply In COM3", 2},
                      SelectCase{"SupplyEightCharacters", InstrumentKind::Power, "*IDN?\r\n",
                                 "HEWLETT\n", false, "Fail Select Power Supply COM3", 2},
                      SelectCase{"SupplyLowerCase", InstrumentKind::Power, "*IDN?\r\n",
                                 "hewlett-packard,E3631A\r\n", false,
                                 "Fail Select Power Supply COM3", 2},
                      SelectCase{"SupplySilent", InstrumentKind::Power, "*IDN?\r\n", "", false,
                                 "Fail Select Power Supply COM3", 2},
                      SelectCase{"Chamber", InstrumentKind::Chamber, kChamberProbe,
                                 std::string(1, '\x02') + "01RSD,OK,0000\r\n", true,
                                 "Successful Select Chamber In COM3", 1},
                      SelectCase{"ChamberError", InstrumentKind::Chamber, kChamberProbe,
                                 std::string(1, '\x02') + "01RSD,ER,0000\r\n", false,
                                 "Fail Select Chamber COM3", 1}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST_F(InstrumentTest, SupplyIdentificationSequence) {
    ScriptedDevice& device = lines.Add("COM2");
    device.Replies["*IDN?\r\n"] = {kIdentity};
    device.AnswerAfter(0, "noise");
    bench.Select(InstrumentKind::Power, 1);
    EXPECT_EQ(device.Events, (Writes{"dtr off", "discard", "dtr on"}));
    EXPECT_EQ(device.Writes, (Writes{"SYST:REM\r\n", "VOLT 0.0\r\n", "CURR 0.0\r\n", "OUTP OFF\r\n",
                                     "*IDN?\r\n"}));
    EXPECT_EQ(bench.Power.Identity, kIdentity);
}

TEST_F(InstrumentTest, MissingPortIsNotFound) {
    lines.Add("COM1").Present = false;
    const struct {
        InstrumentKind Kind;
        int Index;
        std::string Shown;
    } rows[] = {{InstrumentKind::Fluke, 0, "Fluke Uart  not  found"},
                {InstrumentKind::Power, 6, "Power Supply Uart  not  found"},
                {InstrumentKind::Chamber, 17, "Chamber Uart  not  found"}};
    for (const auto& row : rows) {
        bench.Select(row.Kind, row.Index);
        EXPECT_EQ(status.Last(kInstrumentStatusPanel), row.Shown);
        EXPECT_EQ(bench.PortOf(row.Kind).Selected, 0);
    }
}

TEST_F(InstrumentTest, PortLostWhileOpenIsShownOnce) {
    ScriptedDevice& device = lines.Add("COM1");
    bench.Select(InstrumentKind::Fluke, 0);
    ASSERT_EQ(ports.FlukePort.Selected, 1);
    device.Present = false;
    device.Writes.clear();
    bench.Fluke.Standby();
    bench.Fluke.PlayStep("OUT 1 V", false);
    EXPECT_EQ(ports.FlukePort.Selected, 0);
    EXPECT_TRUE(device.Writes.empty());
    size_t shown = 0;
    for (const auto& [panel, text] : status.Texts)
        if (panel == kInstrumentStatusPanel && text == "Fluke Uart  lost: COM1") ++shown;
    EXPECT_EQ(shown, 1u);
    // The user can select it again once the device is back.
    device.Present = true;
    bench.Select(InstrumentKind::Fluke, 0);
    EXPECT_EQ(status.Last(kInstrumentStatusPanel), "Successful Select Fluke In COM1");
}

} // namespace
} // namespace qn::test
