// Number text of the settings files: padded integers and free-format reads.
#include "shell/settings/SettingsIo.h"

#include <charconv>
#include <iterator>

namespace qn {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool EndsNumber(const char* p, const char* end) {
    return p == end || IsBlank(*p) || *p == '-' || *p == '+';
}

const char* SkipBlanks(const char* p, const char* end) {
    while (p != end && IsBlank(*p)) ++p;
    return p;
}

// Parses one number at p ("+" allowed in front); null when there is none.
const char* ParseNumberAt(const char* p, const char* end, int32_t& value) {
    if (p != end && *p == '+' && p + 1 != end && *(p + 1) != '-') ++p;
    auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc{} || !EndsNumber(next, end)) return nullptr;
    return next;
}

} // namespace

std::string DecimalText(int64_t value) {
    char buffer[24];
    auto [end, ec] = std::to_chars(std::begin(buffer), std::end(buffer), value);
    (void)ec; // 24 characters hold every 64-bit value
    return std::string(buffer, end);
}

void AppendPaddedInt(std::string& out, int64_t value, int width, bool separate) {
    std::string digits = DecimalText(value);
    auto length = static_cast<int>(digits.size());
    if (separate && length >= width) out += ' ';
    if (length < width) out.append(static_cast<size_t>(width - length), ' ');
    out += digits;
}

size_t ReadFreeIntegers(std::string_view line, std::span<std::optional<int32_t>> values) {
    const char* p = line.data();
    const char* end = p + line.size();
    size_t count = 0;
    while (count < values.size()) {
        p = SkipBlanks(p, end);
        int32_t value = 0;
        const char* next = p == end ? nullptr : ParseNumberAt(p, end, value);
        if (next == nullptr) break;
        values[count++] = value;
        p = next;
    }
    return count;
}

std::optional<int32_t> ParseWholeInteger(std::string_view text) {
    const char* end = text.data() + text.size();
    const char* p = SkipBlanks(text.data(), end);
    int32_t value = 0;
    const char* next = p == end ? nullptr : ParseNumberAt(p, end, value);
    if (next == nullptr || SkipBlanks(next, end) != end) return std::nullopt;
    return value;
}

} // namespace qn
