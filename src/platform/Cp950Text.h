// Text in code page 950, the code page of the tool's files, converted for display.
#pragma once

#include <string>
#include <string_view>

namespace qn {

// Converts code page 950 text to UTF-8; bytes that form no character become '?'.
std::string Cp950ToUtf8(std::string_view text);

} // namespace qn
