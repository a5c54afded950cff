// What every fuzz target shares: a trap when a property the target checks is broken, and a sink
// that keeps results observable so that the code computing them is not optimised away.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qn::fuzz {

inline volatile size_t sink = 0;

inline void Require(bool condition) {
    if (!condition) __builtin_trap();
}

} // namespace qn::fuzz
