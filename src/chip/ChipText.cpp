// Text of the chip list and chip description files: code page 950 upper-casing and cutting, lookup.
#include "chip/ChipText.h"

#include <algorithm>
#include <system_error>

namespace qn {
namespace {

bool IsLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiUpper(x) == AsciiUpper(y);
           });
}

} // namespace

std::string UpperText950(std::string_view text) {
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(out[i])))
            ++i; // keep the trail byte of a double-byte character
        else
            out[i] = AsciiUpper(out[i]);
    }
    return out;
}

std::string_view Cut950(std::string_view text, size_t maxBytes) {
    size_t end = 0;
    while (end < text.size()) {
        const size_t step = IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + step > maxBytes) break;
        end += step;
    }
    return text.substr(0, std::min(end, text.size()));
}

std::optional<std::filesystem::path> FindInFolder(const std::filesystem::path& folder,
                                                  std::string_view name) {
    if (name.empty()) return std::nullopt;
    std::error_code error;
    const std::filesystem::path exact = folder / std::string(name);
    if (std::filesystem::is_regular_file(exact, error)) return exact;
    std::filesystem::directory_iterator entry(folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        if (SameIgnoringCase(entry->path().filename().string(), name) &&
            entry->is_regular_file(error))
            return entry->path();
    }
    return std::nullopt;
}

} // namespace qn
