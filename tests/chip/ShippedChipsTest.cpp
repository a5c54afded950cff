// The chip list and chip description files shipped in the program's INCLUDE folder.
#include "ChipTestFiles.h"
#include "chip/ChipDirectives.h"
#include "chip/ChipText.h"
#include "chip/ParsedLine.h"
#include "chip/RegisterRefresh.h"
#include "chip/SelectedChipInfo.h"
#include "files/TextFile.h"

#include <set>

namespace qn {
namespace {

using ShippedChips = test::ChipSelectTest;

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
    EXPECT_EQ(adc.size(), AdcFieldNames().size());
    EXPECT_EQ(op.size(), OpFieldNames().size());
    EXPECT_EQ(cmp.size(), CmpFieldNames().size());
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

} // namespace
} // namespace qn
