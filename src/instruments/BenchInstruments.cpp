// placeholder until implemented
#include "instruments/BenchInstruments.h"

namespace qn {
BenchInstruments::BenchInstruments(SerialPortFactory& serialPorts, Clock& clock, StatusBar& status,
                                   Prompt& ask)
    : Ports(clock, status), Fluke(Ports), Power(Ports), Climate(Ports), serialPorts_(serialPorts),
      status_(status), ask_(ask) {}
void BenchInstruments::CloseAll() {}
} // namespace qn
