// The register image: one byte per chip address 0..1023, kept by the device record and read by
// the chip model and the panels.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qn {

inline constexpr size_t kRegImageSize = 1024;

using RegImageBytes = std::array<uint8_t, kRegImageSize>;

// True for an address of the register image (0..1023).
constexpr bool InRegImage(int64_t address) {
    return address >= 0 && address < static_cast<int64_t>(kRegImageSize);
}

} // namespace qn
