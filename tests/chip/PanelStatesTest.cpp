// The chip panels' states. The register and RAM panels' edits: typed cells and keypad digits, field
// read-modify-write, edits as register writes, change detection of the image, core figures, bit
// menus and pages. The ADC panel's fields: what each control shows for a register image, and the
// register bytes its controls write. The RAM panel: shown cells, marks, the RAM file and the
// spreadsheet cells.
#include "ChipTestFiles.h"
#include "chip/AdcPanelState.h"
#include "chip/HexEntry.h"
#include "chip/RamFiles.h"
#include "chip/RamPanelState.h"
#include "chip/RegField.h"
#include "chip/RegisterPanelState.h"
#include "chip/RegisterRefresh.h"
#include "files/Cp950Text.h"
#include "files/TextFile.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <vector>

namespace qn::test {
namespace {

TEST(RegisterEditsTest, BitEditsWriteTheWholeByteAndWordsGoHighByteFirst) {
    // The byte, the bit, its new state, the byte written.
    const std::tuple<uint8_t, int, bool, uint8_t> cases[] = {
        {0x00, 7, true, 0x80},  {0x81, 0, true, 0x81},  {0xFF, 3, false, 0xF7},
        {0x10, 4, false, 0x00}, {0x10, 0, false, 0x10},
    };
    RegImageBytes image{};
    for (const auto& [old, bit, set, written] : cases) {
        image[0x3C] = old;
        EXPECT_EQ(BitWrite(image, {0x3C, bit}, set), (RegisterWrite{0x3C, written}))
            << int{old} << " bit " << bit;
    }
    // Words and pointers go high byte first.
    EXPECT_EQ(WordWrites(0x20, 0x21, 0x1234), (RegisterWrites{{0x20, 0x12}, {0x21, 0x34}}));
    EXPECT_EQ(FsrWrites(1, 0x1A5), (RegisterWrites{{0x11, 0x01}, {0x12, 0xA5}}));
}

TEST(RegisterEditsTest, CoreFiguresReadInsideTheImageOnly) {
    RegImageBytes image{};
    image[0x29] = 0x7;
    image[0x0F] = 0x03, image[0x10] = 0xFF, image[0x3FF] = 0x5A;
    image[0x11] = image[0x12] = 0xFF; // FSR1 = FFFF, far beyond the image
    const CoreFigures f = CoreFigureTexts(image);
    EXPECT_EQ(std::tuple(f.Work, f.Fsr[0], f.Ind[0], f.Fsr[1], f.Ind[1]),
              std::tuple("07", "3FF", "5A", "FFFF", "00"));

    FigureMark mark; // changed since last shown, unless marks are suppressed
    const std::tuple<uint16_t, bool, bool> shows[] = {
        {5, false, true}, {5, false, false}, {6, true, false}, {6, false, false}};
    for (const auto& [value, suppressed, highlighted] : shows)
        EXPECT_EQ(mark.Show(value, suppressed), highlighted) << value << suppressed;
}

TEST_F(ChipFileTest, BitMenusAndPageFallBack) {
    ASSERT_TRUE(SelectBody("#REGBIT\n30H R0 A B C D E F G -\n31H R1 A B C D E F G H\n"
                           "#REGBIT2\n32H R2 A B C D E F G H\n33H R3 A B C D E F G H\n"));
    // Page, row and column of a cell; the address and bit of its menu (address -1: no menu).
    const std::tuple<int, int, int, int, int> cases[] = {
        {0, 0, 1, 0x30, 7}, {0, 0, 7, 0x30, 1}, {0, 0, 8, -1, 0}, // bit named "-"
        {0, 1, 3, -1, 0},   {2, 0, 4, -1, 0},   {2, 1, 8, 0x33, 0},
        {0, 0, 0, -1, 0},   {0, 2, 1, -1, 0},   {1, 0, 1, 0x30, 7}, // page 1 empty
        {7, 0, 2, 0x30, 6}};
    for (const auto& [page, row, column, address, bit] : cases) {
        const auto target = BitCellTarget(model, page, row, column);
        EXPECT_EQ((target ? std::pair<int, int>(target->Address, target->Bit) : std::pair(-1, 0)),
                  std::pair(address, bit))
            << page << row << column;
    }
    const std::pair<int, int> pages[] = {{0, 0}, {1, 0}, {2, 2}, {3, 0}, {4, 0}, {-1, 0}};
    for (const auto& [page, shown] : pages) EXPECT_EQ(EffectivePage(model, page), shown) << page;
}

TEST(HexEntry, KeysDigitLimitsAndTypedCells) {
    EXPECT_EQ(std::tuple(HexDigitOf('c'), HexDigitOf('7'), HexDigitOf('g')),
              std::tuple('C', '7', std::nullopt));
    const std::tuple<const char*, const char*, char, bool> cases[] = {
        {"3F", "", '3', true},   {"3F", "", '4', false},
        {"3F", "3", 'F', true},  {"FF", "7C", '0', false}, // full: the keypad has closed
        {"FFF", "", 'G', false},
    };
    for (const auto& [pattern, field, digit, accepted] : cases)
        EXPECT_EQ(KeypadAccepts(pattern, field, digit), accepted)
            << pattern << " " << field << digit;
    EXPECT_EQ(TypeIntoCell(TypeIntoCell(TypeIntoCell("", '1', 2), '2', 2), '3', 2), "23");
    EXPECT_EQ(TypeIntoCell("ABC", 'D', 4), "ABCD");
    EXPECT_EQ(std::tuple(BackspaceCell("23"), BackspaceCell("")), std::tuple("2", ""));
}

TEST(RegField, ReadModifyWriteTouchesOnlyTheField) {
    const std::tuple<uint8_t, uint8_t, uint8_t, uint32_t, uint8_t> cases[] = {
        {2, 5, 0x81, 3, 0xE1},     // 2-bit field at bit 5
        {1, 0, 0xFF, 0, 0xFE},     // single bit cleared
        {3, 5, 0x00, 0xFF, 0xE0},  // a value wider than the field stays in the field
        {4, 6, 0x3F, 0xF, 0xFF},   // field running past bit 7 keeps its low bits
        {200, 200, 0x5A, 1, 0x5A}, // nonsense descriptor changes nothing
    };
    for (const auto& [width, lsb, oldByte, value, newByte] : cases) {
        const RegFieldDesc field{0x123, width, lsb, 0, true, {}};
        RegImageBytes image{};
        image[0x123] = oldByte;
        std::vector<std::pair<int, uint8_t>> writes;
        ASSERT_TRUE(
            WriteField(field, value, image, [&](int a, uint8_t v) { writes.emplace_back(a, v); }));
        EXPECT_EQ(writes, (std::vector<std::pair<int, uint8_t>>{{0x123, newByte}}))
            << int(width) << "@" << int(lsb);
        image[0x123] = newByte;
        if (lsb + width <= 8) {
            EXPECT_EQ(ReadField(field, image), value & field.MaxValue());
        }
    }
    RegImageBytes image{};
    image.fill(0xFF);
    RegFieldDesc field; // never defined by a chip file: nothing reaches the chip
    EXPECT_FALSE(WriteField(field, 1, image, [](int, uint8_t) { ADD_FAILURE(); }));
    field = {1024, 8, 0, 0, true, {}};
    EXPECT_EQ(ReadField(field, image), 0u); // outside the image reads as 0
}

TEST(ChangeDetection, RamWordAndPageRules) {
    ChipModel model;
    model.RegArea[1] = {0x180, 0x1FF};
    NoteRamValue(model, 0x100, 0x55, true);
    EXPECT_EQ(model.ChangedFlag[0x100], 1);
    NoteRamValue(model, 0x100, 0x66, false); // marking off: never flagged, previous follows
    EXPECT_EQ(std::tuple(model.ChangedFlag[0x100], model.PreviousValue[0x100]),
              std::tuple(0, 0x66));
    NoteRamValue(model, 0x180, 0x77, true); // register area: previous value is not taken
    EXPECT_EQ(std::tuple(model.ChangedFlag[0x180], model.PreviousValue[0x180]), std::tuple(1, 0));
    NoteRamValue(model, 1024, 1, true); // outside the image: ignored

    NoteWordValue(model, 0x0F, 0x10, 0x01, 0x02); // both bytes changed: only high marked
    EXPECT_EQ(std::tuple(model.ChangedFlag[0x0F], model.ChangedFlag[0x10]), std::tuple(1, 0));
    NoteWordValue(model, 0x0F, 0x10, 0x01, 0x03); // low byte alone
    EXPECT_EQ(std::tuple(model.ChangedFlag[0x0F], model.ChangedFlag[0x10]), std::tuple(0, 1));

    model.BitRegCount = {3, 0, 2, 1};
    const std::pair<int, std::pair<int, int>> pages[] = {{1, {3, 3}}, {3, {5, 6}}, {4, {0, 3}}};
    for (const auto& [page, range] : pages)
        EXPECT_EQ(std::make_pair(PageRange(model, page).First, PageRange(model, page).Last), range)
            << page;
}

constexpr uint16_t kQn7401 = 0, kChip52K12 = 3; // entries of the shipped chip list

ChipModel SelectShipped(uint16_t index) {
    ChipModel model;
    bool flag3 = true;
    EXPECT_TRUE(ChipCatalogue(QN_INCLUDE_DIR).SelectChip(model, index, flag3).Read) << index;
    return model;
}

using Probe = std::string (*)(const AdcPanelView&);
constexpr Probe Gain = [](const AdcPanelView& v) { return v.AdcGain; };
constexpr Probe Offset = [](const AdcPanelView& v) { return v.DcOffset; };
constexpr Probe Rate = [](const AdcPanelView& v) { return v.OutputRate; };
constexpr Probe Ldo = [](const AdcPanelView& v) { return v.Ldo; };
constexpr Probe Pga = [](const AdcPanelView& v) {
    return v.PgaGain + (v.PgaBypassClosed ? "|" : "");
};
constexpr Probe Inp = [](const AdcPanelView& v) {
    return std::to_string(v.InpLabel * 10 + v.Fields.at("INP").Shown);
};
constexpr Probe Refo = [](const AdcPanelView& v) { return v.RefOut + " " + v.FullScale; };
constexpr Probe Clock = [](const AdcPanelView& v) { return std::to_string(v.ClockLabel); };
// Highlighted label of VRPS and of VRNS, each followed by "+" when its buffer is on.
constexpr Probe Refs = [](const AdcPanelView& v) {
    return std::to_string(v.VrpsLabel) + (v.VrpsBufferOn ? "+" : "") + std::to_string(v.VrnsLabel) +
           (v.VrnsBufferOn ? "+" : "");
};

// A name, the fields set, a field widened to bits 4..7 (so values past its chip-file range fit),
// what the row looks at and what it shows.
using ViewCase = std::tuple<const char*, std::vector<std::pair<const char*, uint32_t>>,
                            std::string_view, Probe, const char*>;

TEST(AdcPanel, ShowsEachFieldAsItsTablesSayIncludingValuesPastTheirRange) {
    const ViewCase cases[] = {
        {"power-on", {}, "", Pga, "x 1|"},
        {"pga 7", {{"PGA", 7}}, "", Pga, "x 128"},
        {"pga past range", {{"PGA", 9}}, "PGA", Pga, "x 128"},
        {"adgn 3", {{"ADGN", 3}}, "", Gain, "ADGN = 8"},
        {"adgn past range", {{"ADGN", 9}}, "ADGN", Gain, "ADGN = 8"},
        {"dcset 5", {{"DCSET", 5}}, "", Offset, "+5/8*VRE"},
        {"dcset 8", {{"DCSET", 8}}, "", Offset, "0*VRE"},
        {"dcset 13", {{"DCSET", 13}}, "", Offset, "-5/8*VRE"},
        {"osr 7", {{"OSR", 7}}, "", Rate, "ADC_CK = 10sps"},
        {"osr 7 hs", {{"OSR", 7}, {"HS", 1}}, "", Rate, "ADC_CK = 30sps"},
        {"hs past range", {{"OSR", 3}, {"HS", 2}}, "HS", Rate, "ADC_CK = 320sps"},
        {"inp 5", {{"INP", 5}}, "", Inp, "55"},
        {"inp past range", {{"INP", 9}}, "INP", Inp, "0"},
        {"oscs 0", {}, "", Clock, "2"},
        {"oscs 1", {{"OSCS", 1}}, "", Clock, "3"},
        {"oscs 2", {{"OSCS", 2}}, "", Clock, "0"},
        {"oscs past range", {{"OSCS", 9}}, "OSCS", Clock, "1"},
        {"refs 0", {}, "", Refs, "2+2+"},
        {"refs 1 3", {{"VRPS", 1}, {"VRNS", 3}}, "", Refs, "10"},
        {"refs 2 1", {{"VRPS", 2}, {"VRNS", 1}}, "", Refs, "21"},
        {"refs 3 2", {{"VRPS", 3}, {"VRNS", 2}}, "", Refs, "02"},
        {"vrps past range", {{"VRPS", 5}}, "VRPS", Refs, "2+2+"},
        {"ldo item", {{"LDO", 2}}, "", Ldo, "3.0V"},
        {"ldo past range", {{"LDO", 6}}, "LDO", Ldo, "2.4V"},
        {"refo fsrb 0", {}, "", Refo, "1.2V FRb = full"},
        {"refo fsrb 1", {{"REFO", 1}, {"FSRB", 1}}, "", Refo, "1.5V FRb = 1/2"},
    };
    for (const auto& [name, fields, widened, shows, expected] : cases) {
        ChipModel model = SelectShipped(kQn7401);
        model.AdcGainTable = {1, 2, 4, 8}; // entries 2 and 3 differ, unlike the chip file's
        if (RegFieldDesc* wide = model.AdcFields.Find(widened)) {
            wide->Address = 9;
            wide->Width = 4;
            wide->Lsb = 4;
        }
        RegImageBytes image{};
        for (const auto& [field, value] : fields) {
            const RegFieldDesc& desc = model.AdcFields[field];
            image[desc.Address] = desc.Merge(image[desc.Address], value);
        }
        const AdcPanelView view = ReadAdcPanel(model, image, {}, {});
        EXPECT_EQ(shows(view), expected) << name;
        for (const auto& [field, value] : fields)
            EXPECT_EQ(model.AdcFields[field].Value, value) << name << " keeps " << field;
    }
}

// "ADC OFF" only on a panel just created with the enable off; a refresh shows the last result.
TEST(AdcPanel, ResultLabelsFollowModeWidthAndTheAdcEnable) {
    ChipModel model = SelectShipped(kQn7401);
    RegImageBytes image{};
    const RegFieldDesc& enable = model.AdcFields["ADCEN"];
    const AdcReadings readings{{0xFF, 0xFF, 0xFE}, {0x0C, 0x80, 0}};
    const AdcPanelView off = ReadAdcPanel(model, image, readings, {});
    EXPECT_EQ(std::tuple(off.AdcText, AdcTextAtCreation(off)), std::tuple("7FFF", "ADC OFF"));
    image[enable.Address] = enable.Merge(0, 1);
    const AdcPanelView hex = ReadAdcPanel(model, image, readings, {});
    EXPECT_EQ(std::tuple(AdcTextAtCreation(hex), hex.TempText), std::tuple("7FFF", "C80"));
    const AdcPanelView dec = ReadAdcPanel(model, image, readings, {1, 15, 1});
    EXPECT_EQ(std::tuple(dec.AdcText, dec.TempText), std::tuple("-1", "3200"));
}

TEST(AdcPanel, ComboItemsComeFromTheChipFileElseInBinary) {
    const ChipModel model = SelectShipped(kQn7401);
    EXPECT_EQ(AdcComboItems(model, "INP").at(6), "TSP");
    EXPECT_EQ(AdcComboItems(model, "PGA"),
              (std::vector<std::string>{"000", "001", "010", "011", "100", "101", "110", "111"}));
    EXPECT_EQ(AdcComboItems(model, "ADGN"), (std::vector<std::string>{"00", "01", "10", "11"}));
    EXPECT_EQ(AdcComboItems(model, "DCSET").size(), 16u);
    EXPECT_EQ(AdcComboItems(model, "DCSET").at(9), "1001");
    EXPECT_EQ(AdcComboItems(ChipModel{}, "OSCS").at(2), "10") << "no chip file names";

    // The clock labels run /15, /5, then the texts of OSCS values 0 and 1.
    using Texts = std::array<std::string, 4>;
    ChipModel chip52K12 = SelectShipped(kChip52K12);
    EXPECT_EQ(ReadAdcPanel(chip52K12, {}, {}, {}).ClockTexts,
              (Texts{"/15", "/5", "32KHZ", "1MHZ"}));
    ChipModel unnamed;
    EXPECT_EQ(ReadAdcPanel(unnamed, {}, {}, {}).ClockTexts, (Texts{"/15", "/5", "327KHz", "1MHZ"}));
}

TEST(AdcPanel, SelectorAndToggleWriteTheWholeRegisterByte) {
    ChipModel model;
    *model.AdcFields.Find("ADGN") = {
        .Address = 3, .Width = 2, .Lsb = 5, .Value = 1, .Defined = true, .Items = {}};
    RegImageBytes image{};
    image[3] = 0x81;
    const auto w = SelectorWrite(model, image, "ADGN", 3);
    ASSERT_TRUE(w.has_value());
    EXPECT_EQ(std::tuple(w->Address, w->Byte, w->FieldValue, w->Reverted),
              std::tuple(3, uint8_t{0xE1}, 3u, false));
    for (const int beyond : {4, -1}) {
        const auto back = SelectorWrite(model, image, "ADGN", beyond);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(std::tuple(back->Byte, back->Reverted), std::tuple(uint8_t{0xA1}, true))
            << beyond << ": the stored value 1 goes out";
    }
    EXPECT_EQ(ToggleWrite(model, image, "ADGN")->Byte, 0xA1) << "image 0 (not stored 1) turns 1";
    image[3] = 0xC1;
    EXPECT_EQ(ToggleWrite(model, image, "ADGN")->Byte, 0x81) << "field value 2 turns 0";
    EXPECT_FALSE(SelectorWrite(model, image, "PGA", 1) || ToggleWrite(model, image, "HS") ||
                 SelectorWrite(model, image, "NOPE", 1));
}

// RAM at 0x80..0x17F, a 4-bit register at 0x10 holding 0xA5; address 0 unimplemented.
class RamFileTest : public ChipFileTest {
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
    RecordingSheets sheets;
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
} // namespace qn::test
