// Number parsing, fixed-width number texts and keeping windows on the screen.
#include "chip/NumberText.h"
#include "chip/ScreenRect.h"

#include <gtest/gtest.h>

#include <string>

namespace qn {
namespace {

constexpr int32_t kUntouched = 0x5A5A5A5A;

TEST(NumberText, ParseNumberFollowsRadixRules) {
    struct Case {
        std::string text;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {
        {"10", true, 10},
        {"10H", true, 16},
        {"0AH", true, 10},
        {"0ah", true, 10},
        {"0A3", true, 0xA3},
        {"101B", true, 5},
        {"-5", true, -5},
        {"-", true, 0},
        {"12D", true, 12},
        {"1FH", true, 31},
        {"5h", true, 5},
        {"1b", true, 1},
        {"0FFFFFFFFH", true, -1},
        {"4294967306", true, 10},
        {"123456789H", true, 0x23456789},
        {"1" + std::string(32, '0') + "B", true, 0},
        {"-1D", true, -1},
        {"+5", true, 0},
        {"12B", true, 0},
        {"1.5", true, 0},
        {"--5", true, 0},
        {std::string(200, '9'), true, 0},
        {"", false, 0},
        {"FFH", false, 0},
        {"0A1B", false, 0},
        {"1F", false, 0},
        {"-0AH", false, 0},
        {"-101B", false, 0},
        {"1G", false, 0},
        {"1G2", false, 0},
        {"0x10", false, 0},
        {"B", false, 0},
        {"H", false, 0},
        {" 5", false, 0},
        {"\xA5\x5C", false, 0},
    };
    for (const Case& c : cases) {
        int32_t value = kUntouched;
        EXPECT_EQ(ParseNumber(c.text, value), c.ok) << '"' << c.text << '"';
        if (c.ok && c.text.size() < 100) {
            EXPECT_EQ(value, c.value) << '"' << c.text << '"';
        } else if (!c.ok) {
            EXPECT_EQ(value, kUntouched) << '"' << c.text << '"'; // failure writes nothing
        }
    }
}

TEST(NumberText, DigitParsersGiveZeroForForeignCharacters) {
    EXPECT_EQ(ParseDecimal("-12"), -12);
    EXPECT_EQ(ParseDecimal("+5"), 0);
    EXPECT_EQ(ParseDecimal("1-2"), 0);
    EXPECT_EQ(ParseDecimal(""), 0);
    EXPECT_EQ(ParseDecimal("2147483648"), INT32_MIN); // wraps like the 32-bit original
    EXPECT_EQ(ParseHex("fF"), 0xFFu);
    EXPECT_EQ(ParseHex("1G"), 0u);
    EXPECT_EQ(ParseHex("DEADBEEF"), 0xDEADBEEFu);
    EXPECT_EQ(ParseBinary("1111"), 15u);
    EXPECT_EQ(ParseBinary("102"), 0u);
}

TEST(NumberText, PaddedTextsNeverCut) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {HexPad(5, 2), "05"},
        {HexPad(0x1234, 2), "1234"},
        {HexPad(0, 0), "0"},
        {HexPad(0, 3), "000"},
        {HexPad(0xabc, 3), "ABC"},
        {HexPad(0xFFFF, -4), "FFFF"},
        {DecPad(7, 3), "007"},
        {DecPad(65535, 2), "65535"},
        {DecPad(0, 1), "0"},
        {HexText(0), "0"},
        {HexText(1u << 28), "10000000"},
        {HexText(0xFFFFFFFFu), "FFFFFFFF"},
        {HexText(0xabc), "ABC"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, c.expected);
}

TEST(ScreenRect, ClampToScreenKeepsWindowsReachable) {
    struct Case {
        ScreenRect window;
        ScreenRect expected;
    };
    // Screen of 1024 x 768 pixels.
    const Case cases[] = {
        {{100, 50, 400, 300}, {100, 50, 400, 300}},     // inside: unchanged
        {{0, 0, 2000, 1000}, {0, 0, 1024, 768}},        // larger than the screen: shrunk
        {{1100, 800, 300, 200}, {724, 568, 300, 200}},  // beyond the edge: ends at the edge
        {{1024, 768, 300, 200}, {724, 568, 300, 200}},  // exactly at the edge is beyond it
        {{1010, 760, 300, 200}, {1004, 748, 300, 200}}, // within the last 20 pixels
        {{1004, 748, 300, 200}, {1004, 748, 300, 200}}, // 20 pixels before the edge: kept
    };
    for (const Case& c : cases) EXPECT_EQ(ClampToScreen(c.window, 1024, 768), c.expected);
}

} // namespace
} // namespace qn
