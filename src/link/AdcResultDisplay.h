// How the ADC panel shows a single ADC result: output mode, output width and the divisor it
// selects. The link timer's continuous read and the settings file share this one record.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qn {

inline constexpr int32_t kAdcModeItems = 2;   // "HEX", "DEC"
inline constexpr int32_t kAdcWidthItems = 16; // "8" … "23"

// Result bytes that the ADC panel shows.
struct AdcReadings {
    std::array<uint8_t, 3> Adc{};  // high, middle, low
    std::array<uint8_t, 3> Temp{}; // high, low, 0
};

struct AdcResultDisplay {
    uint8_t TXADCOMD = 0;  // 0 "HEX", 1 "DEC"
    uint8_t TXADCObit = 7; // output width item
    int32_t Divisor = 256; // 2^(15 − TXADCObit), set by TXADCObitChange

    bool Hex() const { return TXADCOMD == 0; }
    bool operator==(const AdcResultDisplay&) const = default;
};

// Output width selected item: Divisor := 2^(15 − item). An item outside the list changes nothing
// and gives false.
bool TXADCObitChange(AdcResultDisplay& display, int32_t item);

// Text of the three result bytes (high, middle, low): the code shifted right by one and divided
// by `divisor` (0 reads as 1), in upper-case hexadecimal or, signed and then divided (toward
// zero), in decimal.
std::string AdcResultText(const std::array<uint8_t, 3>& bytes, bool hex, int32_t divisor);

} // namespace qn
