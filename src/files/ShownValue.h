// How a message quotes a value it refuses: whole when short, otherwise its first characters and
// its size, so a huge or binary value never floods a terminal or a message box.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qn {

inline constexpr size_t kShownValueChars = 200;

// `value` in double quotes, cut to its first 200 bytes (never inside a UTF-8 character) with
// "… (N bytes)" after the closing quote when it is longer.
inline std::string ShownValue(std::string_view value) {
    if (value.size() <= kShownValueChars) return "\"" + std::string(value) + "\"";
    size_t cut = kShownValueChars;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    return "\"" + std::string(value.substr(0, cut)) + "…\" (" + std::to_string(value.size()) +
           " bytes)";
}

} // namespace qn
