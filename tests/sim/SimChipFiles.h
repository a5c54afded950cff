// The shipped chip files for the simulated chip's tests: selecting a chip and setting its fields.
#pragma once

#include "chip/ChipCatalogue.h"
#include "chip/ChipModel.h"
#include "sim/SimRegisterFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace qn::test {

inline const std::filesystem::path kShippedInclude = QN_INCLUDE_DIR;
inline constexpr uint16_t kQn7401 = 0;    // QN740x link, ADC fields in registers 0..4
inline constexpr uint16_t kChip52K12 = 3; // "Special" link, ADC fields in registers 30H..3FH

using FieldValues = std::vector<std::pair<std::string, uint32_t>>;

inline ChipModel SelectShipped(uint16_t index) {
    ChipModel model;
    STND stnd;
    bool flag3 = true;
    EXPECT_TRUE(ChipCatalogue(kShippedInclude).SelectChip(model, index, stnd, flag3)) << index;
    return model;
}

// Sets fields the way the ADC panel does: read-modify-write of the field's register byte.
inline void SetFields(const ChipModel& model, SimRegisterFile& registers,
                      const FieldValues& values) {
    for (const auto& [name, value] : values) {
        const RegFieldDesc& field = model.AdcFields[name];
        ASSERT_TRUE(field.Defined) << name;
        registers[field.Address] = field.Merge(registers[field.Address], value);
    }
}

} // namespace qn::test
