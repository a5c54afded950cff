// The ADC panel's result text and its output width list.
#include "link/AdcResultDisplay.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace qn {

bool TXADCObitChange(AdcResultDisplay& display, int32_t item) {
    if (item < 0 || item >= kAdcWidthItems) return false;
    display.TXADCObit = static_cast<uint8_t>(item);
    display.Divisor = int32_t{1} << (15 - item);
    return true;
}

// The decimal text takes the sign before the division, so that a narrower output width scales a
// negative code toward zero like a positive one: FF FF FE is -1 at divisor 1 and 0 at divisor 256,
// as 00 00 02 (+1) is, never a large number.
std::string AdcResultText(const std::array<uint8_t, 3>& b, bool hex, int32_t divisor) {
    const int32_t raw = (b[0] * 65536 + b[1] * 256 + b[2]) >> 1;
    const int32_t by = divisor > 0 ? divisor : 1;
    if (hex) {
        const int32_t value = raw / by;
        char text[16];
        const auto end = std::to_chars(text, text + sizeof text, value, 16).ptr;
        std::string upper(text, end);
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](char c) { return static_cast<char>(std::toupper(c)); });
        return upper;
    }
    return std::to_string((b[0] >= 0x80 ? raw - 0x800000 : raw) / by);
}

} // namespace qn
