// The part of a chart's data that a zoomed or panned axis shows.
#pragma once

#include <cstddef>
#include <span>

namespace qn {

// Indices First (included) to End (excluded) of a series; empty when First == End.
struct IndexRange {
    size_t First = 0;
    size_t End = 0;

    bool operator==(const IndexRange&) const = default;
};

// The points of the ascending `keys` (bin centres, frequencies) that lie between `lower` and
// `upper`, both included, given in either order: what the chart shows of the series.
IndexRange ShownIndices(std::span<const double> keys, double lower, double upper);

} // namespace qn
