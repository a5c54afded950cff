// Text of the chip list and chip description files: lines, code page 950, upper-casing, lookup.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

// Reads a whole file's lines as stored (code page 950 bytes); none when it cannot be opened.
std::optional<std::vector<std::string>> ReadTextLines(const std::filesystem::path& file);

// Upper-cases the ASCII letters of code page 950 text, leaving double-byte characters whole.
std::string UpperText950(std::string_view text);

// The longest start of `text` of at most `maxBytes` bytes that splits no double-byte character.
std::string_view Cut950(std::string_view text, size_t maxBytes);

// Converts code page 950 text to UTF-8; bytes that form no character become '?'.
std::string Cp950ToUtf8(std::string_view text);

// The file `name` in `folder`: the exact name when it exists, else the one entry whose name
// matches ignoring ASCII case (chip lists name their files in upper case). None when missing or
// not a regular file.
std::optional<std::filesystem::path> FindInFolder(const std::filesystem::path& folder,
                                                  std::string_view name);

} // namespace qn
