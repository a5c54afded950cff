// The setup dialog's decisions: the serial bridge port step with its opened-ports mask, and the
// value tables of its baud and parity lists.
#pragma once

#include "shell/Bench.h"

#include <cstdint>
#include <string>

namespace qn {

// Baud of a baud-list index 0..9; 9600 for an index outside the list.
uint32_t BaudOfIndex(int index);
// Line-parity code of a parity-list index: None 0, Even 2, Odd 1; 0 for any other index.
uint16_t ParityCodeOfIndex(int index);
// "None", "EVEN", "ODD"; "None" for any other index.
std::string ParityTextOfIndex(int index);

class SerialBridgePort {
  public:
    // The serial bridge port step for the port at `comIndex` with the baud and parity list
    // positions: records them in the device record, opens the port unless it is already open,
    // applies the line settings and reports them in status panel 0.
    void TXCOMChange(Bench& bench, int comIndex, int baudIndex, int parityIndex);

    // Bit i: the port of list index i has been opened for the bridge link.
    uint32_t OpenedPorts = 0;
};

} // namespace qn
