// Writing and splitting the plan file's cells.
#include "run/PlanCells.h"

#include "files/TextFile.h"

#include <algorithm>

namespace qn {
namespace {

constexpr size_t kHexDigitsMax = 4;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::string_view TrimmedBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsPlanHex(std::string_view text, size_t minDigits) {
    return text.size() >= minDigits && text.size() <= kHexDigitsMax &&
           text.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos;
}

std::string CellText(std::string_view text) {
    std::string cell(text);
    std::replace_if(
        cell.begin(), cell.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    const bool plain = cell.find_first_of(",\"") == std::string::npos &&
                       (cell.empty() || (!IsBlank(cell.front()) && !IsBlank(cell.back()) &&
                                         cell.front() != '#' && cell.front() != '['));
    if (plain) return cell;
    std::string quoted = "\"";
    for (const char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

void AppendRow(std::string& out, const std::vector<std::string>& cells) {
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) line += (i ? "," : "") + CellText(cells[i]);
    AppendLine(out, line);
}

bool SplitCells(std::string_view line, std::vector<std::string>& cells, std::string& error) {
    size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        std::string cell;
        if (i < line.size() && line[i] == '"') {
            for (++i;; ++i) {
                if (i >= line.size()) {
                    error = "a quoted cell has no closing quote";
                    return false;
                }
                if (line[i] == '"' && (i + 1 >= line.size() || line[i + 1] != '"')) break;
                if (line[i] == '"') ++i;
                cell += line[i];
            }
            ++i;
            while (i < line.size() && IsBlank(line[i])) ++i;
            if (i < line.size() && line[i] != ',') {
                error = "text after a closing quote";
                return false;
            }
        } else {
            const size_t comma = std::min(line.find(',', i), line.size());
            cell = TrimmedBlanks(line.substr(i, comma - i));
            i = comma;
        }
        cells.push_back(std::move(cell));
        if (i >= line.size()) return true;
        ++i; // the comma
    }
}

} // namespace qn
