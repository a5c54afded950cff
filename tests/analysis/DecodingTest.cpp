#include "analysis/Decoding.h"
#include "analysis/AdcGain.h"

#include <gtest/gtest.h>

#include <tuple>

namespace qn {
namespace {

TEST(Decoding, RecordsGiveSignedCodesPerModeAndOptions) {
    constexpr DecodeOptions kHalve{true, false}, kFull{false, true};
    const struct {
        int Mode;
        uint32_t Record;
        DecodeOptions Options;
        int32_t Code;
    } cases[] = {
        {kMode24Interrupt, 0xFFFFFF, kHalve, -1},
        {kMode24Interrupt, 0x800000, kHalve, -4194304},
        {kMode24Interrupt, 0x7FFFFF, kHalve, 4194303},
        {kMode24Polled, 0xFFFFFF, kFull, -1},
        {kMode24Polled, 0x800000, kFull, -8388608},
        {kMode24Polled, 0x7FFFFF, kFull, 8388607},
        {kMode24Polled, 0xFFFFFD, {}, -2}, // negatives halve toward minus infinity
        {kMode16Temperature, 0x123400, kHalve, 0x091A},
    };
    for (const auto& c : cases) {
        const auto byte = [&](int shift) { return static_cast<uint8_t>(c.Record >> shift); };
        EXPECT_EQ(DecodeRecord(c.Mode, byte(16), byte(8), byte(0), c.Options), c.Code)
            << std::hex << c.Record << " mode " << c.Mode;
    }
    EXPECT_EQ(ScaledValue(-5, 4), -1);
    EXPECT_EQ(ScaledValue(5, 4), 1);
}

TEST(AdcGain, MultipliesBothTablesAndDoublesForFullScaleRange) {
    ChipModel chip;
    chip.PgaGainTable = {1, 2, 4, 8, 16, 32, 64, 128};
    chip.AdcGainTable = {1, 2, 4, 8};
    // PGA is one bit wider than its table.
    const std::tuple<std::string_view, uint8_t, uint8_t> fields[] = {
        {"PGA", 0, 4}, {"ADGN", 4, 2}, {"FSRB", 6, 1}};
    for (const auto& [name, lsb, width] : fields) {
        RegFieldDesc& field = *chip.AdcFields.Find(name);
        field.Address = 0x40;
        field.Lsb = lsb;
        field.Width = width;
        field.Defined = true;
    }
    RegImageBytes image{};
    image[0x40] = 0x53; // PGA 3, ADGN 1, FSRB 1
    EXPECT_EQ(GetGain(chip, image), 8 * 2 * 2);
    image[0x40] = 0x0C; // PGA 12 lies beyond the table and counts as 1
    EXPECT_EQ(GetGain(chip, image), 1);
}

} // namespace
} // namespace qn
