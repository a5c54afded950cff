// Text of the chip list and chip description files: lines, code page 950, upper-casing, lookup.
#include "chip/ChipText.h"

#include "chip/TextFile.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
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

// Owns one iconv conversion descriptor.
class Converter {
  public:
    Converter() : cd_(iconv_open("UTF-8", "CP950")) {}
    ~Converter() {
        if (Valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(static_cast<intptr_t>(-1)); }

    std::string Convert(std::string_view text) {
        std::string out;
        std::string in(text);
        char* inPtr = in.data();
        size_t inLeft = in.size();
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            char buffer[256];
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t done = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (done == static_cast<size_t>(-1) && errno != E2BIG) {
                out += '?'; // an invalid or incomplete character: skip one byte
                ++inPtr;
                --inLeft;
            }
        }
        return out;
    }

  private:
    iconv_t cd_;
};

} // namespace

std::optional<std::vector<std::string>> ReadTextLines(const std::filesystem::path& file) {
    std::string content;
    if (!ReadFileContents(file.string(), content)) return std::nullopt;
    const std::vector<std::string_view> lines = SplitTextLines(content);
    return std::vector<std::string>(lines.begin(), lines.end());
}

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

std::string Cp950ToUtf8(std::string_view text) {
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) return std::string(text);
    Converter converter;
    if (converter.Valid()) return converter.Convert(text);
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    return out;
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
