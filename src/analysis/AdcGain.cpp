#include "analysis/AdcGain.h"

#include "chip/RegField.h"

namespace qn {

namespace {

template <typename Table> double TableGain(const Table& table, uint32_t index) {
    return index < table.size() ? table[index] : 1.0;
}

} // namespace

double GetGain(const ChipModel& chip, const RegImageBytes& image) {
    const double pga = TableGain(chip.PgaGainTable, ReadField(chip.AdcFields["PGA"], image));
    const double adc = TableGain(chip.AdcGainTable, ReadField(chip.AdcFields["ADGN"], image));
    const double range = ReadField(chip.AdcFields["FSRB"], image) == 1 ? 2.0 : 1.0;
    return pga * adc * range;
}

} // namespace qn
