// Number text of the settings files: padded integers and free-format reads.
#pragma once

#include "files/TextFile.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qn {

// Appends value right-aligned in a field of width characters (a wider number is written in full).
// With separate set, a number that fills or overflows its field gets one space in front, so that
// it never runs into the value before it on the line.
void AppendPaddedInt(std::string& out, int64_t value, int width, bool separate);

// Decimal text of value, independent of the C and C++ locales.
std::string DecimalText(int64_t value);

// Reads up to values.size() integers from a line: blanks are skipped, a number must end at a
// blank, a sign or the end of the line. Reading stops at the first text that is not such a
// number; the entries not read stay empty. Returns how many were read.
size_t ReadFreeIntegers(std::string_view line, std::span<std::optional<int32_t>> values);

// The whole of text as one integer between blanks, or nothing.
std::optional<int32_t> ParseWholeInteger(std::string_view text);

} // namespace qn
