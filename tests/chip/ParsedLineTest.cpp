// The line tokenizer: words, tail, the 160-character and 29-word limits.
#include "chip/ParsedLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qn {
namespace {

std::vector<std::string> Words(const ParsedLine& line) {
    std::vector<std::string> words;
    for (int n = 1; n <= line.WordCount(); ++n) words.push_back(line.Word(n));
    return words;
}

TEST(ParsedLine, SplitsWordsAndTail) {
    struct Case {
        std::string text;
        std::vector<std::string> words;
        std::string tail;
    };
    const Case cases[] = {
        {"#PRODUCT", {"#PRODUCT"}, ""},
        {"  00H\tADCCN0  A  B ", {"00H", "ADCCN0", "A", "B"}, ""},
        {"01H ABC ;note", {"01H", "ABC"}, ";note"},
        {"\"Gain select", {}, "\"Gain select"},
        {"A \"B; C", {"A"}, "\"B; C"},
        {"A;B\"C", {"A"}, ";B\"C"},
        {"", {}, ""},
        {" \t ", {}, ""},
    };
    for (const Case& c : cases) {
        const ParsedLine line(c.text);
        EXPECT_EQ(Words(line), c.words) << c.text;
        EXPECT_EQ(line.Tail(), c.tail) << c.text;
        EXPECT_EQ(line.HasTail(), !c.tail.empty()) << c.text;
    }
}

TEST(ParsedLine, KeepsAtMost160CharactersAnd29Words) {
    std::string many;
    for (int i = 1; i <= 40; ++i) many += "W" + std::to_string(i) + " ";
    const ParsedLine manyWords(many);
    EXPECT_EQ(manyWords.WordCount(), ParsedLine::kMaxWords);
    EXPECT_EQ(manyWords.Word(29), "W29");
    EXPECT_EQ(manyWords.Word(30), "");
    EXPECT_EQ(manyWords.Word(0), "");
    EXPECT_EQ(manyWords.Word(-1), "");

    const std::string longLine = std::string(150, 'A') + " " + std::string(20, 'B') + " ;tail";
    const ParsedLine cut(longLine);
    EXPECT_EQ(cut.Text().size(), ParsedLine::kMaxLength);
    ASSERT_EQ(cut.WordCount(), 2);
    EXPECT_EQ(cut.Word(2), std::string(9, 'B')); // cut at the 160th character
    EXPECT_FALSE(cut.HasTail());                 // the ';' lies beyond the kept text

    const ParsedLine reused("X Y");
    ParsedLine line(longLine);
    line.Parse("X Y");
    EXPECT_EQ(Words(line), Words(reused)); // parsing again forgets the old slots
}

} // namespace
} // namespace qn
