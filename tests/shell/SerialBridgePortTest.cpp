// The setup dialog's serial bridge port step on the simulated COM16: the device record, the line
// settings and status panel 0 follow the lists, and the port is opened again only after another.
#include "shell/SetupDialogState.h"

#include "host/SerialLine.h"
#include "link/SimLinkFixture.h"

#include <tuple>

namespace qn::test {
namespace {

using SerialBridgePortTest = SimLinkFixture;

TEST_F(SerialBridgePortTest, RecordLineAndStatusFollowTheLists) {
    serialPorts.Connect("COM16", serialPeer);
    SerialBridgePort port;
    // The COM, baud and parity list positions; the status; the record's selection and parity
    // code (0 none, 1 odd, 2 even); the opens of COM16 since the start; its line's baud and parity.
    const std::tuple<int, int, int, const char*, uint16_t, uint16_t, int, uint32_t, Parity>
        steps[] = {
            {15, 5, 0, "RS232 COM16 , Baud = 9600, Pariyt = None", 1, 0, 1, 9600, Parity::None},
            {15, 5, 2, "RS232 COM16 , Baud = 9600, Pariyt = ODD", 1, 1, 1, 9600, Parity::Odd},
            {15, 9, 2, "RS232 COM16 , Baud = 115200, Pariyt = ODD", 1, 1, 1, 115200, Parity::Odd},
            {15, 9, 1, "RS232 COM16 , Baud = 115200, Pariyt = EVEN", 1, 2, 1, 115200, Parity::Even},
            {8, 9, 1, "Uart  not  found", 0, 2, 1, 115200, Parity::Even},
            {15, 9, 1, "RS232 COM16 , Baud = 115200, Pariyt = EVEN", 1, 2, 2, 115200, Parity::Even},
            {15, 10, 3, "RS232 COM16 , Baud = 9600, Pariyt = None", 1, 0, 2, 9600, Parity::None},
        };
    for (const auto& [com, baud, parityItem, says, selected, parityCode, opens, lineBaud,
                      lineParity] : steps) {
        SCOPED_TRACE(says);
        port.TXCOMChange(bench, com, baud, parityItem);
        EXPECT_EQ(status.Last(StatusPanel::Bridge), says);
        EXPECT_EQ(
            std::tuple(bench.Stnd.ComIndex, bench.Stnd.Serial.Selected, bench.Stnd.Serial.Parity),
            std::tuple(com, selected, parityCode));
        const SimPortRecord& com16 = *serialPorts.Port("COM16");
        EXPECT_EQ(std::tuple(com16.OpenCount, com16.Busy, com16.Settings.BaudRate,
                             com16.Settings.DataBits, com16.Settings.ParityMode),
                  std::tuple(opens, selected == 1, lineBaud, 8, lineParity));
    }
    EXPECT_EQ(port.OpenedPorts, 1U << 15);
}

} // namespace
} // namespace qn::test
