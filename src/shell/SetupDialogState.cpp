// The serial bridge port step of the setup dialog and the value tables of its baud and parity
// lists.
#include "shell/SetupDialogState.h"

#include "instruments/BenchInstruments.h"

#include <array>

namespace qn {
namespace {

constexpr std::array<uint32_t, 10> kBauds = {300,  600,   1200,  2400,  4800,
                                             9600, 19200, 38400, 57600, 115200};
constexpr uint32_t kFallbackBaud = 9600;
constexpr uint16_t kBridgeDataBits = 8;
constexpr StatusPanel kBridgeStatusPanel = StatusPanel::Bridge;

// The line-parity codes of the device record: 0 none, 1 odd, 2 even.
Parity LineParityOfCode(uint16_t code) {
    switch (code) {
    case 1:
        return Parity::Odd;
    case 2:
        return Parity::Even;
    default:
        return Parity::None;
    }
}

} // namespace

uint32_t BaudOfIndex(int index) {
    if (index < 0 || index >= static_cast<int>(kBauds.size())) return kFallbackBaud;
    return kBauds[static_cast<size_t>(index)];
}

uint16_t ParityCodeOfIndex(int index) {
    switch (index) {
    case 1:
        return 2;
    case 2:
        return 1;
    default:
        return 0;
    }
}

std::string ParityTextOfIndex(int index) {
    switch (index) {
    case 1:
        return "EVEN";
    case 2:
        return "ODD";
    default:
        return "None";
    }
}

void SerialBridgePort::TXCOMChange(Bench& bench, int comIndex, int baudIndex, int parityIndex) {
    STND& stnd = bench.Stnd;
    DevcRS232& serial = stnd.Serial;
    const std::string previousPort = serial.PortName;
    const std::string portName = ComPortName(comIndex);
    stnd.ComIndex = comIndex;
    serial.PortName = portName;
    serial.Parity = ParityCodeOfIndex(parityIndex);
    serial.BaudRate = BaudOfIndex(baudIndex);
    serial.DataBits = kBridgeDataBits;

    // The record holds one line, and the bridge exchanges run over it: the new settings must
    // reach the port the bridge uses, so a line open on another port is moved to the chosen one.
    // A line already open on the chosen port only gets its settings rewritten.
    if (!serial.IsOpen() || previousPort != portName) {
        if (serial.IsOpen()) serial.Line->Close();
        if (portName.empty() || !serial.Line || !serial.Line->Open(portName)) {
            serial.Selected = 0;
            bench.Status().SetPanelText(kBridgeStatusPanel, "Uart  not  found");
            return;
        }
        if (comIndex < 32) OpenedPorts |= 1U << comIndex;
        serial.Selected = 1;
    }

    LineSettings settings;
    settings.BaudRate = serial.BaudRate;
    settings.DataBits = static_cast<uint8_t>(serial.DataBits);
    settings.ParityMode = LineParityOfCode(serial.Parity);
    settings.StopBits = 1;
    serial.Line->Configure(settings);
    bench.Status().SetPanelText(
        kBridgeStatusPanel, "RS232 " + portName + " , Baud = " + std::to_string(settings.BaudRate) +
                                ", Pariyt = " + ParityTextOfIndex(parityIndex));
}

} // namespace qn
