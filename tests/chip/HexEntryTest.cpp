// Keys of the keypad and the grids: digit limits of the template and typed cell texts.
#include "chip/HexEntry.h"

#include <gtest/gtest.h>

namespace qn {
namespace {

TEST(HexEntry, KeysDigitLimitsAndTypedCells) {
    EXPECT_EQ(HexDigitOf('c'), 'C');
    EXPECT_EQ(HexDigitOf('7'), '7');
    EXPECT_EQ(HexDigitOf('g'), std::nullopt);
    struct Case {
        const char* Pattern;
        const char* Field;
        char Digit;
        bool Accepted;
    };
    const Case cases[] = {
        {"3F", "", '3', true},   {"3F", "", '4', false},
        {"3F", "3", 'F', true},  {"FF", "7C", '0', false}, // full: the keypad has closed
        {"FFF", "", 'G', false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeypadAccepts(c.Pattern, c.Field, c.Digit), c.Accepted)
            << c.Pattern << " " << c.Field << c.Digit;
    EXPECT_EQ(TypeIntoCell(TypeIntoCell(TypeIntoCell("", '1', 2), '2', 2), '3', 2), "23");
    EXPECT_EQ(TypeIntoCell("ABC", 'D', 4), "ABCD");
    EXPECT_EQ(BackspaceCell("23"), "2");
    EXPECT_EQ(BackspaceCell(""), "");
}

} // namespace
} // namespace qn
