// Number parsing, fixed-width number texts, keeping windows on the screen and the line tokenizer.
#include "chip/ParsedLine.h"
#include "files/NumberText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qn {
namespace {

TEST(NumberText, ParseNumberFollowsRadixRulesAndRefusesWithoutWriting) {
    // "0A3" is hex without a suffix; values beyond 32 bits wrap; "+5", "12B" and "--5" pass the
    // radix rules, then the digit parser meets a foreign character and gives 0.
    const std::pair<std::string, int32_t> parsed[] = {
        {"10", 10},
        {"10H", 16},
        {"0ah", 10},
        {"0A3", 0xA3},
        {"101B", 5},
        {"-5", -5},
        {"-", 0},
        {"12D", 12},
        {"0FFFFFFFFH", -1},
        {"4294967306", 10},
        {"+5", 0},
        {"12B", 0},
        {"--5", 0},
        {"2147483648", INT32_MIN},
        {"123456789H", 0x23456789},
        {"1" + std::string(32, '0') + "1B", 1},
    };
    for (const auto& [text, expected] : parsed) {
        int32_t value = 0x5A5A5A5A;
        EXPECT_TRUE(ParseNumber(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char* text :
         {"", "FFH", "0A1B", "1F", "-0AH", "-101B", "1G2", "0x10", "H", " 5", "\xA5\x5C"}) {
        int32_t value = 7;
        EXPECT_FALSE(ParseNumber(text, value)) << '"' << text << '"';
        EXPECT_EQ(value, 7) << text; // a refused text writes nothing
    }
}

TEST(NumberText, PaddedTextsNeverCut) {
    const std::pair<std::string, std::string> cases[] = {
        {HexPad(5, 2), "05"},     {HexPad(0x1234, 2), "1234"},        {HexPad(0xFFFF, -4), "FFFF"},
        {DecPad(7, 3), "007"},    {DecPad(65535, 2), "65535"},        {HexText(0), "0"},
        {HexText(0xABCu), "ABC"}, {HexText(0xFFFFFFFFu), "FFFFFFFF"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(text, expected);
}

std::vector<std::string> Words(const ParsedLine& line) {
    std::vector<std::string> words;
    for (int n = 1; n <= line.WordCount(); ++n) words.push_back(line.Word(n));
    return words;
}

TEST(ParsedLine, SplitsWordsAndTail) {
    const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
        {"  00H\tADCCN0  A  B ", {"00H", "ADCCN0", "A", "B"}, ""},
        {"01H ABC ;note", {"01H", "ABC"}, ";note"},
        {"\"Gain select", {}, "\"Gain select"},
        {"A \"B; C", {"A"}, "\"B; C"},
        {"A;B\"C", {"A"}, ";B\"C"},
        {" \t ", {}, ""}};
    for (const auto& [text, words, tail] : cases) {
        const ParsedLine line(text);
        EXPECT_EQ(Words(line), words) << text;
        EXPECT_EQ(line.Tail(), tail) << text;
        EXPECT_EQ(line.HasTail(), !tail.empty()) << text;
    }
}

TEST(ParsedLine, KeepsAtMost160CharactersAnd29Words) {
    std::string many;
    for (int i = 1; i <= 40; ++i) many += "W" + std::to_string(i) + " ";
    const ParsedLine manyWords(many);
    EXPECT_EQ(std::tuple(manyWords.WordCount(), manyWords.Word(29), manyWords.Word(30),
                         manyWords.Word(0)),
              std::tuple(ParsedLine::kMaxWords, "W29", "", ""));

    const std::string longLine = std::string(150, 'A') + " " + std::string(20, 'B') + " ;tail";
    ParsedLine line(longLine);
    EXPECT_EQ(Words(line), (std::vector<std::string>{std::string(150, 'A'), std::string(9, 'B')}));
    EXPECT_FALSE(line.HasTail()); // the ';' lies beyond the kept text
    line.Parse("X Y");
    EXPECT_EQ(Words(line), (std::vector<std::string>{"X", "Y"})); // the old slots are forgotten
}

} // namespace
} // namespace qn
