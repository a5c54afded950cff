// The selected chip's description: names, areas, banks, register lists, fields and gain tables.
#include "chip/ChipModel.h"

namespace qn {

const std::string& NameGrid::Cell(size_t row, size_t column) const {
    static const std::string kBlank;
    if (row >= Rows.size() || column >= kColumns) return kBlank;
    return Rows[row][column];
}

uint8_t ChipModel::Mask(int address) const {
    return InRegImage(address) ? ImplementedMask[static_cast<size_t>(address)] : uint8_t{0};
}

bool ChipModel::InRegisterArea(int address) const {
    for (const AddressRange& area : RegArea)
        if (area.Present() && area.Contains(address)) return true;
    return false;
}

} // namespace qn
