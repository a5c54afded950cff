// The register panel's edits as register writes, its core figures, bit menus and pages.
#include "ChipTestFiles.h"
#include "chip/RegisterPanelState.h"

namespace qn::test {
namespace {

TEST(RegisterEditsTest, BitEditsWriteTheWholeByteAndWordsGoHighByteFirst) {
    struct Case {
        uint8_t old;
        int bit;
        bool set;
        uint8_t written;
    };
    const Case cases[] = {{0x00, 7, true, 0x80},
                          {0x81, 0, true, 0x81},
                          {0xFF, 3, false, 0xF7},
                          {0x10, 4, false, 0x00},
                          {0x10, 0, false, 0x10}};
    RegImageBytes image{};
    for (const Case& c : cases) {
        image[0x3C] = c.old;
        EXPECT_EQ(BitWrite(image, {0x3C, c.bit}, c.set), (RegisterWrite{0x3C, c.written}))
            << int{c.old} << " bit " << c.bit;
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
    const CoreFigures figures = CoreFigureTexts(image);
    EXPECT_EQ(figures.Work, "07");
    EXPECT_EQ(figures.Fsr[0], "3FF");
    EXPECT_EQ(figures.Ind[0], "5A");
    EXPECT_EQ(figures.Fsr[1], "FFFF");
    EXPECT_EQ(figures.Ind[1], "00");

    FigureMark mark; // changed since last shown, unless marks are suppressed
    const std::pair<uint16_t, bool> shows[] = {{5, false}, {5, false}, {6, true}, {6, false}};
    const bool highlighted[] = {true, false, false, false};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(mark.Show(shows[i].first, shows[i].second), highlighted[i]) << i;
}

TEST_F(ChipFileTest, BitMenusAndPageFallBack) {
    ASSERT_TRUE(SelectBody("#REGBIT\n30H R0 A B C D E F G -\n31H R1 A B C D E F G H\n"
                           "#REGBIT2\n32H R2 A B C D E F G H\n33H R3 A B C D E F G H\n"));
    struct Case {
        int page, row, column;
        int address = -1; // -1: no menu
        int bit = 0;
    };
    const Case cases[] = {{0, 0, 1, 0x30, 7}, {0, 0, 7, 0x30, 1}, {0, 0, 8}, // bit named "-"
                          {0, 1, 3},          {2, 0, 4},          {2, 1, 8, 0x33, 0}, {0, 0, 0},
                          {0, 2, 1},          {1, 0, 1, 0x30, 7}, // page 1 empty
                          {7, 0, 2, 0x30, 6}};
    for (const Case& c : cases) {
        const auto target = BitCellTarget(model, c.page, c.row, c.column);
        ASSERT_EQ(target.has_value(), c.address >= 0) << c.page << c.row << c.column;
        if (target) {
            EXPECT_EQ(std::pair(target->Address, target->Bit), std::pair(c.address, c.bit));
        }
    }
    const int pages[] = {0, 1, 2, 3, 4, -1};
    const int shown[] = {0, 0, 2, 0, 0, 0};
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(EffectivePage(model, pages[i]), shown[i]) << i;
}

} // namespace
} // namespace qn::test
