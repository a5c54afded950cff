// Conversion results of the ADC stream: record bytes to signed codes, codes to scaled values.
#pragma once

#include <cstdint>

namespace qn {

// The mode byte of a capture; mode 2 carries 16-bit records, modes 1 and 3 24-bit ones.
inline constexpr int kMode24Polled = 1;
inline constexpr int kMode16Temperature = 2;
inline constexpr int kMode24Interrupt = 3;

struct DecodeOptions {
    bool HalveCodes = false; // 24-bit codes shifted right one (Catch ADC yields 23-bit codes)
    bool FullSign = false;   // negative 24-bit codes sign-extended without halving
};

// The signed code of one record, bytes most significant first (b3 unused in mode 2).
int32_t DecodeRecord(int mode, uint8_t b1, uint8_t b2, uint8_t b3, DecodeOptions options);

// code div scaleDiv, truncated toward zero; a divisor below 1 counts as 1.
int32_t ScaledValue(int32_t code, int32_t scaleDiv);

} // namespace qn
