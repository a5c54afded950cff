// Chip files and their selection: number parsing, fixed-width number texts and the line tokenizer;
// small chip files for list ends, number rules, descriptions, fall-backs and limits; and the chip
// list and chip description files shipped in the program's INCLUDE folder.
#include "ChipTestFiles.h"
#include "chip/ChipDirectives.h"
#include "chip/ChipText.h"
#include "chip/ParsedLine.h"
#include "chip/RegisterRefresh.h"
#include "chip/SelectedChipInfo.h"
#include "files/NumberText.h"
#include "files/TextFile.h"

#include <set>
#include <string>
#include <vector>

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

using ShippedChips = ChipSelectTest;

TEST_F(ShippedChips, EachChipSelectsWithItsMapGainsControlsAndFittingAdcFields) {
    EXPECT_EQ(ChipCatalogue(QN_INCLUDE_DIR).LoadChipList(),
              (std::vector<std::string>{"QN7401  (ADC)", "QN7402  (ADC+OP)", "QN7403  (8K)",
                                        "52K12  (2K)"}));
    // Product; bit registers per page; byte and word registers; RAM banks; whether it asks for the
    // special link, the instrument controls, the register test; the top PGA and ADC gains.
    const std::tuple<std::string, std::array<uint16_t, 4>, int32_t, int32_t, size_t, bool, bool,
                     bool, uint8_t, uint8_t>
        cases[] = {{"QN7401", {5, 0, 0, 0}, 3, 0, 1, false, false, false, 128, 4},
                   {"QN7402", {5, 2, 3, 0}, 3, 0, 2, false, true, false, 64, 8},
                   {"QN7403", {5, 2, 2, 2}, 7, 3, 5, false, true, true, 128, 4},
                   {"52K12", {6, 3, 0, 0}, 6, 2, 2, true, false, true, 128, 4}};
    for (uint16_t i = 0; i < 4; ++i) {
        const auto& [product, pages, bytes, words, banks, specialLink, instruments, registerTest,
                     topPgaGain, topAdcGain] = cases[i];
        SCOPED_TRACE(product);
        ASSERT_TRUE(Select(i));
        EXPECT_EQ(std::tuple(model.ProductName, model.BitRegCount, model.ByteRegs.Count(),
                             model.WordRegs.Count()),
                  std::tuple(product, pages, bytes, words));
        EXPECT_EQ(model.BitRegs.Count(), pages[0] + pages[1] + pages[2] + pages[3]);
        for (size_t b = 0; b < 5; ++b) EXPECT_EQ(model.Controls.BankButtons[b], b < banks);
        EXPECT_EQ(outcome.AsksSpecialLink, specialLink);
        EXPECT_EQ(model.Controls.Fluke && model.Controls.PowerPort && model.Controls.ChamberPort,
                  instruments);
        EXPECT_EQ(model.Controls.FileMenu && model.Controls.SaveReg, registerTest);
        EXPECT_TRUE(model.Controls.EnobTest && flag3);
        EXPECT_EQ(std::pair(model.PgaGainTable[7], model.AdcGainTable[3]),
                  std::pair(topPgaGain, topAdcGain));
        for (int32_t k = 0; k < model.ByteRegs.Count(); ++k) // every mask word parsed
            EXPECT_NE(model.Mask(model.ByteRegs.Get(k)->Address), 0) << k;
        for (int32_t k = 0; k < model.WordRegs.Count(); ++k)
            EXPECT_NE(model.Mask(model.WordRegs.Get(k)->AddressL), 0) << k;
        for (const char* name : {"ADCEN", "PGA", "OSR", "HS", "ADGN", "FSRB", "INP", "IRQEN", "TS"})
            EXPECT_TRUE(model.AdcFields[name].Defined) << name;
        if (!specialLink) { // on the QN740x link registers 0..4 alone reach the chip
            EXPECT_LT(SelectedChipInfo(model).FieldRegister("IRQEN"), 5);
            EXPECT_LT(SelectedChipInfo(model).FieldRegister("TS"), 5);
        }
        // ADC fields fit their registers' masks without overlapping each other.
        std::array<uint8_t, kRegImageSize> used{};
        for (const std::string_view name : model.AdcFields.Names()) {
            const RegFieldDesc& field = model.AdcFields[name];
            if (!field.Defined || name == "ADCO" || name == "TSO") continue;
            EXPECT_EQ(field.ByteMask() & (used[field.Address] | ~model.Mask(field.Address)), 0)
                << name;
            EXPECT_EQ(field.MaxValue() << field.Lsb, field.ByteMask()) << name; // inside the byte
            used[field.Address] |= field.ByteMask();
            EXPECT_TRUE(field.Items.empty() || field.Items.size() == field.MaxValue() + 1) << name;
        }
    }
}

