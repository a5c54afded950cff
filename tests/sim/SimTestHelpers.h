// Helpers of the simulated bench's tests: exchanges with a bridge, streams, the shipped chip files.
#pragma once

#include "chip/ChipCatalogue.h"
#include "sim/SimBridge.h"
#include "sim/SimClock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qn::test {

using Bytes = std::vector<uint8_t>;
using FieldValues = std::vector<std::pair<std::string, uint32_t>>;

inline constexpr uint16_t kQn7401 = 0;    // QN740x link, ADC fields in registers 0..4
inline constexpr uint16_t kChip52K12 = 3; // "Special" link, ADC fields in registers 30H..3FH
inline const Bytes kStart = {0xC4, 0x02, 0x01, 0x00, 0x00};

// Sends one request and reads a whole answer back; empty when no answer came.
inline Bytes Exchange(SimBridge& bridge, const Bytes& request) {
    Bytes answer(64);
    if (!bridge.Receive(request.data(), request.size())) return {};
    if (!bridge.Answer(answer.data(), answer.size())) return {};
    return answer;
}

// A 24-bit two's complement code, most significant byte first.
inline int32_t Code24(const uint8_t* at) {
    const int32_t raw = (at[0] << 16) | (at[1] << 8) | at[2];
    return raw >= 0x800000 ? raw - 0x1000000 : raw;
}

inline ChipModel SelectShipped(uint16_t index) {
    ChipModel model;
    bool flag3 = true;
    EXPECT_TRUE(ChipCatalogue(QN_INCLUDE_DIR).SelectChip(model, index, flag3).Read) << index;
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

// A bridge on a bench clock, fetched from as the ADC stream is.
class SimStreamTest : public ::testing::Test {
  protected:
    // Advances the bench clock by `ms`, then fetches; returns the count byte.
    int FetchAfter(double ms) {
        clock.AdvanceMs(ms);
        last = Exchange(*bridge, {0xC4, 0x04});
        return last.empty() ? -1 : last[0];
    }
    // Sample `i` of the last fetch.
    int32_t Sample(size_t i) const { return Code24(last.data() + 1 + 3 * i); }

    SimClock clock;
    std::unique_ptr<SimBridge> bridge = std::make_unique<SimBridge>(clock);
    Bytes last;
};

} // namespace qn::test
