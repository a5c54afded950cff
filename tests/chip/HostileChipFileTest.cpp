// Chip files written to break the reader: out-of-range addresses, long lines, junk, random bytes.
#include "ChipTestFiles.h"

#include "chip/ParsedLine.h"
#include "chip/RegisterRefresh.h"

#include <algorithm>
#include <iterator>
#include <random>

namespace qn::test {
namespace {

// Every record the lists hold addresses the image; the grids hold short texts.
void ExpectModelSane(const ChipModel& model) {
    for (int32_t i = 0; i < model.BitRegs.Count(); ++i)
        ASSERT_LT(model.BitRegs.Get(i)->Address, kRegImageSize);
    for (int32_t i = 0; i < model.ByteRegs.Count(); ++i)
        ASSERT_LT(model.ByteRegs.Get(i)->Address, kRegImageSize);
    for (int32_t i = 0; i < model.WordRegs.Count(); ++i)
        ASSERT_LT(std::max(model.WordRegs.Get(i)->AddressH, model.WordRegs.Get(i)->AddressL),
                  kRegImageSize);
    for (const auto& row : model.ByteGrid.Rows)
        for (const auto& cell : row) ASSERT_LE(cell.size(), 3 * ParsedLine::kMaxLength);
}

TEST_F(ChipFileTest, AddressesOutsideTheImageAreIgnored) {
    ASSERT_TRUE(SelectBody("#REGBIT\n400H BIG A B C D E F G H\n-1 NEG\n3FFH TOP\n"
                           "#REGBYTE\n1024 B FFH\n65535 C FFH\n"
                           "#REGWORD\n10 W 1024 X FF FF\n1024 V 10 X FF FF\n"
                           "#ADC0S\n1024 PGA 3 5\n2 OSR 3 5\n#RAMBANK4\n400H 4FFH\n"));
    EXPECT_EQ(model.BitRegs.Count(), 1);
    EXPECT_EQ(model.Mask(0x3FF), 0xFF);
    EXPECT_EQ(model.ByteRegCount, 0);
    EXPECT_EQ(model.WordRegCount, 0);
    EXPECT_FALSE(model.AdcFields["PGA"].Defined);
    EXPECT_EQ(model.AdcFields["OSR"].Address, 2);
    EXPECT_TRUE(model.Controls.BankButtons[4]); // bank 4 lies beyond the image: shown, not marked
    ExpectModelSane(model);
}

TEST_F(ChipFileTest, LongLinesManyWordsMissingWordsAndBadNumbers) {
    std::string manyWords = "2 MANY";
    for (int i = 0; i < 40; ++i) manyWords += " -";
    const std::string longText = "\"" + std::string(300, 'x');
    ASSERT_TRUE(SelectBody("#REGBIT\n" + manyWords + "\n7\n" + std::string(500, '9') +
                           " LONG\n#REGWORD\n5\n#REGBYTE\nQQ NONUM ZZ\n#ROM\n#ADC0S\nINP\n1 INP\n"
                           "1 INP 9 9\n#REGBITSTR\n2\n" +
                           longText + "\n" + longText + "\n"));
    EXPECT_EQ(model.Mask(2), 0x00);               // every bit named "-"
    EXPECT_EQ(model.BitRegs.Count(), 2);          // 160 nines wrap to -1: ignored
    EXPECT_EQ(model.WordRegCount, 1);             // low address and masks keep earlier numbers
    EXPECT_EQ(model.ByteRegs.Get(0)->Address, 5); // address kept from the line before
    EXPECT_EQ(model.RomSize, 0x1000u);
    EXPECT_EQ(model.AdcFields["INP"].Width, 9);
    EXPECT_EQ(model.AdcFields["INP"].Items.size(), static_cast<size_t>(ParsedLine::kMaxWords - 4));
    EXPECT_EQ(model.BitRegs.Get(0)->Description.size(), kRegDescriptionMax);
    EXPECT_EQ(model.BitRegs.Get(0)->Bits[0].Description.size(), kBitDescriptionMax);
    ExpectModelSane(model);
}

TEST_F(ChipFileTest, RandomLinesNeverBreakTheModel) {
    std::mt19937 random(740);
    const std::string pieces[] = {"#REGBIT",    "#REGBYTE", "#REGWORD",  "#REGBITSTR",
                                  "#ADC0S",     "#CMP0S",   "#RAMBANK4", "#PGAINDEX",
                                  "3FFH",       "400H",     "-",         "0",
                                  "FFH",        "\"",       ";",         "\t",
                                  "OSCS",       "\xBC",     "\r",        std::string(1, '\0'),
                                  "99999999999"};
    for (int file = 0; file < 20; ++file) {
        std::string body;
        for (int line = 0; line < 300; ++line) {
            for (int w = static_cast<int>(random() % 12); w > 0; --w)
                body += pieces[random() % std::size(pieces)] + (random() % 4 ? " " : "");
            body += '\n';
        }
        ASSERT_TRUE(SelectBody(body));
        ExpectModelSane(model);
        RegImageBytes image{};
        image.fill(0xA5);
        RefreshRegisterValues(model, image);
        for (int page = 0; page < 4; ++page) (void)BitGridRows(model, page);
    }
}

} // namespace
} // namespace qn::test
