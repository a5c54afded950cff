// Conversion of code page 950 text through the C library's iconv.
#include "files/Cp950Text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace qn {
namespace {

// Owns one iconv conversion descriptor.
class Converter {
  public:
    Converter(const char* to, const char* from)
        : cd_(iconv_open(to, from)), utf8Source_(std::string_view(from) == "UTF-8") {}
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
                // A UTF-8 character that has no code page 950 form: skip its trail bytes too.
                while (utf8Source_ && inLeft > 0 &&
                       (static_cast<unsigned char>(*inPtr) & 0xC0) == 0x80) {
                    ++inPtr;
                    --inLeft;
                }
            }
        }
        return out;
    }

  private:
    iconv_t cd_;
    bool utf8Source_;
};

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::string Cp950ToUtf8(std::string_view text) {
    if (IsAscii(text)) return std::string(text);
    Converter converter("UTF-8", "CP950");
    if (converter.Valid()) return converter.Convert(text);
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    return out;
}

std::string Utf8ToCp950(std::string_view text) {
    if (IsAscii(text)) return std::string(text);
    Converter converter("CP950", "UTF-8");
    if (converter.Valid()) return converter.Convert(text);
    return std::string(text.size(), '?');
}

} // namespace qn
