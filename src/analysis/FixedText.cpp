#include "analysis/FixedText.h"

#include <charconv>
#include <cmath>

namespace qn {

std::string FixedDecimals(double value, int decimals) {
    if (!std::isfinite(value)) return value > 0 ? "INF" : value < 0 ? "-INF" : "NAN";
    char buffer[400];
    const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value,
                                      std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

std::string TwoDecimals(double value) {
    return FixedDecimals(value, 2);
}

} // namespace qn
