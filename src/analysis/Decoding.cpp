#include "analysis/Decoding.h"

namespace qn {

namespace {

constexpr int32_t kSignBit24 = 0x800000;
constexpr int32_t kRange24 = 0x1000000;

int32_t Halved(int32_t raw, bool halve) {
    return halve ? raw >> 1 : raw;
}

} // namespace

int32_t DecodeRecord(int mode, uint8_t b1, uint8_t b2, uint8_t b3, DecodeOptions options) {
    if (mode == kMode16Temperature) return Halved(b1 * 256 + b2, options.HalveCodes);
    const int32_t raw = b1 * 65536 + b2 * 256 + b3;
    if (raw < kSignBit24) return Halved(raw, options.HalveCodes);
    const int32_t extended = raw - kRange24;
    // Without FullSign negative codes are always halved, rounding toward minus infinity.
    return options.FullSign ? extended : extended >> 1;
}

int32_t ScaledValue(int32_t code, int32_t scaleDiv) {
    const int32_t divisor = scaleDiv < 1 ? 1 : scaleDiv;
    return code / divisor; // C++ division truncates toward zero
}

} // namespace qn
