// What every fuzz target shares: the entry point, which hands each input to the target's Fuzz; a
// trap when a property the target checks is broken; and a sink that keeps results observable so
// that the code computing them is not optimised away. Each target's one source file includes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qn::fuzz {

inline volatile size_t sink = 0;

inline void Require(bool condition) {
    if (!condition) __builtin_trap();
}

inline std::string_view Text(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The target: checks its properties on one input.
void Fuzz(const uint8_t* data, size_t size);

} // namespace qn::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qn::fuzz::Fuzz(data, size);
    return 0;
}
