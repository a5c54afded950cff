// Reads one received line into its program message units.
#include "remote/ScpiParser.h"

#include "remote/ErrorQueue.h"

#include <charconv>
#include <cstdint>
#include <system_error>

namespace qn {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsWordChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '_';
}
bool IsPrintable(char c) {
    return c >= 0x20 && c < 0x7F;
}
// The characters that separate or introduce the syntactic elements of a line.
bool IsStructural(char c) {
    return IsSpace(c) || c == ':' || c == ';' || c == ',' || c == '?' || c == '*' || c == '#' ||
           c == '"' || c == '\'';
}

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::vector<ScpiUnit> Units() {
        std::vector<ScpiUnit> units;
        while (true) {
            SkipSpaces();
            if (AtEnd()) break;
            if (Peek() == ';') {
                ++pos_;
                continue;
            }
            ScpiUnit unit;
            if (!ReadUnit(unit)) {
                unit.Error = error_;
                unit.Message = message_;
                units.push_back(std::move(unit));
                break;
            }
            units.push_back(std::move(unit));
        }
        return units;
    }

  private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    void SkipSpaces() {
        while (!AtEnd() && IsSpace(Peek())) ++pos_;
    }
    // The error for an element `what` that was expected here and is not: a character that has no
    // place in a line is invalid (-101); a misplaced separator or the line's end is syntax (-102).
    bool Fail(std::string_view what) {
        if (!AtEnd() && (!IsPrintable(Peek()) || !IsStructural(Peek())) && !IsWordChar(Peek()))
            return Fail(scpi::kInvalidCharacter, std::string(what));
        return Fail(scpi::kSyntaxError, std::string(what));
    }
    bool Fail(int code, std::string message) {
        error_ = code;
        message_ = std::move(message);
        return false;
    }

    std::string Word() {
        const size_t start = pos_;
        if (!IsLetter(Peek())) return {};
        while (!AtEnd() && IsWordChar(Peek())) ++pos_;
        return std::string(text_.substr(start, pos_ - start));
    }

    bool ReadUnit(ScpiUnit& unit) {
        if (Peek() == '*') {
            ++pos_;
            unit.Common = true;
            std::string word = Word();
            if (word.empty()) return Fail("a common command's name expected after *");
            unit.Mnemonics.push_back(std::move(word));
        } else {
            if (Peek() == ':') {
                unit.Rooted = true;
                ++pos_;
            }
            while (true) {
                std::string word = Word();
                if (word.empty()) return Fail("a header expected");
                unit.Mnemonics.push_back(std::move(word));
                if (Peek() != ':') break;
                ++pos_;
            }
        }
        if (Peek() == '?') {
            unit.Query = true;
            ++pos_;
        }
        if (AtEnd() || Peek() == ';') return true;
        if (!IsSpace(Peek())) return Fail("a space expected after the header");
        SkipSpaces();
        if (AtEnd() || Peek() == ';') return true;
        while (true) {
            ScpiArgument argument;
            if (!ReadArgument(argument)) return false;
            unit.Arguments.push_back(std::move(argument));
            SkipSpaces();
            if (AtEnd() || Peek() == ';') return true;
            if (Peek() != ',') return Fail("\",\" or \";\" expected after an argument");
            ++pos_;
            SkipSpaces();
        }
    }

    bool ReadArgument(ScpiArgument& argument) {
        const char c = Peek();
        if (c == '"' || c == '\'') return ReadString(argument);
        if (c == '#') return ReadHash(argument);
        if (IsDigit(c) || c == '+' || c == '-' || c == '.') return ReadDecimal(argument);
        if (IsLetter(c)) {
            argument.Type = ScpiArgument::Kind::Word;
            argument.Text = Word();
            return EndOfArgument();
        }
        return Fail("an argument expected");
    }

    // After an argument: spaces, ",", ";" or the end of the line.
    bool EndOfArgument() {
        if (AtEnd() || IsSpace(Peek()) || Peek() == ',' || Peek() == ';') return true;
        return Fail("unexpected text after an argument");
    }

    bool ReadString(ScpiArgument& argument) {
        const char quote = Peek();
        ++pos_;
        argument.Type = ScpiArgument::Kind::String;
        while (!AtEnd()) {
            const char c = text_[pos_++];
            if (c != quote) {
                argument.Text += c;
            } else if (Peek() == quote) {
                argument.Text += quote;
                ++pos_;
            } else {
                return EndOfArgument();
            }
        }
        return Fail(scpi::kInvalidStringData, "the string has no closing quote");
    }

    bool ReadHash(ScpiArgument& argument) {
        ++pos_;
        const char kind = Peek();
        if (IsDigit(kind)) return ReadBlock(argument);
        unsigned base = 0;
        if (kind == 'H' || kind == 'h') base = 16;
        if (kind == 'Q' || kind == 'q') base = 8;
        if (kind == 'B' || kind == 'b') base = 2;
        if (base == 0) return Fail("#H, #Q, #B or a block expected");
        ++pos_;
        const size_t start = pos_;
        while (!AtEnd() && IsWordChar(Peek())) ++pos_;
        const std::string_view digits = text_.substr(start, pos_ - start);
        uint64_t value = 0;
        const auto [end, status] = std::from_chars(digits.data(), digits.data() + digits.size(),
                                                   value, static_cast<int>(base));
        if (digits.empty() || end != digits.data() + digits.size())
            return Fail(scpi::kSyntaxError, "bad digit in a #H, #Q or #B number");
        // Above 2^53 a double would round the value.
        if (status == std::errc::result_out_of_range || value > (uint64_t{1} << 53))
            return Fail(scpi::kExponentTooLarge, "numeric overflow");
        argument.Type = ScpiArgument::Kind::Number;
        argument.Number = static_cast<double>(value);
        return EndOfArgument();
    }

    // #<n><length><bytes> with n from 1 to 9, or #0<bytes to the end of the line>.
    bool ReadBlock(ScpiArgument& argument) {
        argument.Type = ScpiArgument::Kind::Block;
        const size_t digits = static_cast<size_t>(Peek() - '0');
        ++pos_;
        if (digits == 0) {
            argument.Text = std::string(text_.substr(pos_));
            pos_ = text_.size();
            return true;
        }
        size_t length = 0;
        for (size_t i = 0; i < digits; ++i, ++pos_) {
            if (!IsDigit(Peek())) return Fail(scpi::kSyntaxError, "bad block length");
            length = length * 10 + static_cast<size_t>(Peek() - '0');
        }
        if (length > text_.size() - pos_)
            return Fail(scpi::kSyntaxError, "block shorter than its length");
        argument.Text = std::string(text_.substr(pos_, length));
        pos_ += length;
        return EndOfArgument();
    }

    // [+-] digits [. digits] [E [+-] digits], or [+-] . digits [...].
    bool ReadDecimal(ScpiArgument& argument) {
        const size_t start = pos_;
        if (Peek() == '+' || Peek() == '-') ++pos_;
        size_t mantissaDigits = 0;
        while (IsDigit(Peek())) ++pos_, ++mantissaDigits;
        if (Peek() == '.') {
            ++pos_;
            while (IsDigit(Peek())) ++pos_, ++mantissaDigits;
        }
        if (mantissaDigits == 0) return Fail(scpi::kSyntaxError, "a number expected");
        if (Peek() == 'E' || Peek() == 'e') {
            ++pos_;
            if (Peek() == '+' || Peek() == '-') ++pos_;
            if (!IsDigit(Peek())) return Fail(scpi::kSyntaxError, "exponent without digits");
            while (IsDigit(Peek())) ++pos_;
        }
        // from_chars takes no leading "+".
        size_t first = start;
        if (text_[first] == '+') ++first;
        const char* begin = text_.data() + first;
        const char* end = text_.data() + pos_;
        double value = 0;
        const auto result = std::from_chars(begin, end, value);
        if (result.ec == std::errc::result_out_of_range)
            return Fail(scpi::kExponentTooLarge, std::string(text_.substr(start, pos_ - start)));
        if (result.ec != std::errc() || result.ptr != end)
            return Fail(scpi::kSyntaxError, "a number expected");
        argument.Type = ScpiArgument::Kind::Number;
        argument.Number = value;
        return EndOfArgument();
    }

    std::string_view text_;
    size_t pos_ = 0;
    int error_ = 0;
    std::string message_;
};

} // namespace

std::vector<ScpiUnit> ParseScpiLine(std::string_view line) {
    return Reader(line).Units();
}

} // namespace qn
