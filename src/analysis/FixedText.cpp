#include "analysis/FixedText.h"

#include <charconv>
#include <cmath>

namespace qn {

std::string TwoDecimals(double value) {
    if (!std::isfinite(value)) return value > 0 ? "INF" : value < 0 ? "-INF" : "NAN";
    char buffer[400];
    const auto result =
        std::to_chars(std::begin(buffer), std::end(buffer), value, std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}

} // namespace qn
