// Hex digits typed into the keypad and the grids.
#include "chip/HexEntry.h"

namespace qn {
namespace {

int DigitValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    return -1;
}

} // namespace

std::optional<char> HexDigitOf(char typed) {
    if (typed >= 'a' && typed <= 'f') typed = static_cast<char>(typed - 'a' + 'A');
    if (DigitValue(typed) < 0) return std::nullopt;
    return typed;
}

bool KeypadAccepts(std::string_view pattern, std::string_view field, char digit) {
    if (field.size() >= pattern.size()) return false;
    const int value = DigitValue(digit);
    return value >= 0 && value <= DigitValue(pattern[field.size()]);
}

std::string TypeIntoCell(std::string_view text, char digit, size_t keep) {
    std::string typed(text);
    typed += digit;
    if (typed.size() > keep) typed.erase(0, typed.size() - keep);
    return typed;
}

std::string BackspaceCell(std::string_view text) {
    return std::string(text.substr(0, text.empty() ? 0 : text.size() - 1));
}

} // namespace qn
