// QnADC.cfg: values the file cannot hold or the load refuses, and what is kept instead.
#include "SettingsFixture.h"

#include <functional>
#include <map>

namespace qn::test {
namespace {

// A file saved from the defaults, with the given line numbers (1 = title) replaced.
std::string FileWithLines(const std::map<size_t, std::string>& replaced) {
    STND stnd;
    std::array<uint8_t, 6> a{}, b{};
    LinkOptions options;
    Settings values;
    std::string defaults = FormatConfig({stnd, a, b, options, values});
    std::vector<std::string_view> lines = SplitTextLines(defaults);
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        auto found = replaced.find(i + 1);
        AppendLine(out, found == replaced.end() ? lines[i] : found->second);
    }
    return out;
}

struct MendCase {
    size_t line; // 1 = title
    std::string text;
    std::string note; // part of the note the load gives
    std::function<bool(const Settings&, const std::array<uint8_t, 6>&, const LinkOptions&)> kept;
};

TEST_F(ConfigFixture, RefusedValuesAreKeptNotedAndTheLoadGoesOn) {
    const Settings d;
    const std::vector<MendCase> cases = {
        {13, "  99   4", "NPointIndex 99",
         [&](const Settings& v, auto&, auto&) {
             return v.Analysis.NPointIndex == d.Analysis.NPointIndex &&
                    v.Analysis.NPoint == d.Analysis.NPoint && v.Analysis.TXScale == 4 &&
                    v.Analysis.ScaleDiv == 2048;
         }},
        {13, "   1  -3", "TXScale -3",
         [&](const Settings& v, auto&, auto&) {
             return v.Analysis.NPoint == 128 && v.Analysis.ScaleDiv == d.Analysis.ScaleDiv &&
                    v.Analysis.ScaleBits == d.Analysis.ScaleBits;
         }},
        {12, "16", "TXADCObit 16",
         [&](const Settings& v, auto&, auto&) { return v.AdcPanel == d.AdcPanel; }},
        {11, "2", "TXADCOMD 2",
         [&](const Settings& v, auto&, auto&) { return v.AdcPanel == d.AdcPanel; }},
        {10, "256", "CurrentBank 256",
         [&](const Settings& v, auto&, auto&) { return v.Pages == d.Pages; }},
        {15, "abc", "CFunADC is not a number",
         [&](const Settings& v, auto&, auto&) { return v.Analysis.CFunADC == d.Analysis.CFunADC; }},
        {15, "12abc", "CFunADC is not a number",
         [&](const Settings& v, auto&, auto&) { return v.Analysis.CFunADC == d.Analysis.CFunADC; }},
        {15, "99999999999", "CFunADC is not a number",
         [&](const Settings& v, auto&, auto&) { return v.Analysis.CFunADC == d.Analysis.CFunADC; }},
        {18, "  12 300  56  78  90 255", "AdcPresetA 300",
         [](const Settings&, const std::array<uint8_t, 6>& a, auto&) {
             return a == std::array<uint8_t, 6>{12, 0, 56, 78, 90, 255};
         }},
        {20, "   2", "ComFun 2",
         [](const Settings&, auto&, const LinkOptions& o) { return o.FunctionChoice == 0; }},
        {24, "   6", "CMAVR 6",
         [&](const Settings& v, auto&, auto&) { return v.Analysis.CMAVR == d.Analysis.CMAVR; }},
        {26, "   x      1", "EGv is not a number",
         [&](const Settings& v, auto&, auto&) {
             return v.Analysis.EGv == d.Analysis.EGv && !v.Analysis.ChTemper;
         }},
        {2, "   1 COM  ", "Interface is not a number",
         [](const Settings&, auto&, auto&) { return true; }},
    };
    for (const MendCase& c : cases) {
        SCOPED_TRACE(c.text);
        values = Settings{};
        presetA = {};
        options = LinkOptions{};
        // CHFULL (line 25) ticked in the file shows that the load went on after the fault.
        ConfigLoadResult result = LoadText(FileWithLines({{c.line, c.text}, {25, "   1"}}));
        ASSERT_EQ(result.SectionsRead, kConfigSections);
        ASSERT_FALSE(result.Mended.empty());
        std::string onLine = "line " + DecimalText(static_cast<int64_t>(c.line)) + ": ";
        for (const std::string& note : result.Mended) EXPECT_EQ(note.rfind(onLine, 0), 0u) << note;
        EXPECT_NE(result.Mended[0].find(c.note), std::string::npos) << result.Mended[0];
        EXPECT_TRUE(c.kept(values, presetA, options));
        EXPECT_TRUE(values.TempTest.CHFULL);
    }
}

TEST_F(ConfigFixture, SavedFieldsSurviveTheirOwnLoad) {
    values.Analysis.CalValue = 123456789; // wider than its field, next to a full one
    values.Analysis.CalReading = -1234567;
    values.Analysis.EREFV = "2.048\r\n   5";
    values.Analysis.EGv = " 12 ";
    values.Analysis.CMAVR = 4;
    ASSERT_TRUE(SaveConfig(path, targets));
    values = Settings{};
    ConfigLoadResult result = LoadConfig(path, targets, SelectChip());
    EXPECT_TRUE(result.Mended.empty());
    EXPECT_EQ(values.Analysis.CalValue, 123456789);
    EXPECT_EQ(values.Analysis.CalReading, -1234567);
    EXPECT_EQ(values.Analysis.EREFV, "2.048");
    EXPECT_EQ(values.Analysis.CMAVR, 4);
    EXPECT_EQ(values.Analysis.EGv, "12");

    values.Analysis.EGv = "gain";
    ASSERT_TRUE(SaveConfig(path, targets));
    std::string saved = Slurp(path);
    EXPECT_EQ(SplitTextLines(saved).back(), "   500     0");
}

TEST(ConfigFreeFormat, IntegersAreReadBetweenBlanksAndSigns) {
    struct Case {
        const char* line;
        std::vector<std::optional<int32_t>> values;
    };
    const std::vector<Case> cases = {
        {"   1   2   3", {1, 2, 3}},
        {"\t+4 -5", {4, -5, std::nullopt}},
        {"-1200-1200", {-1200, -1200, std::nullopt}},
        {"7 x 8", {7, std::nullopt, std::nullopt}},
        {"", {std::nullopt, std::nullopt, std::nullopt}},
        {"1 2 3 4", {1, 2, 3}},
        {"3.5", {std::nullopt, std::nullopt, std::nullopt}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<std::optional<int32_t>> read(3);
        ReadFreeIntegers(c.line, read);
        EXPECT_EQ(read, c.values);
    }
}

} // namespace
} // namespace qn::test
