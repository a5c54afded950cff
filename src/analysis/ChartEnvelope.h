// The points a chart line needs at its pixel width: per pixel column of the visible x range, the
// least and the greatest value of the data in it, so that tens of thousands of samples draw as a
// few thousand points and a spike of one sample still shows.
#pragma once

#include <span>
#include <vector>

namespace qn {

struct ChartPoints {
    std::vector<double> X;
    std::vector<double> Y;

    bool operator==(const ChartPoints&) const = default;
};

// The line through the ascending `keys` and their `values` between `lower` and `upper` (either
// order) on a plot `columns` pixels wide. Each column with data gives its least and greatest value
// at the column's middle, in the order the data reaches them, so the line draws the column as one
// vertical stroke joined to the next. The nearest point outside the range on each side is kept, so
// the line runs on to the plot's edges. When the visible points are no more than two per column
// (or the width is unknown, 0), they are passed through as they are.
ChartPoints ChartEnvelope(std::span<const double> keys, std::span<const double> values,
                          double lower, double upper, int columns);

} // namespace qn
