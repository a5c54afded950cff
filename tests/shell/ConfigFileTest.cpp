// QnADC.cfg: the written layout, load and save round trip, the load cases of the settings file.
#include "SettingsFixture.h"

#include <functional>
#include <optional>

namespace qn::test {
namespace {

// Every value differs from its default; the forced values (QN740x, COM16, 9600, no parity,
// optocoupler, ChangeMode off) are already in place, so loading and saving gives the same bytes.
const std::string kFixedPoint = "Qn-740xTEST V1.3\r\n"
                                "   3   5  15   5   0\r\n"
                                "TRUE\r\nFALSE\r\nTRUE\r\nFALSE\r\nFALSE\r\nTRUE\r\n"
                                " 1\r\n"
                                " 2\r\n"
                                "1\r\n"
                                "12\r\n"
                                "   4  10\r\n"
                                "FALSE\r\n"
                                "   1\r\n"
                                "   2\r\n"
                                "  250000   40000\r\n"
                                "  12  34  56  78  90 255\r\n"
                                "   0   1   2   3   4   5\r\n"
                                "   1\r\n"
                                "   3\r\n"
                                "   1\r\n"
                                "2.5\r\n"
                                "   3\r\n"
                                "   1\r\n"
                                "   480     1\r\n";

TEST_F(ConfigFixture, FixedPointFileLoadsEveryFieldAndSavesByteForByte) {
    ConfigLoadResult result = LoadText(kFixedPoint);
    ASSERT_EQ(result.Outcome, ConfigOutcome::Loaded);
    EXPECT_EQ(result.SectionsRead, kConfigSections);
    EXPECT_TRUE(result.Mended.empty());

    EXPECT_EQ(chipsSelected, std::vector<uint16_t>{3});
    EXPECT_EQ(values.Flags, (ConfigFlags{true, false, true, false, false, true}));
    EXPECT_EQ(values.Pages, (PanelPages{1, 2}));
    EXPECT_EQ(values.AdcPanel, (AdcPanelSettings{1, 12, 8}));
    const AnalysisSettings& a = values.Analysis;
    EXPECT_EQ(a.NPoint, 1024);
    EXPECT_EQ(a.ScaleDiv, 32);
    EXPECT_EQ(a.ScaleBits, 18);
    EXPECT_EQ(a.CFunADC, 1);
    EXPECT_EQ(values.Setup.CLPT, 2);
    EXPECT_EQ(a.CalValue, 250000);
    EXPECT_EQ(a.CalReading, 40000);
    EXPECT_EQ(presetA, (std::array<uint8_t, 6>{12, 34, 56, 78, 90, 255}));
    EXPECT_EQ(presetB, (std::array<uint8_t, 6>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(options.FunctionChoice, 1);
    EXPECT_EQ(a.ADShift, 3);
    EXPECT_EQ(a.EREFV, "2.5");
    EXPECT_EQ(a.CMAVR, 3);
    EXPECT_TRUE(values.TempTest.CHFULL);
    EXPECT_EQ(a.EGv, "480");
    EXPECT_TRUE(a.ChTemper);

    std::string copy = folder.File("copy.cfg");
    ASSERT_TRUE(SaveConfig(copy, targets));
    EXPECT_EQ(Slurp(copy), kFixedPoint);
}

TEST_F(ConfigFixture, MissingFileIsWrittenFromTheCurrentStateThenRead) {
    options.Optocoupler = false;
    ConfigLoadResult result = LoadConfig(path, targets, SelectChip());
    EXPECT_TRUE(result.Created);
    EXPECT_EQ(result.SectionsRead, kConfigSections);
    std::string written = Slurp(path);
    std::vector<std::string_view> lines = SplitTextLines(written);
    ASSERT_EQ(lines.size(), 26u);
    EXPECT_EQ(lines[1], "   0   0   0   0   0"); // written before the forced values
    EXPECT_EQ(lines[21], "   0");                // optocoupler as it was before the load
    EXPECT_EQ(lines[25], "   500     0");
    EXPECT_EQ(chipsSelected, std::vector<uint16_t>{0});
    EXPECT_EQ(stnd.BaudIndex, kForcedBaudIndex);
    EXPECT_TRUE(options.Optocoupler);
}

// kFixedPoint with line number `line` (1 = title) replaced, or its first `keep` lines.
std::string WithLine(size_t line, const std::string& text) {
    std::vector<std::string_view> lines = SplitTextLines(kFixedPoint);
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) AppendLine(out, i + 1 == line ? text : lines[i]);
    return out;
}
std::string FirstLines(size_t keep) {
    std::vector<std::string_view> lines = SplitTextLines(kFixedPoint);
    std::string out;
    for (size_t i = 0; i < keep; ++i) AppendLine(out, lines[i]);
    return out;
}

struct LoadCase {
    const char* name;
    std::string file;
    std::function<void(const ConfigLoadResult&, const STND&, const Settings&, const LinkOptions&)>
        check;
};

TEST_F(ConfigFixture, LoadCases) {
    const Settings defaults;
    const std::vector<LoadCase> cases = {
        {"title only", FirstLines(1),
         [&](const ConfigLoadResult& r, const STND& s, const Settings& v, const LinkOptions& o) {
             EXPECT_EQ(r.SectionsRead, 0);
             EXPECT_EQ(s.Interface, kLinkQn740x);
             EXPECT_EQ(s.ComIndex, kForcedComIndex);
             EXPECT_EQ(s.BaudIndex, kForcedBaudIndex);
             EXPECT_EQ(v, defaults);
             EXPECT_TRUE(o.Optocoupler);
             EXPECT_TRUE(r.View.HideSetupControls);
             EXPECT_FALSE(r.View.ShowAnalysisGrid);
         }},
        {"lower-case true", WithLine(3, "true"),
         [](const ConfigLoadResult&, const STND&, const Settings& v, const LinkOptions&) {
             EXPECT_TRUE(v.Flags[0]);
         }},
        {"flag 1 reads as false", WithLine(4, "1"),
         [](const ConfigLoadResult&, const STND&, const Settings& v, const LinkOptions&) {
             EXPECT_FALSE(v.Flags[1]);
             EXPECT_TRUE(v.Flags[2]);
         }},
        {"flag with blanks around", WithLine(5, "  True "),
         [](const ConfigLoadResult&, const STND&, const Settings& v, const LinkOptions&) {
             EXPECT_TRUE(v.Flags[2]);
         }},
        {"calibration 0 and 50000", WithLine(17, "       0   50000"),
         [](const ConfigLoadResult&, const STND&, const Settings& v, const LinkOptions&) {
             EXPECT_EQ(v.Analysis.CalValue, 500000);
             EXPECT_EQ(v.Analysis.CalReading, 50000);
         }},
        {"calibration reading 0", WithLine(17, "     123       0"),
         [](const ConfigLoadResult&, const STND&, const Settings& v, const LinkOptions&) {
             EXPECT_EQ(v.Analysis.CalValue, 500000);
             EXPECT_EQ(v.Analysis.CalReading, 50000);
         }},
        {"interface and serial values ignored", WithLine(2, "2 2 3 1 2"),
         [](const ConfigLoadResult&, const STND& s, const Settings&, const LinkOptions&) {
             EXPECT_EQ(s.Chip, 2);
             EXPECT_EQ(s.Interface, kLinkQn740x);
             EXPECT_EQ(s.ComIndex, kForcedComIndex);
             EXPECT_EQ(s.BaudIndex, kForcedBaudIndex);
             EXPECT_EQ(s.ParityIndex, kForcedParityIndex);
         }},
        {"LPT entry 7 selects none", WithLine(16, "   7"),
         [](const ConfigLoadResult&, const STND&, const Settings& v, const LinkOptions&) {
             EXPECT_EQ(v.Setup.CLPT, -1);
             EXPECT_EQ(LptAddress(v.Setup.CLPT), 0x378);
         }},
        {"optocoupler 0 is ticked anyway", WithLine(22, "   0"),
         [](const ConfigLoadResult&, const STND&, const Settings&, const LinkOptions& o) {
             EXPECT_TRUE(o.Optocoupler);
         }},
        {"ChangeMode TRUE is dropped", WithLine(14, "TRUE"),
         [](const ConfigLoadResult& r, const STND&, const Settings& v, const LinkOptions&) {
             EXPECT_FALSE(v.Analysis.ChangeMode);
             EXPECT_TRUE(r.View.ShowAnalysisGrid);
         }},
        {"EGv written with zeros and ChTemper 2", WithLine(26, "0480 2"),
         [](const ConfigLoadResult&, const STND&, const Settings& v, const LinkOptions&) {
             EXPECT_EQ(v.Analysis.EGv, "480");
             EXPECT_FALSE(v.Analysis.ChTemper);
         }},
        {"free-format spacing and LF ends", "Qn-740xTEST V1.3\n\t3\n",
         [](const ConfigLoadResult& r, const STND& s, const Settings&, const LinkOptions&) {
             EXPECT_EQ(s.Chip, 3);
             EXPECT_EQ(r.SectionsRead, 1);
         }},
        {"file ends inside the flags", FirstLines(5),
         [&](const ConfigLoadResult& r, const STND&, const Settings& v, const LinkOptions&) {
             EXPECT_EQ(r.SectionsRead, 2);
             EXPECT_EQ(v.Flags, (ConfigFlags{true, false, true, false, false, false}));
             EXPECT_TRUE(r.Mended.empty());
         }},
        {"file ends after the analysis line", FirstLines(14),
         [&](const ConfigLoadResult& r, const STND&, const Settings& v, const LinkOptions& o) {
             EXPECT_EQ(r.SectionsRead, 5);
             EXPECT_EQ(v.Analysis.NPoint, 1024);
             EXPECT_EQ(v.Analysis.EREFV, defaults.Analysis.EREFV);
             EXPECT_EQ(v.Setup, defaults.Setup);
             EXPECT_TRUE(o.Optocoupler);
         }},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        stnd = STND{};
        values = Settings{};
        options = LinkOptions{};
        options.Optocoupler = false;
        interfaceChosenByChip = kLinkSpecial;
        chipsSelected.clear();
        interfaceAtSelection.clear();
        ConfigLoadResult result = LoadText(c.file);
        ASSERT_EQ(result.Outcome, ConfigOutcome::Loaded);
        EXPECT_EQ(chipsSelected, std::vector<uint16_t>{stnd.Chip});
        EXPECT_EQ(interfaceAtSelection, std::vector<uint16_t>{kLinkQn740x});
        EXPECT_EQ(stnd.Interface, kLinkQn740x);
        c.check(result, stnd, values, options);
    }
}

TEST_F(ConfigFixture, WrongTitleLoadsNothingAndLeavesTheFile) {
    for (const char* title : {"Qn-740xTEST V1.2", "qn-740xtest v1.3", "Qn-740xTEST V1.3 ", ""}) {
        SCOPED_TRACE(title);
        std::string file = WithLine(1, title);
        ConfigLoadResult result = LoadText(file);
        EXPECT_EQ(result.Outcome, ConfigOutcome::WrongTitle);
        EXPECT_TRUE(chipsSelected.empty());
        EXPECT_EQ(stnd.Interface, kLinkRs232);
        EXPECT_EQ(stnd.Chip, 0);
        EXPECT_EQ(values, Settings{});
        EXPECT_FALSE(result.View.HideSetupControls);
        EXPECT_EQ(Slurp(path), file);
    }
}

TEST_F(ConfigFixture, SaveReplacesTheFileAndLeavesNoTemporaryFile) {
    Spit(path, "old contents");
    ASSERT_TRUE(SaveConfig(path, targets));
    EXPECT_EQ(Slurp(path), FormatConfig(targets));
    EXPECT_EQ(folder.EntryCount(), 1u);

    std::filesystem::create_directory(folder.File("taken"));
    EXPECT_FALSE(SaveConfig(folder.File("taken"), targets));
    EXPECT_FALSE(SaveConfig(folder.File("no/such/folder.cfg"), targets));
    EXPECT_EQ(folder.EntryCount(), 2u);
}

TEST(SelectionHandlers, SampleCountScaleAndOutputWidthFollowTheirLists) {
    // Item, NPoint of "Sample Point", ScaleDiv and ScaleBits of "Scale" (also the ADC panel's
    // divisor); nothing where the item is not in the list.
    struct Case {
        int32_t item;
        std::optional<int32_t> nPoint, scaleDiv;
        int32_t scaleBits;
    };
    const std::vector<Case> cases = {{0, 64, 32768, 8},
                                     {2, 256, 8192, 10},
                                     {10, 65536, 32, 18},
                                     {11, std::nullopt, 16, 19},
                                     {15, std::nullopt, 1, 23},
                                     {16, std::nullopt, std::nullopt, 0},
                                     {-1, std::nullopt, std::nullopt, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        AnalysisSettings a;
        EXPECT_EQ(NPointIndexChange(a, c.item), c.nPoint.has_value());
        EXPECT_EQ(a.NPoint, c.nPoint.value_or(256));
        EXPECT_EQ(TXScaleChange(a, c.item), c.scaleDiv.has_value());
        EXPECT_EQ(a.ScaleDiv, c.scaleDiv.value_or(1));
        EXPECT_EQ(a.ScaleBits, c.scaleDiv ? c.scaleBits : 23);
        AdcPanelSettings p;
        EXPECT_EQ(TXADCObitChange(p, c.item), c.scaleDiv.has_value());
        EXPECT_EQ(p.Divisor, c.scaleDiv.value_or(256));
    }
}

} // namespace
} // namespace qn::test
