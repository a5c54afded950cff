// The forms of reply data the command tree sends: quoted strings, numbers, number lists and IEEE
// 488.2 definite-length binary blocks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

// "text" with every double quote inside doubled.
std::string QuotedString(std::string_view text);

// The shortest decimal text that reads back as the same double ("4096", "2.5", "1e-07");
// not-a-number as 9.91E+37 and the infinities as ±9.9E+37, as SCPI has them.
std::string ScpiNumber(double value);

// The values as numbers separated by ",".
std::string ScpiNumberList(const std::vector<double>& values);

// How FETCh:DATA? sends samples.
enum class SampleFormat { Ascii, Int32, Real64 };

// `#<n><length><bytes>`: each value as a 32-bit integer or a 64-bit IEEE double, least significant
// byte first unless `mostSignificantFirst`. Nothing when a value does not fit the format (Int32:
// a value that is not a whole number within 32 bits).
std::optional<std::string> ScpiBinaryBlock(const std::vector<double>& values, SampleFormat format,
                                           bool mostSignificantFirst);

} // namespace qn
