// Chip selection on small chip files: list ends, number rules, descriptions, fall-backs, limits.
#include "ChipTestFiles.h"

namespace qn::test {
namespace {

TEST_F(ChipFileTest, ChipListEndsAtAShortFileNameAndSelectionFallsBackToTheLastLine) {
    Write("QnSel.INC", "A.INC w2 w3\nAB x y\nC.INC z w\n");
    EXPECT_EQ(ChipCatalogue(dir).LoadChipList(), std::vector<std::string>{"W3  W2"});
    std::filesystem::remove(dir / "QnSel.INC");
    EXPECT_EQ(ChipCatalogue(dir).LoadChipList(), BuiltInChipList());

    Write("QnSel.INC", "ONE.INC a b\nTWO.INC c d\n");
    Write("ONE.INC", "#PRODUCT\nFIRST\n");
    Write("two.inc", "#PRODUCT\nSECOND\n"); // the list's upper-cased name still finds it
    ASSERT_TRUE(Select(0));
    EXPECT_EQ(model.ProductName, "FIRST");
    ASSERT_TRUE(Select(9));
    EXPECT_EQ(model.ProductName, "SECOND");
}

// Code page 950 names: "增益" and "存"; the trail bytes 71 ('q') and 73 ('s') must survive.
TEST_F(ChipFileTest, NumbersFollowTheirDirectiveRulesAndCodePage950TextBecomesUtf8) {
    ASSERT_TRUE(SelectBody("#ID\n1234H\nXYZ\n#ROM\n0FFH\n#STACK\n2\n#SIMIC\n12345678H\n"
                           "#PGAINDEX\n0 2 4 8 16 32 64 128\nQ 100H\n#GAININDEX\n3 0\n"
                           "#REGBIT\n1 \xBC\x57\xAF\x71 \xA6\x73\n#REGBITSTR\n1\n"
                           "\"\xBC\x57\xAF\x71 select\n"));
    EXPECT_EQ(model.BitRegs.Get(0)->Name, "增益");
    EXPECT_EQ(model.BitRegs.Get(0)->Bits[0].Name, "存");
    EXPECT_EQ(model.BitRegs.Get(0)->Description, "增益 select");
    // A word that does not parse keeps the number; a ROM below 100H is 1000H.
    EXPECT_EQ(std::tuple(model.ChipId, model.RomSize, model.StackDepth, model.SimIc),
              std::tuple(0x1234, 0x1000u, 4, 0x5678));
    EXPECT_EQ(model.PgaGainTable, (std::array<uint8_t, 8>{1, 1, 4, 8, 16, 32, 64, 128}));
    EXPECT_EQ(model.AdcGainTable, (std::array<uint8_t, 4>{3, 1, 1, 1})); // 0 and 100H store 1
}

TEST_F(ChipFileTest, BitRegistersMasksAndPages) {
    ASSERT_TRUE(SelectBody("junk before any section\n#REGBIT extra words ignored\n"
                           "10H R1 A B C D E F G -\n#FLUKE\n"
                           "11H R2 - B C D E F G H ; control lines keep the section\n"
                           "#REGBIT2\n12H VERYLONGREGISTERNAME ABCDEFGHIJKLMNOPQ\n"));
    EXPECT_EQ(std::tuple(model.Mask(0x10), model.Mask(0x11), model.Mask(0x12)),
              std::tuple(0xFE, 0x7F, 0xFF));
    EXPECT_EQ(model.BitRegCount, (std::array<uint16_t, 4>{2, 0, 1, 0}));
    EXPECT_EQ(model.Controls.PageButtons, (std::array<bool, 4>{true, false, true, false}));
    EXPECT_TRUE(model.Controls.Fluke);
    EXPECT_EQ(model.BitRegs.Get(2)->Name, "VERYLONGREGISTE"); // 15 characters
    EXPECT_EQ(model.BitRegs.Get(2)->Bits[0].Name, "ABCDEFGHIJKLMNO");
    EXPECT_FALSE(flag3); // no "#ADC0S": flag 3 of the configuration is cleared
}

TEST_F(ChipFileTest, ByteListHeadersAndCapacity) {
    std::string body = "#REGBYTE\n";
    for (int i = 0; i < 10; ++i) body += std::to_string(i) + " B" + std::to_string(i) + " 0FH\n";
    body += "#REGBYTE\n";
    for (int i = 0; i < 600; ++i)
        body += std::to_string(100 + i) + " C" + std::to_string(i) + " 3\n";
    ASSERT_TRUE(SelectBody(body));
    EXPECT_EQ(model.ByteRegCount, 610);     // the count keeps counting
    EXPECT_EQ(model.ByteRegs.Count(), 512); // the second header emptied the list; 513th dropped
    EXPECT_EQ(model.ByteRegs.Get(0)->Address, 100);
    EXPECT_EQ(model.ByteGrid.Cell(0, 0), "B0");     // earlier rows stay in the grid
    EXPECT_EQ(model.ByteGrid.Cell(2, 1), "C0");     // register 10 at row 2, column 1
    EXPECT_EQ(model.ByteGrid.Cell(134, 6), "C599"); // register 609 at row 2 * 67, column 6
    EXPECT_EQ(model.Mask(699), 3);                  // mask taken even when the record is dropped
}

TEST_F(ChipFileTest, DescriptionLines) {
    ASSERT_TRUE(
        SelectBody("#REGBIT\n20H R A B C D E F G H\n21H S\n#REGBYTE\n30H BY FFH\n"
                   "#REGWORD\n31H W 32H X FFH FFH\n"
                   "#REGBITSTR\n20H\n\"Gain select\n\"b7\n\"b6\n\"b5\n\"b4\n\"b3\n\"b2\n\"b1\n"
                   "\"b0\n\"tenth line ignored\n99H\n\"nowhere\n"
                   "#REGBYTESTR\n30H\n\"first\n;second\n#REGWORDSTR\n3132H\n\"Word text\n"));
    const BitRegRecord& r = *model.BitRegs.Get(0);
    EXPECT_EQ(std::tuple(r.Description, r.Bits[0].Description, r.Bits[7].Description),
              std::tuple("Gain select", "b7", "b0"));
    EXPECT_EQ(model.BitRegs.Get(1)->Description, ""); // unknown address 99H describes nothing
    EXPECT_EQ(model.ByteRegs.Get(0)->Description, "second"); // each text line replaces it
    EXPECT_EQ(model.WordRegs.Get(0)->Description, "Word text");
}

TEST_F(ChipFileTest, BankAndPageFallBack) {
    model.CurrentBank = 3;
    model.CurrentPage = 1;
    ASSERT_TRUE(SelectBody("#RAMBANK3\n300H 3FFH\n#REGBIT1\n1 P2\n"));
    EXPECT_EQ(std::tuple(model.CurrentBank, model.CurrentPage), std::tuple(3, 1));
    ASSERT_TRUE(SelectBody("#RAMBANK0\n80H 0FFH\n#RAMBANK3\n3FFH 300H\n#REGBIT\n1 P1\n"));
    // Bank 3 given reversed.
    EXPECT_EQ(std::tuple(model.CurrentBank, model.CurrentPage), std::tuple(0, 0));
}

TEST_F(ChipFileTest, FieldDefinitionsAndItems) {
    ASSERT_TRUE(SelectBody("#ADC0S\n01H OSCS 2 0 A B\n02H INP 3 5 P0 P1 P2 P3 P4 P5 P6 P7\n"
                           "03H NOSUCH 1 1\n07H ADCO\n#CMP0S\n04H PTMX CAP 1 3\n05H CPIH 2 6\n"
                           "#OP0S\n06H ENOP 1 7\n"));
    EXPECT_TRUE(flag3);
    EXPECT_EQ(model.AdcFields["OSCS"].Items, (std::vector<std::string>{"A", "B", "", ""}));
    EXPECT_EQ(model.AdcOutput().Address, 7);
    // A caption word before width and lsb.
    EXPECT_EQ(std::tuple(model.CmpFields["PTMX"].Width, model.CmpFields["PTMX"].Lsb),
              std::tuple(1, 3));
    EXPECT_TRUE(model.OpFields["ENOP"].Defined);
    EXPECT_FALSE(model.AdcFields["ENOP"].Defined); // the ADC panel's own descriptor
}

TEST_F(ChipFileTest, SpecialProductAndMissingFiles) {
    ASSERT_TRUE(SelectBody("#PRODUCT\n52K12\n#REGWORD\n1 W 2 X 3 4\n#ADC0S\n1 TS 1 0\n"));
    EXPECT_TRUE(outcome.AsksSpecialLink);
    model.Controls.SaveReg = true;
    Write("QnSel.INC", "GONE.INC a b\n");
    EXPECT_FALSE(Select(0));
    // Instrument controls hidden first and masks cleared; the old lists stay.
    EXPECT_EQ(std::tuple(model.Controls.SaveReg, model.Mask(1), model.WordRegs.Count()),
              std::tuple(false, 0, 1));
}

} // namespace
} // namespace qn::test
