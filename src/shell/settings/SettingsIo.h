// Text and file helpers of the settings files: padded integers, free-format reads, CR LF lines,
// whole-file reads and atomic replacement.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

// Appends value right-aligned in a field of width characters (a wider number is written in full).
// With separate set, a number that fills or overflows its field gets one space in front, so that
// it never runs into the value before it on the line.
void AppendPaddedInt(std::string& out, int64_t value, int width, bool separate);

// Decimal text of value, independent of the C and C++ locales.
std::string DecimalText(int64_t value);

// Appends text and the CR LF line end.
void AppendLine(std::string& out, std::string_view text);

// Reads up to values.size() integers from a line: blanks are skipped, a number must end at a
// blank, a sign or the end of the line. Reading stops at the first text that is not such a
// number; the entries not read stay empty. Returns how many were read.
size_t ReadFreeIntegers(std::string_view line, std::span<std::optional<int32_t>> values);

// The whole of text as one integer between blanks, or nothing.
std::optional<int32_t> ParseWholeInteger(std::string_view text);

// Splits file contents into lines, removing LF or CR LF ends; no empty line after a final end.
std::vector<std::string_view> SplitTextLines(std::string_view contents);

// Reads a whole file as bytes; false when it cannot be opened or read.
bool ReadFileContents(const std::string& path, std::string& contents);

// Writes contents to a new file in the same folder and renames it over path, so that a crash
// leaves either the old file or the new one. False (and path untouched) on any failure.
bool ReplaceFileContents(const std::string& path, std::string_view contents);

} // namespace qn
