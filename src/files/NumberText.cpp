// Number parsing with radix suffixes and fixed-width hexadecimal and decimal texts.
#include "files/NumberText.h"

#include <charconv>

namespace qn {
namespace {

enum class Radix { None, Decimal, Hex, Binary };

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsHexLetter(char c) {
    return (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Records `r` as the text's radix; false when a different radix was already marked.
bool Mark(Radix& marked, Radix r) {
    if (marked != Radix::None && marked != r) return false;
    marked = r;
    return true;
}

Radix SuffixRadix(char c) {
    switch (c) {
    case 'B':
    case 'b':
        return Radix::Binary;
    case 'D':
    case 'd':
        return Radix::Decimal;
    case 'H':
    case 'h':
        return Radix::Hex;
    default:
        return Radix::None;
    }
}

// Applies the radix rules to the whole text; returns the radix and the text without its suffix.
bool Classify(std::string_view text, Radix& radix, std::string_view& digits) {
    radix = Radix::None;
    digits = text;
    const char first = text.front();
    if (!IsDigit(first)) {
        if (first != '-' && first != '+') return false;
        radix = Radix::Decimal;
    }
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        if (!IsLetter(text[i])) continue;
        if (!IsHexLetter(text[i]) || !Mark(radix, Radix::Hex)) return false;
    }
    const char last = text.back();
    if (text.size() > 1 && IsLetter(last)) {
        const Radix suffix = SuffixRadix(last);
        if (suffix == Radix::None || !Mark(radix, suffix)) return false;
        digits.remove_suffix(1);
    }
    if (radix == Radix::None) radix = Radix::Decimal;
    return true;
}

uint32_t HexDigit(char c) {
    if (IsDigit(c)) return static_cast<uint32_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<uint32_t>(c - 'A' + 10);
    return static_cast<uint32_t>(c - 'a' + 10);
}

std::string PadLeft(std::string text, int width) {
    if (width > 0 && text.size() < static_cast<size_t>(width))
        text.insert(0, static_cast<size_t>(width) - text.size(), '0');
    return text;
}

std::string UpperHex(uint32_t value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
    std::string text(buffer, result.ptr);
    for (char& c : text)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

} // namespace

bool ParseNumber(std::string_view text, int32_t& value) {
    if (text.empty()) return false;
    Radix radix = Radix::None;
    std::string_view digits;
    if (!Classify(text, radix, digits)) return false;
    switch (radix) {
    case Radix::Binary:
        value = static_cast<int32_t>(ParseBinary(digits));
        break;
    case Radix::Hex:
        value = static_cast<int32_t>(ParseHex(digits));
        break;
    default:
        value = ParseDecimal(digits);
        break;
    }
    return true;
}

int32_t ParseDecimal(std::string_view text) {
    uint32_t sum = 0;
    uint32_t weight = 1;
    bool negative = false;
    for (size_t i = text.size(); i-- > 0;) {
        const char c = text[i];
        if (IsDigit(c)) {
            sum += static_cast<uint32_t>(c - '0') * weight;
            weight *= 10;
        } else if (c == '-' && i == 0) {
            negative = true;
        } else {
            return 0;
        }
    }
    return static_cast<int32_t>(negative ? 0u - sum : sum);
}

uint32_t ParseHex(std::string_view text) {
    uint32_t sum = 0;
    for (const char c : text) {
        if (!IsDigit(c) && !IsHexLetter(c)) return 0;
        sum = (sum << 4) | HexDigit(c);
    }
    return sum;
}

uint32_t ParseBinary(std::string_view text) {
    uint32_t sum = 0;
    for (const char c : text) {
        if (c != '0' && c != '1') return 0;
        sum = (sum << 1) | static_cast<uint32_t>(c - '0');
    }
    return sum;
}

std::string HexPad(uint16_t value, int width) {
    return PadLeft(UpperHex(value), width);
}

std::string DecPad(uint16_t value, int width) {
    char buffer[8];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return PadLeft(std::string(buffer, result.ptr), width);
}

std::string HexText(uint32_t value) {
    return UpperHex(value);
}

} // namespace qn
