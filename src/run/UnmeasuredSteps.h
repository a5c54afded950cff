// The steps of a run's results that have no complete capture, named for a message.
#pragma once

#include "run/TempTestData.h"

#include <cstddef>
#include <string>

namespace qn {

// The first steps named before the rest are only counted.
inline constexpr size_t kNamedUnmeasured = 12;

struct UnmeasuredSteps {
    size_t Count = 0;
    std::string Text; // "row 1 step 2, row 2 step 2" and " and n more" past the named ones
};

UnmeasuredSteps FindUnmeasured(const TempResults& results);

} // namespace qn
