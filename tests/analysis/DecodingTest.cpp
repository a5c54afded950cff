#include "analysis/Decoding.h"
#include "analysis/AdcGain.h"
#include "analysis/SampleRate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace qn {
namespace {

TEST(Decoding, RecordsGiveSignedCodesPerModeAndOptions) {
    constexpr DecodeOptions kHalve{true, false}, kFull{false, true};
    const std::tuple<int, uint32_t, DecodeOptions, int32_t> cases[] = {
        {kMode24Interrupt, 0xFFFFFF, kHalve, -1},
        {kMode24Interrupt, 0x800000, kHalve, -4194304},
        {kMode24Interrupt, 0x7FFFFF, kHalve, 4194303},
        {kMode24Polled, 0xFFFFFF, kFull, -1},
        {kMode24Polled, 0x800000, kFull, -8388608},
        {kMode24Polled, 0x7FFFFF, kFull, 8388607},
        {kMode24Polled, 0xFFFFFD, {}, -2}, // negatives halve toward minus infinity
        {kMode16Temperature, 0x123400, kHalve, 0x091A}};
    for (const auto& [mode, record, options, code] : cases) {
        const auto byte = [&](int shift) { return static_cast<uint8_t>(record >> shift); };
        EXPECT_EQ(DecodeRecord(mode, byte(16), byte(8), byte(0), options), code)
            << std::hex << record << " mode " << mode;
    }
    EXPECT_EQ(std::pair(ScaledValue(-5, 4), ScaledValue(5, 4)), std::pair(-1, 1));
}

// Defines the ADC fields (name, lsb, width) in register `address`.
void Define(ChipModel& chip, uint16_t address,
            std::initializer_list<std::tuple<std::string_view, uint8_t, uint8_t>> fields) {
    for (const auto& [name, lsb, width] : fields)
        *chip.AdcFields.Find(name) = {address, width, lsb, 0, true, {}};
}

TEST(AdcGain, MultipliesBothTablesAndDoublesForFullScaleRange) {
    ChipModel chip;
    chip.PgaGainTable = {1, 2, 4, 8, 16, 32, 64, 128};
    chip.AdcGainTable = {1, 2, 4, 8};
    Define(chip, 0x40, {{"PGA", 0, 4}, {"ADGN", 4, 2}, {"FSRB", 6, 1}}); // PGA one bit wider
    RegImageBytes image{};
    image[0x40] = 0x53; // PGA 3, ADGN 1, FSRB 1
    EXPECT_EQ(GetGain(chip, image), 8 * 2 * 2);
    image[0x40] = 0x0C; // PGA 12 lies beyond the table and counts as 1
    EXPECT_EQ(GetGain(chip, image), 1);
}

// The rate the ADC panel shows for the "OSR" and "HS" fields; a chip without "OSR" has none.
TEST(SampleRate, ConfiguredRateFollowsOsrAndHighSpeed) {
    ChipModel chip;
    Define(chip, 0x02, {{"OSR", 5, 3}, {"HS", 3, 1}});
    const std::pair<uint8_t, double> cases[] = {{0x00, 2560}, {0x20, 1280}, {0x08, 7680},
                                                {0xC0, 40},   {0xE0, 10},   {0xE8, 30}};
    RegImageBytes image{};
    for (const auto& [byte, rate] : cases) {
        image[0x02] = byte;
        EXPECT_EQ(ConfiguredOutputRate(chip, image), rate) << int(byte);
    }
    chip.AdcFields.Find("OSR")->Defined = false;
    EXPECT_EQ(ConfiguredOutputRate(chip, image), std::nullopt);
}

// The configured rate stands when the records came at least 95 % as fast; a shortfall draws no
// spectrum; without a configured rate the measured one is used.
TEST(SampleRate, SpectrumRateIsTheConfiguredOneUnlessRecordsFellShort) {
    const std::tuple<double, double, RateBasis, double> cases[] = {
        {2560, 2560, RateBasis::Configured, 2560},
        {2560, 2433, RateBasis::Configured, 2560},
        {2560, 2431, RateBasis::Short, 0},
        {2560, 2100, RateBasis::Short, 0},
        {2560, 0, RateBasis::Short, 0},
        {10, 10.4, RateBasis::Configured, 10},
        {0, 1122, RateBasis::Measured, 1122},
        {0, 0, RateBasis::None, 0},
        {std::nan(""), 500, RateBasis::Measured, 500},
        {-5, 500, RateBasis::Measured, 500}};
    for (const auto& [configured, measured, basis, rate] : cases) {
        const SpectrumRate chosen = ChooseSpectrumRate({configured, measured});
        EXPECT_EQ(std::tuple(chosen.Basis, chosen.Rate), std::tuple(basis, rate))
            << configured << " " << measured;
    }
}

} // namespace
} // namespace qn
