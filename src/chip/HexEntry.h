// Typing hexadecimal values: the keys the keypad and the grids take, the keypad's digit limits
// and the text of a cell being typed into.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qn {

// The hex digit a typed character stands for: 0–9, A–F, with a–f taken as A–F; none otherwise.
std::optional<char> HexDigitOf(char typed);

// The keypad takes `digit` when the field is shorter than the template and the digit is not
// greater than the template's digit at the next position (template "3F": first digit 0–3).
bool KeypadAccepts(std::string_view pattern, std::string_view field, char digit);

// A grid cell being typed into: the digit is appended and only the last `keep` characters stay
// (2 for a byte, 4 for a word).
std::string TypeIntoCell(std::string_view text, char digit, size_t keep);

// Backspace in a cell being typed into: the last character goes.
std::string BackspaceCell(std::string_view text);

} // namespace qn
