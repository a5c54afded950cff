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

std::string AdcResultText(const std::array<uint8_t, 3>& b, bool hex, int32_t divisor) {
    const int32_t raw = (b[0] * 65536 + b[1] * 256 + b[2]) >> 1;
    const int32_t value = raw / (divisor > 0 ? divisor : 1);
    if (hex) {
        char text[16];
        const auto end = std::to_chars(text, text + sizeof text, value, 16).ptr;
        std::string upper(text, end);
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](char c) { return static_cast<char>(std::toupper(c)); });
        return upper;
    }
    return std::to_string(b[0] >= 0x80 ? value - 8388608 : value);
}

} // namespace qn
