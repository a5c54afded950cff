// The bench's three instruments with their ports and step tables, and the setup dialog's
// "Select" step that opens an instrument's port and identifies it.
#pragma once

#include "host/Clock.h"
#include "host/Prompt.h"
#include "host/SerialLine.h"
#include "host/StatusBar.h"
#include "instruments/Calibrator.h"
#include "instruments/Chamber.h"
#include "instruments/InstrumentPorts.h"
#include "instruments/PowerSupply.h"
#include "instruments/StepTable.h"

#include <optional>
#include <string>

namespace qn {

enum class InstrumentKind { Fluke, Power, Chamber };

// "COM1" … "COM17" for list indexes 0..16; empty for any other index.
std::string ComPortName(int index);

class BenchInstruments {
  public:
    BenchInstruments(SerialPortFactory& serialPorts, Clock& clock, StatusBar& status, Prompt& ask);
    BenchInstruments(const BenchInstruments&) = delete;
    BenchInstruments& operator=(const BenchInstruments&) = delete;

    // The "Select" button of an instrument, for the port at `comIndex` of its list: already
    // selected, port missing, identified or refused, each with its status text (panel 1) and,
    // for a refused supply or chamber, its message box.
    void Select(InstrumentKind kind, int comIndex);
    // Selects the calibrator, the supply and the chamber on their ports, in that order, as a run
    // does before it starts; the first that could not be selected, or none.
    std::optional<InstrumentKind> SelectAll(int flukeCom, int powerCom, int chamberCom);
    DevcRS232& PortOf(InstrumentKind kind);
    // Closes the three ports (program end).
    void CloseAll();

    InstrumentPorts Ports;
    Calibrator Fluke;
    PowerSupply Power;
    Chamber Climate;
    StepTable FlukeSteps;
    StepTable PowerSteps;

  private:
    bool OpenPort(DevcRS232& port, const std::string& name);
    bool Identify(InstrumentKind kind);

    SerialPortFactory& serialPorts_;
    StatusBar& status_;
    Prompt& ask_;
};

} // namespace qn
