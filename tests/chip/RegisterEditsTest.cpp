// The register and RAM panels' edits: typed cells and keypad digits, field read-modify-write,
// edits as register writes, change detection of the image, core figures, bit menus and pages.
#include "ChipTestFiles.h"
#include "chip/HexEntry.h"
#include "chip/RegField.h"
#include "chip/RegisterPanelState.h"
#include "chip/RegisterRefresh.h"

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

} // namespace
} // namespace qn::test
