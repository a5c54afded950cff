// Text files as the tool keeps them: whole-file reads, CR LF lines, atomic replacement.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

// Splits file contents into lines; CR LF and bare LF end a line, a final line needs no ending.
std::vector<std::string_view> SplitTextLines(std::string_view contents);

// Appends text and the CR LF line end.
void AppendLine(std::string& out, std::string_view text);

// Reads a whole file's lines as stored (code page 950 bytes); none when it cannot be opened.
std::optional<std::vector<std::string>> ReadTextLines(const std::filesystem::path& file);

// Reads a whole file as bytes; false when it cannot be opened or read.
bool ReadFileContents(const std::string& path, std::string& contents);

// Writes contents to a new file in the same folder and renames it over path, so that a crash
// leaves either the old file or the new one. False (and path untouched) on any failure.
bool ReplaceFileContents(const std::string& path, std::string_view contents);

} // namespace qn