// Together the shipped files use every directive, and their chips define every field.
TEST_F(ShippedChips, TogetherTheyUseEveryDirectiveAndField) {
    std::set<int> directives;
    for (const char* file : {"QnSel.INC", "QN7401.INC", "QN7402.INC", "QN7403.INC", "52K12.INC"}) {
        std::string bytes;
        ASSERT_TRUE(ReadFileContents((dir / file).string(), bytes)) << file;
        for (size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1))
            ASSERT_TRUE(at > 0 && bytes[at - 1] == '\r') << "lines end CR LF in " << file;
        for (std::string_view raw : SplitTextLines(bytes)) {
            if (const auto d = FindDirective(ParsedLine(UpperText950(raw)).WordView(1)))
                directives.insert(static_cast<int>(*d));
        }
    }
    EXPECT_EQ(directives.size(), static_cast<size_t>(kDirectiveCount));
    std::set<std::string_view> adc, op, cmp;
    for (uint16_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(Select(i));
        for (const auto& [fields, names] :
             {std::pair{&model.AdcFields, &adc}, {&model.OpFields, &op}, {&model.CmpFields, &cmp}})
            for (const auto name : fields->Names())
                if ((*fields)[name].Defined) names->insert(name);
    }
    EXPECT_EQ(std::tuple(adc.size(), op.size(), cmp.size()),
              std::tuple(AdcFieldNames().size(), OpFieldNames().size(), CmpFieldNames().size()));
}

TEST_F(ShippedChips, Qn7403GridsShowMaskedValuesAndChanges) {
    ASSERT_TRUE(Select(2));
    EXPECT_EQ(BitGridRows(model, 3).at(1)[8], "WDTS0");

    RegImageBytes image{};
    image[0x32] = 0xA5; // TRIM1, mask 0F
    image[0x0F] = 0xFF; // FSR0 high, mask 03
    image[0x10] = 0x34;
    RefreshRegisterValues(model, image);
    EXPECT_EQ(model.ByteGrid.Cell(1, 5), "05");
    EXPECT_EQ(model.WordGrid.Cell(1, 0), "0334");
    EXPECT_EQ(model.ChangedFlag[0x32], 1);
    RefreshRegisterValues(model, image);
    EXPECT_EQ(model.ChangedFlag[0x32], 0);
}

TEST(NumberText, ParseNumberFollowsRadixRulesAndRefusesWithoutWriting) {
    // "0A3" is hex without a suffix; values beyond 32 bits wrap; "+5", "12B" and "--5" pass the
    // radix rules, then the digit parser meets a foreign character and gives 0.
    const std::pair<std::string, int32_t> parsed[] = {
        {"10", 10},
        {"10H", 16},
        {"0ah", 10},
        {"0A3", 0xA3},
        {"101B", 5},
        {"-5", -5},
        {"-", 0},
        {"12D", 12},
        {"0FFFFFFFFH", -1},
        {"4294967306", 10},
        {"+5", 0},
        {"12B", 0},
        {"--5", 0},
        {"2147483648", INT32_MIN},
        {"123456789H", 0x23456789},
        {"1" + std::string(32, '0') + "1B", 1},
    };
    for (const auto& [text, expected] : parsed) {
        int32_t value = 0x5A5A5A5A;
        EXPECT_TRUE(ParseNumber(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char* text :
         {"", "FFH", "0A1B", "1F", "-0AH", "-101B", "1G2", "0x10", "H", " 5", "\xA5\x5C"}) {
        int32_t value = 7;
        EXPECT_FALSE(ParseNumber(text, value)) << '"' << text << '"';
        EXPECT_EQ(value, 7) << text; // a refused text writes nothing
    }
}

TEST(NumberText, PaddedTextsNeverCut) {
    const std::pair<std::string, std::string> cases[] = {
        {HexPad(5, 2), "05"},     {HexPad(0x1234, 2), "1234"},        {HexPad(0xFFFF, -4), "FFFF"},
        {DecPad(7, 3), "007"},    {DecPad(65535, 2), "65535"},        {HexText(0), "0"},
        {HexText(0xABCu), "ABC"}, {HexText(0xFFFFFFFFu), "FFFFFFFF"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(text, expected);
}

std::vector<std::string> Words(const ParsedLine& line) {
    std::vector<std::string> words;
    for (int n = 1; n <= line.WordCount(); ++n) words.push_back(line.Word(n));
    return words;
}

TEST(ParsedLine, SplitsWordsAndTail) {
    const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
        {"  00H\tADCCN0  A  B ", {"00H", "ADCCN0", "A", "B"}, ""},
        {"01H ABC ;note", {"01H", "ABC"}, ";note"},
        {"\"Gain select", {}, "\"Gain select"},
        {"A \"B; C", {"A"}, "\"B; C"},
        {"A;B\"C", {"A"}, ";B\"C"},
        {" \t ", {}, ""}};
    for (const auto& [text, words, tail] : cases) {
        const ParsedLine line(text);
        EXPECT_EQ(Words(line), words) << text;
        EXPECT_EQ(line.Tail(), tail) << text;
        EXPECT_EQ(line.HasTail(), !tail.empty()) << text;
    }
}

TEST(ParsedLine, KeepsAtMost160CharactersAnd29Words) {
    std::string many;
    for (int i = 1; i <= 40; ++i) many += "W" + std::to_string(i) + " ";
    const ParsedLine manyWords(many);
    EXPECT_EQ(std::tuple(manyWords.WordCount(), manyWords.Word(29), manyWords.Word(30),
                         manyWords.Word(0)),
              std::tuple(ParsedLine::kMaxWords, "W29", "", ""));

    const std::string longLine = std::string(150, 'A') + " " + std::string(20, 'B') + " ;tail";
    ParsedLine line(longLine);
    EXPECT_EQ(Words(line), (std::vector<std::string>{std::string(150, 'A'), std::string(9, 'B')}));
    EXPECT_FALSE(line.HasTail()); // the ';' lies beyond the kept text
    line.Parse("X Y");
    EXPECT_EQ(Words(line), (std::vector<std::string>{"X", "Y"})); // the old slots are forgotten
}

} // namespace
} // namespace qn::test
