// The registers that differ between two register images, named by the chip model's register
// lists and fields.
#pragma once

#include "chip/ChipModel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qn {

// A field of a changed register: an "#ADC0S", "#OP0S" or "#CMP0S" field, else a named bit.
struct FieldChange {
    std::string Name;
    uint32_t Old = 0;
    uint32_t New = 0;
    bool operator==(const FieldChange&) const = default;
};

// A bit, byte or word register whose shown value (masked by its implemented bits) differs.
struct RegisterChange {
    std::string Name;
    int Address = 0; // the high byte's address for a word register
    bool Word = false;
    uint32_t Old = 0;
    uint32_t New = 0;
    std::vector<FieldChange> Fields;
};

// The changed registers in the order of the bit, byte and word lists.
std::vector<RegisterChange> DiffRegisters(const ChipModel& model, const RegImageBytes& before,
                                          const RegImageBytes& after);

// One line a register: "ADCCN3 [003] 54 → B4: PGA 2 → 5, TS 0 → 1"; "No register differs" when
// nothing changed.
std::string DiffText(const std::vector<RegisterChange>& changes);

} // namespace qn
