// Text in code page 950, the code page of the tool's files, converted for display.
#pragma once

#include <string>
#include <string_view>

namespace qn {

// Converts code page 950 text to UTF-8; bytes that form no character become '?'.
std::string Cp950ToUtf8(std::string_view text);
// Converts UTF-8 text to code page 950 (hint texts typed in the RAM panel); characters code
// page 950 lacks become '?'.
std::string Utf8ToCp950(std::string_view text);

} // namespace qn
