// The RAM panel's state: shown cells, marks, the RAM file and the spreadsheet cells.
#include "ChipTestFiles.h"
#include "chip/RamFiles.h"
#include "chip/RamPanelState.h"
#include "files/Cp950Text.h"
#include "files/TextFile.h"

#include <algorithm>

namespace qn {
namespace {

// RAM at 0x80..0x17F, a 4-bit register at 0x10 holding 0xA5; address 0 unimplemented.
class RamFileTest : public test::ChipFileTest {
  protected:
    RamFileTest() {
        for (int a = 0x80; a < 0x180; ++a) model.ImplementedMask[static_cast<size_t>(a)] = 0xFF;
        model.ImplementedMask[0x10] = 0x0F;
        image[0x10] = 0xA5;
        image[0x85] = 0x3C;
    }
    RegisterWriter Into(RegImageBytes& target) {
        return [&target](int a, uint8_t v) { target[static_cast<size_t>(a)] = v; };
    }
    RegImageBytes image{};
    RamPanelState state;
};

TEST_F(RamFileTest, RamFileRoundTripsByteForByte) {
    ASSERT_TRUE(state.SetMark(model, 0x81));
    ASSERT_TRUE(state.SetMark(model, 0x90, 0x0000FF));
    ASSERT_TRUE(state.SetHint(model, 0x82, Utf8ToCp950("中文")));
    const std::string file = (dir / "a.ram").string();
    std::string problem;
    ASSERT_TRUE(SaveRamFile(file, state, model, image, problem)) << problem;
    std::string text;
    ASSERT_TRUE(ReadFileContents(file, text));
    EXPECT_EQ(text.substr(0, 3), "-\r\n");
    EXPECT_NE(text.find("\r\nA5\r\n"), std::string::npos) << "the image byte, not masked";
    EXPECT_NE(text.find("\r\n 0 1\r\n0\r\n\xA4\xA4\xA4\xE5\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n 1 0\r\n16711680\r\n"), std::string::npos) << "blue as BGR";
    EXPECT_EQ(SplitTextLines(text).size(), 512u + 3 * 512);

    RegImageBytes loaded{};
    RamPanelState fresh;
    // The panel refreshes between the values and the marks: values stored, marks not yet.
    bool valuesFirst = false;
    const auto between = [&] { valuesFirst = loaded[0x10] == 0xA5 && !fresh.MarkAt(0x81).Marked; };
    ASSERT_TRUE(LoadRamFile(file, fresh, model, Into(loaded), between, problem)) << problem;
    EXPECT_TRUE(valuesFirst);
    EXPECT_EQ(fresh.RamFileText(model, loaded), text);
}

TEST_F(RamFileTest, ShortFileReadsMissingLinesAsEmpty) {
    model.ImplementedMask[0] = 0xFF;
    image.fill(0x77);
    state.SetMark(model, 0x80);
    state.SetHint(model, 0x80, "x");
    RamPanelState::LoadRamValues(std::vector<std::string_view>{"12", "zz"}, model, Into(image));
    state.LoadRamMarks({});
    // A missing value line reads 0; the image past the file's 512 addresses stays.
    EXPECT_EQ(std::tuple(image[0], image[0x80], image[0x200]), std::tuple(0x12, 0, 0x77));
    EXPECT_EQ(std::tuple(state.MarkAt(0x80).Marked, state.MarkAt(0x80).Colour,
                         state.HintAt(0x80).Hinted, state.HintAt(0x80).Text),
              std::tuple(false, 0u, false, ""));
}

TEST_F(RamFileTest, CellsShowMaskedValuesAndBanksMapToAddresses) {
    state.RefreshRam(model, image, false);
    EXPECT_EQ(std::tuple(state.Cells()[0x10].Text, state.Cells()[0x11].Text),
              std::tuple("05", "-"));
    EXPECT_EQ(std::tuple(RamRowHeading(2, 1), RamRowHeading(2, 16)), std::tuple("200", "2F0"));
    EXPECT_EQ(std::tuple(RamCellAddress(2, 3, 2), RamCellAddress(2, 0, 2)), std::tuple(0x212, -1));
    // Bank 4 lies past the 1024-byte image: nothing shown there takes a mark or a hint.
    model.CurrentBank = 4;
    model.ImplementedMask.fill(0xFF);
    state.RefreshRam(model, image, true);
    for (const RamCell& cell : state.Cells()) EXPECT_EQ(cell.Text, "-");
    EXPECT_EQ(state.Cells()[255].Address, 1279);
    EXPECT_FALSE(state.SetMark(model, 1030) || state.SetHint(model, 1279, "x") ||
                 state.MarkAt(1030).Marked);
}

// A file that cannot be read says why and changes nothing.
TEST_F(RamFileTest, UnreadableFileLoadsNothing) {
    state.SetMark(model, 0x80);
    std::string problem;
    bool stored = false;
    EXPECT_FALSE(LoadRamFile((dir / "none.ram").string(), state, model,
                             [&](int, uint8_t) { stored = true; }, [] {}, problem));
    EXPECT_NE(problem.find("none.ram"), std::string::npos) << problem;
    EXPECT_FALSE(stored);
    EXPECT_TRUE(state.MarkAt(0x80).Marked);
}

// Sheet cells: a = 16r + c at row r + 3, value at column c + 3, hex text at column c + 20.
TEST_F(RamFileTest, SheetHoldsValuesAndHexTextsOfTheMemory) {
    test::RecordingSheets sheets;
    ASSERT_TRUE(SaveRamSheet(sheets, "ram.xlsx", model, image));
    EXPECT_EQ(std::tie(sheets.Path, sheets.Name), std::tuple("ram.xlsx", "USER Data"));
    EXPECT_EQ(sheets.Cells.size(), 2u * 512);
    const SheetCell cases[] = {
        {3, 3, false, 0, "-"},     // address 0: unimplemented
        {11, 8, true, 60, ""},     // 0x85
        {11, 25, false, 0, "3Ch"}, // 0x85 as hex text
        {4, 20, false, 0, "05h"},  // 0x10: the implemented bits only
    };
    for (const SheetCell& c : cases) {
        EXPECT_TRUE(std::ranges::any_of(
            sheets.Cells,
            [&](const SheetCell& s) {
                return std::tie(s.Row, s.Column, s.IsNumber, s.Number, s.Text) ==
                       std::tie(c.Row, c.Column, c.IsNumber, c.Number, c.Text);
            }))
            << c.Row << "," << c.Column;
    }
    sheets.Result = false;
    EXPECT_FALSE(SaveRamSheet(sheets, "ram.xlsx", model, image));
}

} // namespace
} // namespace qn
