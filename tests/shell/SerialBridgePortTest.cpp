// The setup dialog's serial bridge port step on the simulated COM16: the device record, the line
// settings and status panel 0 follow the lists, and the port is opened again only after another.
#include "shell/SetupDialogState.h"

#include "host/SerialLine.h"
#include "link/SimLinkFixture.h"

namespace qn::test {
namespace {

using SerialBridgePortTest = SimLinkFixture;

TEST_F(SerialBridgePortTest, RecordLineAndStatusFollowTheLists) {
    serialPorts.Connect("COM16", serialPeer);
    SerialBridgePort port;
    const struct {
        int Com, Baud, ParityItem; // list positions
        const char* Status;
        uint16_t Selected;
        uint16_t ParityCode; // of the device record: 0 none, 1 odd, 2 even
        int Opens;           // since the start
        uint32_t LineBaud;
        Parity LineParity;
    } steps[] = {
        {15, 5, 0, "RS232 COM16 , Baud = 9600, Pariyt = None", 1, 0, 1, 9600, Parity::None},
        {15, 5, 2, "RS232 COM16 , Baud = 9600, Pariyt = ODD", 1, 1, 1, 9600, Parity::Odd},
        {15, 9, 2, "RS232 COM16 , Baud = 115200, Pariyt = ODD", 1, 1, 1, 115200, Parity::Odd},
        {15, 9, 1, "RS232 COM16 , Baud = 115200, Pariyt = EVEN", 1, 2, 1, 115200, Parity::Even},
        {8, 9, 1, "Uart  not  found", 0, 2, 1, 115200, Parity::Even},
        {15, 9, 1, "RS232 COM16 , Baud = 115200, Pariyt = EVEN", 1, 2, 2, 115200, Parity::Even},
        {15, 10, 3, "RS232 COM16 , Baud = 9600, Pariyt = None", 1, 0, 2, 9600, Parity::None},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.Status);
        port.TXCOMChange(bench, s.Com, s.Baud, s.ParityItem);
        EXPECT_EQ(status.Last(StatusPanel::Bridge), s.Status);
        EXPECT_EQ(bench.Stnd.ComIndex, s.Com);
        EXPECT_EQ(bench.Stnd.Serial.Selected, s.Selected);
        EXPECT_EQ(bench.Stnd.Serial.Parity, s.ParityCode);
        const SimPortRecord& com16 = *serialPorts.Port("COM16");
        EXPECT_EQ(com16.OpenCount, s.Opens);
        EXPECT_EQ(com16.Busy, s.Selected == 1);
        EXPECT_EQ(com16.Settings.BaudRate, s.LineBaud);
        EXPECT_EQ(com16.Settings.DataBits, 8);
        EXPECT_EQ(com16.Settings.ParityMode, s.LineParity);
    }
    EXPECT_EQ(port.OpenedPorts, 1U << 15);
}

} // namespace
} // namespace qn::test
