// Reduction of a chart line to the least and greatest value of each pixel column.
#include "analysis/ChartEnvelope.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace qn {

ChartPoints ChartEnvelope(std::span<const double> keys, std::span<const double> values,
                          double lower, double upper, int columns) {
    if (lower > upper) std::swap(lower, upper);
    const size_t n = std::min(keys.size(), values.size());
    const auto begin = keys.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(n);
    const auto first = static_cast<size_t>(std::lower_bound(begin, end, lower) - begin);
    const auto last = static_cast<size_t>(std::upper_bound(begin, end, upper) - begin);
    const size_t from = first > 0 ? first - 1 : first;
    const size_t to = last < n ? last + 1 : last;

    ChartPoints out;
    const auto passOn = [&](size_t a, size_t b) {
        out.X.insert(out.X.end(), keys.begin() + static_cast<std::ptrdiff_t>(a),
                     keys.begin() + static_cast<std::ptrdiff_t>(b));
        out.Y.insert(out.Y.end(), values.begin() + static_cast<std::ptrdiff_t>(a),
                     values.begin() + static_cast<std::ptrdiff_t>(b));
    };
    if (columns <= 0 || upper <= lower || last - first <= 2 * static_cast<size_t>(columns)) {
        passOn(from, to);
        return out;
    }

    out.X.reserve(2 * static_cast<size_t>(columns) + 2);
    out.Y.reserve(2 * static_cast<size_t>(columns) + 2);
    passOn(from, first);
    const double width = (upper - lower) / columns;
    const auto lastColumn = static_cast<size_t>(columns - 1);
    for (size_t i = first; i < last;) {
        const size_t column = std::min(lastColumn, static_cast<size_t>((keys[i] - lower) / width));
        const double boundary = column == lastColumn
                                    ? std::numeric_limits<double>::infinity()
                                    : lower + static_cast<double>(column + 1) * width;
        size_t low = i;
        size_t high = i;
        size_t j = i + 1;
        for (; j < last && keys[j] < boundary; ++j) {
            if (values[j] < values[low]) low = j;
            if (values[j] > values[high]) high = j;
        }
        const double x = lower + (static_cast<double>(column) + 0.5) * width;
        out.X.push_back(x);
        out.Y.push_back(values[std::min(low, high)]);
        if (low != high) {
            out.X.push_back(x);
            out.Y.push_back(values[std::max(low, high)]);
        }
        i = j;
    }
    passOn(last, to);
    return out;
}

} // namespace qn
