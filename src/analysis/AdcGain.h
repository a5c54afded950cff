// Gain of the ADC front end, from the register image.
#pragma once

#include "chip/ChipModel.h"

namespace qn {

// PgaGainTable[PGA] × AdcGainTable[ADGN] × (2 when FSRB is 1); a field value beyond its table
// contributes 1.
double GetGain(const ChipModel& chip, const RegImageBytes& image);

} // namespace qn
