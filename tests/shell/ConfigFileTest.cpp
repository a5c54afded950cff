// QnADC.cfg: save and load round trip, the load cases, refused values, locale independence.
#include "SettingsFixture.h"

#include <locale>
#include <map>
#include <optional>
#include <tuple>

namespace qn::test {
namespace {

// Every value differs from its default; the forced values (QN740x, COM16, 9600, no parity,
// optocoupler, ChangeMode off) are already in place, so loading and saving gives the same bytes.
const std::string kFixedPoint = "Qn-740xTEST V1.3\r\n   3   5  15   5   0\r\n"
                                "TRUE\r\nFALSE\r\nTRUE\r\nFALSE\r\nFALSE\r\nTRUE\r\n"
                                " 1\r\n 2\r\n1\r\n12\r\n   4  10\r\nFALSE\r\n   1\r\n   2\r\n"
                                "  250000   40000\r\n  12  34  56  78  90 255\r\n"
                                "   0   1   2   3   4   5\r\n   1\r\n   3\r\n   1\r\n2.5\r\n"
                                "   3\r\n   1\r\n   480     1\r\n";

// `base` with the given line numbers (1 = title) replaced, or cut after line `keep`.
std::string Edited(const std::string& base, const std::map<size_t, std::string>& replaced,
                   size_t keep = SIZE_MAX) {
    std::vector<std::string_view> lines = SplitTextLines(base);
    std::string out;
    for (size_t i = 0; i < lines.size() && i < keep; ++i) {
        auto found = replaced.find(i + 1);
        AppendLine(out, found == replaced.end() ? lines[i] : found->second);
    }
    return out;
}

// The file loads and saves byte for byte, in the German locale too (a decimal comma and a point
// between groups of three digits, in both the C and C++ locales): 250000 and 40000 are written
// without a point. A byte-order mark before the title is skipped, and lines ending in CR alone
// read as lines.
TEST_F(ConfigFixture, FixedPointFileLoadsAndSavesByteForByteInTheGermanLocale) {
    std::string crOnly = kFixedPoint;
    std::erase(crOnly, '\n');
    const std::locale old = std::locale::global(std::locale("de_DE.UTF-8")); // throws if missing
    for (const std::string& file : {kFixedPoint, "\xEF\xBB\xBF" + kFixedPoint, crOnly}) {
        SCOPED_TRACE(file.substr(0, 20));
        Fresh();
        ConfigLoadResult result = LoadText(file);
        EXPECT_EQ(result.Outcome, ConfigOutcome::Loaded) << result.Problem;
        EXPECT_EQ(result.SectionsRead, kConfigSections);
        EXPECT_TRUE(result.Mended.empty());
        EXPECT_EQ(chipsSelected, std::vector<uint16_t>{3});
        EXPECT_EQ(presetA, (std::array<uint8_t, 6>{12, 34, 56, 78, 90, 255}));
        // Derived from the selected items, not written back.
        EXPECT_EQ(std::tuple(values.AdcPanel.Divisor, values.Analysis.NPoint,
                             values.Analysis.ScaleDiv, values.Analysis.ScaleBits),
                  std::tuple(8, 1024, 32, 18));
        EXPECT_TRUE(SaveConfig(folder.File("copy.cfg"), targets));
        EXPECT_EQ(Slurp(folder.File("copy.cfg")), kFixedPoint);
    }
    std::locale::global(old);
}

TEST_F(ConfigFixture, MissingFileIsWrittenFromTheCurrentStateThenRead) {
    options.Optocoupler = false;
    ConfigLoadResult result = LoadConfig(path, targets, SelectChip());
    EXPECT_TRUE(result.Created);
    EXPECT_EQ(result.SectionsRead, kConfigSections);
    const std::string written = Slurp(path);
    EXPECT_EQ(SplitTextLines(written)[21], "   0"); // written before the box is ticked
    EXPECT_EQ(chipsSelected, std::vector<uint16_t>{0});
    EXPECT_TRUE(options.Optocoupler);
}

// Whatever a file holds or lacks, the forced link settings are in place after its load (the forced
// serial settings are checked after every load of the config file fuzz target's corpus).
TEST_F(ConfigFixture, LoadCases) {
    // Loads `file` into a fresh state and checks what every load does.
    const auto load = [&](const std::string& file) {
        Fresh();
        values.Analysis.EREFV = "kept";
        options.Optocoupler = false;
        const ConfigLoadResult result = LoadText(file);
        EXPECT_EQ(result.Outcome, ConfigOutcome::Loaded);
        EXPECT_EQ(chipsSelected, std::vector<uint16_t>{stnd.Chip});
        EXPECT_EQ(interfaceAtSelection, std::vector<uint16_t>{kLinkQn740x});
        EXPECT_EQ(stnd.Interface, kLinkQn740x); // whatever the selection chose
        EXPECT_TRUE(options.Optocoupler);
        return result;
    };
    const ConfigLoadResult titleOnly = load(Edited(kFixedPoint, {}, 1));
    EXPECT_EQ(titleOnly.SectionsRead, 0);
    EXPECT_EQ(values.Analysis.EREFV, "kept");
    EXPECT_TRUE(titleOnly.View.HideSetupControls);
    load(Edited(kFixedPoint, {{3, "1"}, {4, "true"}}));
    EXPECT_EQ(values.Flags, (ConfigFlags{false, true, true, false, false, true}));
    load(Edited(kFixedPoint, {{17, "       0   50000"}}));
    EXPECT_EQ(values.Analysis.CalValue, 500000);
    EXPECT_EQ(values.Analysis.CalReading, 50000);
    load(Edited(kFixedPoint, {{2, "2 2 3 1 2"}})); // chip 2 with other link settings
    EXPECT_EQ(stnd.Chip, 2);
    load(Edited(kFixedPoint, {{23, "2.5\r"}})); // a stray CR is not taken into the box
    EXPECT_EQ(values.Analysis.EREFV, "2.5");
    const ConfigLoadResult twoSections = load(Edited(kFixedPoint, {}, 5));
    EXPECT_EQ(twoSections.SectionsRead, 2);
    EXPECT_EQ(values.Flags, (ConfigFlags{true, false, true, false, false, false}));
    EXPECT_EQ(values.Analysis.EREFV, "kept");
    EXPECT_TRUE(twoSections.Mended.empty());
}

// A file that cannot be used (no title, empty, a folder) is left as it is, says why, and the
// start goes on as with a missing file: the current settings, the "QN740x" link and chip
// selection.
TEST_F(ConfigFixture, UnusableFileIsNamedLeftAndTheDefaultsAreUsed) {
    // The file's text (none: a folder in its place) and what the problem says.
    const std::pair<std::optional<std::string>, const char*> cases[] = {
        {Edited(kFixedPoint, {{1, "Qn-740xTEST V1.2"}}),
         "QnADC.cfg\": the first line is \"Qn-740xTEST V1.2\", not \"Qn-740xTEST V1.3\"; default "
         "settings used"},
        {Edited(kFixedPoint, {{1, "Qn-740xTEST V1.3 "}}),
         "the first line is \"Qn-740xTEST V1.3 \", not"},
        {Edited(kFixedPoint, {{1, std::string(100000, 'x')}}), "(100000 bytes), not"},
        {" ", "the first line is \" \""},
        {"", "the file is empty; default settings used"},
        {std::nullopt, "QnADC.cfg\" is a folder, not a file; default settings used"},
    };
    for (const auto& [text, says] : cases) {
        SCOPED_TRACE(says);
        Fresh();
        ASSERT_TRUE(text
                        ? ReplaceFileContents(path, *text)
                        : std::filesystem::remove(path) && std::filesystem::create_directory(path));
        const ConfigLoadResult result = LoadConfig(path, targets, SelectChip());
        EXPECT_EQ(result.Outcome, text ? ConfigOutcome::WrongTitle : ConfigOutcome::Unreadable);
        EXPECT_NE(result.Problem.find(says), std::string::npos) << result.Problem;
        EXPECT_LT(result.Problem.size(), 500u);
        EXPECT_FALSE(result.Created);
        EXPECT_EQ(chipsSelected, std::vector<uint16_t>{0});
        EXPECT_EQ(interfaceAtSelection, std::vector<uint16_t>{kLinkQn740x});
        EXPECT_EQ(values.Analysis, Settings{}.Analysis);
        EXPECT_TRUE(text ? Slurp(path) == *text : std::filesystem::is_directory(path))
            << "the file is left as it is";
    }
}

TEST_F(ConfigFixture, RefusedValuesAreKeptNotedAndTheLoadGoesOn) {
    ASSERT_TRUE(LoadText(kFixedPoint).Mended.empty());
    const Settings loaded = values;
    const std::array<uint8_t, 6> loadedPreset = presetA;
    // The line (1 = title), its text, the note it gives.
    const std::tuple<size_t, std::string, const char*> cases[] = {
        {2, "   3 COM", "Interface is not a number"},
        {10, "256", "CurrentBank 256"},
        {11, "2", "TXADCOMD 2"},
        {12, "16", "TXADCObit 16"},
        {13, "  99  10", "NPointIndex 99"},
        {13, "   4  -3", "TXScale -3"},
        {15, "abc", "CFunADC is not a number"},
        {15, "12abc", "CFunADC is not a number"},
        {15, "99999999999", "CFunADC is not a number"},
        {18, "  12 300  56  78  90 255", "AdcPresetA 300"},
        {20, "   2", "ComFun 2"},
        {23, "-2.4", "EREFV \"-2.4\" is not a reference voltage in volts above 0; kept \"2.5\""},
        {23, "0", "EREFV \"0\""},
        {23, "nan", "EREFV \"nan\""},
        {23, "1e999", "EREFV \"1e999\""},
        {23, "2.4V", "EREFV \"2.4V\""},
        {23, "", "EREFV \"\""},
        {23, "-" + std::string(100000, '9'), "(100001 bytes)"},
        {24, "   6", "CMAVR 6"},
        {26, "   x      1", "EGv is not a number"},
    };
    for (const auto& [line, text, says] : cases) {
        SCOPED_TRACE(text.substr(0, 40));
        values = loaded;
        values.TempTest.CHFULL = false; // read again from line 25: the load went on
        ConfigLoadResult result = LoadText(Edited(kFixedPoint, {{line, text}}));
        ASSERT_FALSE(result.Mended.empty());
        const std::string onLine = "line " + DecimalText(static_cast<int64_t>(line)) + ": ";
        for (const std::string& note : result.Mended) EXPECT_EQ(note.rfind(onLine, 0), 0u) << note;
        EXPECT_NE(result.Mended[0].find(says), std::string::npos) << result.Mended[0];
        EXPECT_LT(result.Mended[0].size(), 500u);
        EXPECT_EQ(values, loaded);
        EXPECT_EQ(presetA, loadedPreset);
        EXPECT_EQ(options.FunctionChoice, 1);
    }
}

// Saving replaces the old file in place; every field, even one wider than its column, loads back.
TEST_F(ConfigFixture, SaveReplacesTheFileAndItsFieldsSurviveTheirOwnLoad) {
    ASSERT_TRUE(ReplaceFileContents(path, "old contents"));
    values.Analysis.CalValue = 123456789; // wider than its field, next to a full one
    values.Analysis.CalReading = -1234567;
    values.Analysis.EREFV = "2.048\r\n   5"; // only the first line is written
    values.Analysis.CMAVR = 4;
    values.Analysis.EGv = "gain"; // not a number: the default gain is written
    ASSERT_TRUE(SaveConfig(path, targets));
    EXPECT_EQ(folder.EntryCount(), 1) << "no temporary file left";
    AnalysisSettings expected = values.Analysis;
    expected.EREFV = "2.048";
    expected.EGv = "500";
    values = Settings{};
    EXPECT_TRUE(LoadConfig(path, targets, SelectChip()).Mended.empty());
    EXPECT_EQ(values.Analysis, expected);

    std::filesystem::create_directory(folder.File("taken"));
    EXPECT_FALSE(SaveConfig(folder.File("taken"), targets));
    EXPECT_FALSE(SaveConfig(folder.File("no/such/folder.cfg"), targets));
    EXPECT_EQ(folder.EntryCount(), 2);
}

} // namespace
} // namespace qn::test
