// Tests of the ADC panel's fields: what each control shows for a register image, and the register
// bytes its controls write.
#include "chip/AdcPanelState.h"
#include "chip/ChipCatalogue.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

namespace qn::test {
namespace {

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
    EXPECT_FALSE(SelectorWrite(model, image, "PGA", 1).has_value());
    EXPECT_FALSE(ToggleWrite(model, image, "HS").has_value());
    EXPECT_FALSE(SelectorWrite(model, image, "NOPE", 1).has_value());
}

} // namespace
} // namespace qn::test
