// The "Select" step of the three instruments: open the chosen port, set its line, identify.
#include "instruments/BenchInstruments.h"

namespace qn {
namespace {

constexpr int kComPortCount = 17;
constexpr uint32_t kInstrumentBaud = 9600;

// Line settings applied before the identification exchange.
LineSettings SettingsOf(InstrumentKind kind) {
    LineSettings settings;
    settings.BaudRate = kInstrumentBaud;
    settings.DataBits = 8;
    settings.ParityMode = Parity::None;
    settings.StopBits = kind == InstrumentKind::Power ? 2 : 1;
    return settings;
}

} // namespace

std::string ComPortName(int index) {
    if (index < 0 || index >= kComPortCount) return {};
    return "COM" + std::to_string(index + 1);
}

BenchInstruments::BenchInstruments(SerialPortFactory& serialPorts, Clock& clock, StatusBar& status,
                                   Prompt& ask)
    : Ports(clock, status), Fluke(Ports), Power(Ports), Climate(Ports), serialPorts_(serialPorts),
      status_(status), ask_(ask) {}

DevcRS232& BenchInstruments::PortOf(InstrumentKind kind) {
    switch (kind) {
    case InstrumentKind::Power:
        return Ports.PowerPort;
    case InstrumentKind::Chamber:
        return Ports.ChamberPort;
    case InstrumentKind::Fluke:
        break;
    }
    return Ports.FlukePort;
}

bool BenchInstruments::OpenPort(DevcRS232& port, const std::string& name) {
    if (name.empty()) return false;
    if (!port.Line) port.Line = serialPorts_.MakeLine();
    return port.Line->Open(name);
}

bool BenchInstruments::Identify(InstrumentKind kind) {
    switch (kind) {
    case InstrumentKind::Power:
        return Power.Identify();
    case InstrumentKind::Chamber:
        return Climate.Identify();
    case InstrumentKind::Fluke:
        break;
    }
    return Fluke.Identify();
}

void BenchInstruments::Select(InstrumentKind kind, int comIndex) {
    DevcRS232& port = PortOf(kind);
    const std::string instrument = Ports.InstrumentName(port);
    if (port.Selected != 0) {
        status_.SetPanelText(kInstrumentStatusPanel, instrument + " 已經設定");
        return;
    }
    port.PortName = ComPortName(comIndex);
    if (!OpenPort(port, port.PortName)) {
        port.Selected = 0;
        status_.SetPanelText(kInstrumentStatusPanel, instrument + " Uart  not  found");
        return;
    }
    port.Line->Configure(SettingsOf(kind));
    if (Identify(kind)) {
        port.Selected = 1;
        port.BaudRate = kInstrumentBaud;
        port.DataBits = 8;
        port.Parity = 0;
        status_.SetPanelText(kInstrumentStatusPanel,
                             "Successful Select " + instrument + " In " + port.PortName);
        return;
    }
    status_.SetPanelText(kInstrumentStatusPanel, "Fail Select " + instrument + " " + port.PortName);
    ask_.Tell(kind == InstrumentKind::Power ? "此通道連接的不是Power Supply!!"
                                            : "此通道連接的不是溫控廂!!");
    port.Selected = 0;
    // The line settings in effect before the selection are not written back: the line is closed
    // right away and every later selection sets them again.
    port.Line->Close();
}

std::optional<InstrumentKind> BenchInstruments::SelectAll(int flukeCom, int powerCom,
                                                          int chamberCom) {
    const std::pair<InstrumentKind, int> order[] = {{InstrumentKind::Fluke, flukeCom},
                                                    {InstrumentKind::Power, powerCom},
                                                    {InstrumentKind::Chamber, chamberCom}};
    for (const auto& [kind, com] : order) {
        Select(kind, com);
        if (PortOf(kind).Selected == 0) return kind;
    }
    return std::nullopt;
}

void BenchInstruments::CloseAll() {
    for (DevcRS232* port : {&Ports.FlukePort, &Ports.PowerPort, &Ports.ChamberPort}) {
        if (port->Line) port->Line->Close();
        port->Selected = 0;
    }
}

} // namespace qn
