// The forms of reply data the command tree sends.
#include "remote/ScpiReply.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

namespace qn {

std::string QuotedString(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string ScpiNumber(double value) {
    if (std::isnan(value)) return "9.91E+37";
    if (std::isinf(value)) return value > 0 ? "9.9E+37" : "-9.9E+37";
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return {buffer, end};
}

std::string ScpiNumberList(const std::vector<double>& values) {
    std::string text;
    text.reserve(values.size() * 8);
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) text += ',';
        text += ScpiNumber(values[i]);
    }
    return text;
}

namespace {

void AppendBytes(std::string& out, uint64_t bits, int count, bool mostSignificantFirst) {
    for (int i = 0; i < count; ++i) {
        const int shift = 8 * (mostSignificantFirst ? count - 1 - i : i);
        out += static_cast<char>((bits >> shift) & 0xFF);
    }
}

} // namespace

std::optional<std::string> ScpiBinaryBlock(const std::vector<double>& values, SampleFormat format,
                                           bool mostSignificantFirst) {
    const int width = format == SampleFormat::Int32 ? 4 : 8;
    std::string bytes;
    bytes.reserve(values.size() * static_cast<size_t>(width));
    for (const double value : values) {
        if (format == SampleFormat::Int32) {
            if (!(value == std::floor(value)) || value < std::numeric_limits<int32_t>::min() ||
                value > std::numeric_limits<int32_t>::max())
                return std::nullopt;
            const auto word = static_cast<uint32_t>(static_cast<int32_t>(value));
            AppendBytes(bytes, word, width, mostSignificantFirst);
        } else {
            AppendBytes(bytes, std::bit_cast<uint64_t>(value), width, mostSignificantFirst);
        }
    }
    const std::string length = std::to_string(bytes.size());
    return "#" + std::to_string(length.size()) + length + bytes;
}

} // namespace qn
