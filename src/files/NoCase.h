// Comparisons of ASCII texts that ignore letter case: instrument commands, SCPI headers and chip
// names as an engineer types them.
#pragma once

#include <algorithm>
#include <cctype>
#include <string_view>

namespace qn {

inline bool SameLetterNoCase(char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) ==
           std::toupper(static_cast<unsigned char>(b));
}

inline bool EqualNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameLetterNoCase);
}

inline bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

} // namespace qn
