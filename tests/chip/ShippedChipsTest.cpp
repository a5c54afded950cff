// The chip list and chip description files shipped in the program's INCLUDE folder.
#include "chip/ChipCatalogue.h"
#include "chip/ChipDirectives.h"
#include "chip/ChipText.h"
#include "chip/ParsedLine.h"
#include "chip/RegisterRefresh.h"
#include "chip/SelectedChipInfo.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace qn {
namespace {

const std::filesystem::path kInclude = QN_INCLUDE_DIR;

class ShippedChips : public ::testing::Test {
  protected:
    bool Select(uint16_t index) {
        return ChipCatalogue(kInclude).SelectChip(model, index, stnd, flag3);
    }

    ChipModel model;
    STND stnd;
    bool flag3 = true;
};

TEST_F(ShippedChips, ListNamesEveryShippedChip) {
    const std::vector<std::string> expected = {"QN7401  (ADC)", "QN7402  (ADC+OP)", "QN7403  (8K)",
                                               "52K12  (2K)"};
    EXPECT_EQ(ChipCatalogue(kInclude).LoadChipList(), expected);
}

TEST_F(ShippedChips, EachChipSelectsWithItsMapAndControls) {
    struct Case {
        std::string product;
        std::array<uint16_t, 4> pages;
        uint16_t bytes, words;
        std::array<bool, 5> banks;
        uint16_t linkKind;
        bool instruments, registerTest;
    };
    const Case cases[] = {
        {"QN7401",
         {5, 0, 0, 0},
         3,
         0,
         {true, false, false, false, false},
         kLinkQn740x,
         false,
         false},
        {"QN7402", {5, 2, 3, 0}, 3, 0, {true, true, false, false, false}, kLinkQn740x, true, false},
        {"QN7403", {5, 2, 2, 2}, 7, 3, {true, true, true, true, true}, kLinkQn740x, true, true},
        {"52K12", {6, 3, 0, 0}, 6, 2, {true, true, false, false, false}, kLinkSpecial, false, true},
    };
    for (uint16_t i = 0; i < 4; ++i) {
        const Case& c = cases[i];
        stnd.Interface = kLinkQn740x;
        flag3 = true;
        ASSERT_TRUE(Select(i)) << c.product;
        EXPECT_EQ(model.ProductName, c.product);
        EXPECT_EQ(model.RegisterCaption, c.product + "Register");
        EXPECT_EQ(model.BitRegCount, c.pages) << c.product;
        EXPECT_EQ(model.BitRegs.Count(), c.pages[0] + c.pages[1] + c.pages[2] + c.pages[3]);
        EXPECT_EQ(model.ByteRegCount, c.bytes) << c.product;
        EXPECT_EQ(model.ByteRegs.Count(), c.bytes) << c.product;
        EXPECT_EQ(model.WordRegCount, c.words) << c.product;
        EXPECT_EQ(model.WordRegs.Count(), c.words) << c.product;
        EXPECT_EQ(model.Controls.BankButtons, c.banks) << c.product;
        for (size_t p = 0; p < 4; ++p) EXPECT_EQ(model.Controls.PageButtons[p], c.pages[p] > 0);
        EXPECT_EQ(stnd.Interface, c.linkKind) << c.product;
        EXPECT_EQ(model.Controls.Fluke && model.Controls.PowerPort && model.Controls.ChamberPort,
                  c.instruments);
        EXPECT_EQ(model.Controls.FileMenu && model.Controls.SaveReg, c.registerTest);
        EXPECT_TRUE(model.Controls.EnobTest);
        EXPECT_TRUE(flag3);
        for (int32_t k = 0; k < model.ByteRegs.Count(); ++k) // every mask word parsed
            EXPECT_NE(model.Mask(model.ByteRegs.Get(k)->Address), 0) << c.product << " " << k;
        for (int32_t k = 0; k < model.WordRegs.Count(); ++k)
            EXPECT_NE(model.Mask(model.WordRegs.Get(k)->AddressL), 0) << c.product << " " << k;
    }
}

TEST_F(ShippedChips, AdcFieldsFitTheirRegistersWithoutOverlap) {
    const char* required[] = {"ADCEN", "PGA", "OSR", "HS",    "ADGN",
                              "FSRB",  "INP", "INN", "IRQEN", "TS"};
    for (uint16_t i = 0; i < 4; ++i) {
        stnd.Interface = kLinkQn740x;
        ASSERT_TRUE(Select(i));
        SelectedChipInfo info(model);
        for (const char* name : required) EXPECT_TRUE(model.AdcFields[name].Defined) << name;
        if (stnd.Interface == kLinkQn740x) { // registers 0..4 alone reach the chip there
            EXPECT_LT(info.FieldRegister("IRQEN"), 5) << model.ProductName;
            EXPECT_LT(info.FieldRegister("TS"), 5) << model.ProductName;
        }
        std::array<uint8_t, kRegImageSize> used{};
        for (const std::string_view name : model.AdcFields.Names()) {
            const RegFieldDesc& field = model.AdcFields[name];
            if (!field.Defined || name == "ADCO" || name == "TSO") continue;
            EXPECT_EQ(field.ByteMask() & used[field.Address], 0)
                << model.ProductName << " " << name;
            EXPECT_EQ(field.ByteMask() & ~model.Mask(field.Address), 0) << name;
            EXPECT_EQ(field.MaxValue() << field.Lsb, field.ByteMask()) << name; // inside the byte
            used[field.Address] |= field.ByteMask();
            if (!field.Items.empty()) {
                EXPECT_EQ(field.Items.size(), field.MaxValue() + 1) << name;
            }
        }
    }
}

TEST_F(ShippedChips, TogetherTheyUseEveryDirectiveAndField) {
    std::set<int> directives;
    for (const char* file : {"QnSel.INC", "QN7401.INC", "QN7402.INC", "QN7403.INC", "52K12.INC"}) {
        std::ifstream in(kInclude / file, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        for (size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1))
            ASSERT_TRUE(at > 0 && bytes[at - 1] == '\r') << "lines end CR LF in " << file;
        for (const std::string& raw : SplitLines(bytes)) {
            if (const auto d = FindDirective(ParsedLine(UpperText950(raw)).WordView(1)))
                directives.insert(static_cast<int>(*d));
        }
    }
    EXPECT_EQ(directives.size(), static_cast<size_t>(kDirectiveCount));
    std::set<std::string_view> adc, op, cmp;
    for (uint16_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(Select(i));
        for (const auto name : model.AdcFields.Names())
            if (model.AdcFields[name].Defined) adc.insert(name);
        for (const auto name : model.OpFields.Names())
            if (model.OpFields[name].Defined) op.insert(name);
        for (const auto name : model.CmpFields.Names())
            if (model.CmpFields[name].Defined) cmp.insert(name);
    }
    EXPECT_EQ(adc.size(), AdcFieldNames().size());
    EXPECT_EQ(op.size(), OpFieldNames().size());
    EXPECT_EQ(cmp.size(), CmpFieldNames().size());
}

TEST_F(ShippedChips, Qn7403DescriptionsMasksAndGrids) {
    ASSERT_TRUE(Select(2));
    EXPECT_EQ(model.RomSize, 0x2000u);
    EXPECT_EQ(model.StackDepth, 8);
    EXPECT_EQ(model.SimIc, 0x7403);
    EXPECT_EQ(model.Reg3ByteCount, 1);
    EXPECT_EQ(model.PgaGainTable[7], 128);
    EXPECT_EQ(model.Mask(0x01), 0xFE); // bit 0 named "-"
    EXPECT_EQ(model.Mask(0x04), 0xFC);
    EXPECT_EQ(model.Mask(0x32), 0x0F);  // byte register mask
    EXPECT_EQ(model.Mask(0x0F), 0x03);  // word register high byte
    EXPECT_EQ(model.Mask(0x3FF), 0xFF); // RAM bank 3
    EXPECT_EQ(model.Mask(0x181), 0x87);
    EXPECT_EQ(model.AdcOutput().Address, 5);
    EXPECT_EQ(model.TempOutput().Address, 6);
    const BitRegRecord* adccn2 = model.BitRegs.Get(2);
    ASSERT_NE(adccn2, nullptr);
    EXPECT_EQ(adccn2->Name, "ADCCN2");
    EXPECT_EQ(adccn2->Description, "ADC control 2: output rate, interrupt and enable");
    EXPECT_EQ(adccn2->Bits[3].Name, "IRQEN");
    EXPECT_EQ(adccn2->Bits[7].Description, "Not implemented, reads 0");
    EXPECT_EQ(model.ByteRegs.Get(3)->Description,
              "Working register of the core"); // not the CN text
    EXPECT_EQ(model.WordRegs.Get(0)->Description, "Indirect address 0 (FSR0H:FSR0L), 10 bits");
    EXPECT_EQ(model.ByteGrid.Cell(0, 3), "WORK");
    EXPECT_EQ(model.WordGrid.Cell(0, 2), "TMR0");
    EXPECT_EQ(model.AdcFields["INP"].Items[6], "TSP");
    EXPECT_EQ(model.AdcFields["OSCS"].Items[0], "327KHZ");
    const auto page4 = BitGridRows(model, 3);
    ASSERT_EQ(page4.size(), 2u);
    EXPECT_EQ(page4[1][0], "WDTCN");
    EXPECT_EQ(page4[1][8], "WDTS0");
}

TEST_F(ShippedChips, RefreshShowsMaskedValuesInTheGrids) {
    ASSERT_TRUE(Select(2));
    RegImageBytes image{};
    image[0x32] = 0xA5; // TRIM1, mask 0F
    image[0x0F] = 0xFF; // FSR0 high, mask 03
    image[0x10] = 0x34;
    RefreshRegisterValues(model, image);
    EXPECT_EQ(model.ByteGrid.Cell(1, 5), "05");
    EXPECT_EQ(model.ChangedFlag[0x32], 1);
    EXPECT_EQ(model.WordGrid.Cell(1, 0), "0334");
    EXPECT_EQ(model.ChangedFlag[0x0F], 1);
    EXPECT_EQ(model.ChangedFlag[0x10], 0);
    RefreshRegisterValues(model, image);
    EXPECT_EQ(model.ChangedFlag[0x32], 0);
}

TEST_F(ShippedChips, SwitchingChipsDropsTheOldMapAndFallsBack) {
    ASSERT_TRUE(Select(2));
    model.CurrentBank = 4;
    model.CurrentPage = 3;
    ASSERT_TRUE(Select(2));
    EXPECT_EQ(model.CurrentBank, 4); // bank and page exist on the same chip
    EXPECT_EQ(model.CurrentPage, 3);
    ASSERT_TRUE(Select(0));
    EXPECT_EQ(model.CurrentBank, 0);
    EXPECT_EQ(model.CurrentPage, 0);
    EXPECT_EQ(model.WordRegs.Count(), 0); // QN7401 has no word registers
    EXPECT_TRUE(model.WordGrid.Rows.empty());
    EXPECT_EQ(model.Mask(0x200), 0); // QN7403's bank 2 is gone
    EXPECT_FALSE(model.Controls.Fluke);
}

} // namespace
} // namespace qn
