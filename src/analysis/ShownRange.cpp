// The part of a chart's data that a zoomed or panned axis shows.
#include "analysis/ShownRange.h"

#include <algorithm>

namespace qn {

IndexRange ShownIndices(std::span<const double> keys, double lower, double upper) {
    if (upper < lower) std::swap(lower, upper);
    const auto first = std::lower_bound(keys.begin(), keys.end(), lower);
    const auto end = std::upper_bound(first, keys.end(), upper);
    return {static_cast<size_t>(first - keys.begin()), static_cast<size_t>(end - keys.begin())};
}

} // namespace qn
