// Number parsing with radix suffixes and fixed-width hexadecimal and decimal texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qn {

// Reads decimal, "H"-suffixed (or hex-lettered) hexadecimal and "B"-suffixed binary numbers.
// Returns false and leaves `value` untouched when the text is not a number.
bool ParseNumber(std::string_view text, int32_t& value);

// Decimal digits weighted from the right; a leading '-' negates; any other character gives 0.
// Values beyond 32 bits wrap around.
int32_t ParseDecimal(std::string_view text);
// Hexadecimal digits 0-9, A-F, a-f; any other character gives 0. Keeps the low 32 bits.
uint32_t ParseHex(std::string_view text);
// Binary digits; any other character gives 0. Keeps the low 32 bits.
uint32_t ParseBinary(std::string_view text);

// Upper-case hexadecimal of the value without leading zeros, left-padded with '0' to `width`.
std::string HexPad(uint16_t value, int width);
// Decimal of the value, left-padded with '0' to `width`.
std::string DecPad(uint16_t value, int width);
// Upper-case hexadecimal of the value without leading zeros ("0" for 0).
std::string HexText(uint32_t value);

} // namespace qn
