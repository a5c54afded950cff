// Text of the chip list and chip description files: code page 950 upper-casing and cutting, lookup.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qn {

// Upper-cases the ASCII letters of code page 950 text, leaving double-byte characters whole.
std::string UpperText950(std::string_view text);

// The longest start of `text` of at most `maxBytes` bytes that splits no double-byte character.
std::string_view Cut950(std::string_view text, size_t maxBytes);

// The file `name` in `folder`: the exact name when it exists, else the one entry whose name
// matches ignoring ASCII case (chip lists name their files in upper case). None when missing or
// not a regular file.
std::optional<std::filesystem::path> FindInFolder(const std::filesystem::path& folder,
                                                  std::string_view name);

} // namespace qn
