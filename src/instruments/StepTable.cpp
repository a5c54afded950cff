// Step switches of the calibrator's and the power supply's step tables.
#include "instruments/StepTable.h"

#include "files/NumberText.h"

namespace qn {

bool StepCellOn(const std::string& cell) {
    return ParseHex(cell) != 0;
}

bool StepTable::StepOn(size_t r) const {
    return r >= 1 && r < rows_.size() && StepCellOn(rows_[r].Step);
}

} // namespace qn
