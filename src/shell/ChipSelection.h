// Chip selection on the bench, and the setup dialog's channel step run after a USB connection.
#pragma once

#include "shell/Bench.h"

#include <cstdint>

namespace qn {

// Selects chip list entry `index`: rebuilds the chip model from its description file and takes
// the optocoupler state selection sets. False when the list or description file is missing.
bool SelectBenchChip(Bench& bench, uint16_t index);

// The interface stays "QN740x", then the chip of the device record is selected again (a
// "52K12" selection moves the link to "Special" from here on).
bool ChennalComChange(Bench& bench);

} // namespace qn
