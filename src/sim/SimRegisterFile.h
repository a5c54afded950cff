// The simulated chip's register file, shared by the USB bridge and the serial bridge peer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qn {

inline constexpr size_t kSimRegisterCount = 1024;
using SimRegisterFile = std::array<uint8_t, kSimRegisterCount>;

// Register byte at `address`; addresses past the file read as 0.
inline uint8_t RegisterAt(const SimRegisterFile& file, size_t address) {
    return address < file.size() ? file[address] : uint8_t{0};
}

// Stores `value` at `address`; writes past the file are dropped.
inline void StoreRegister(SimRegisterFile& file, size_t address, uint8_t value) {
    if (address < file.size()) file[address] = value;
}

} // namespace qn
