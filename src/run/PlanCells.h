// The cells of the temperature plan file's lines: separated by commas, in double quotes when they
// need them (a quote inside doubled), blanks around them dropped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

// `text` without blanks (spaces, tabs) at either end.
std::string_view TrimmedBlanks(std::string_view text);

// Hexadecimal digits only, from `minDigits` to 4 of them.
bool IsPlanHex(std::string_view text, size_t minDigits);

// A cell as written: in double quotes (doubled inside) when it holds a comma or a quote, has
// blanks at either end or starts like a comment or section; line breaks become blanks.
std::string CellText(std::string_view text);

// Appends the line of `cells`, separated by commas.
void AppendRow(std::string& out, const std::vector<std::string>& cells);

// A line's cells; false with `error` set for a quote that is not closed or text after one.
bool SplitCells(std::string_view line, std::vector<std::string>& cells, std::string& error);

} // namespace qn
