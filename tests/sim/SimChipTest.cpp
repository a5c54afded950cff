// Tests of the simulated chip: converter settings read through the shipped chip files' fields.
#include "sim/SimChip.h"
#include "SimChipFiles.h"
#include "SimTestBytes.h"

#include <gtest/gtest.h>

namespace qn::test {
namespace {

constexpr double kFullScaleCodes = 8388608.0;

struct SetupCase {
    const char* Name;
    uint16_t Chip;
    FieldValues Fields;
    bool Converting;
    bool Interrupts;
    double Rate;
    double Gain;
    double InputVolts; // with 0.25 V from the calibrator
};

TEST(SimChip, ReadsTheConverterSetupThroughTheChipFilesFields) {
    const SetupCase cases[] = {
        {"power-on", kQn7401, {}, false, false, 2560, 1, 0},
        {"enabled", kQn7401, {{"ADCEN", 1}, {"IRQEN", 1}}, true, true, 2560, 1, 0},
        {"slowest", kQn7401, {{"OSR", 7}}, false, false, 10, 1, 0},
        {"slowest high speed", kQn7401, {{"OSR", 7}, {"HS", 1}}, false, false, 30, 1, 0},
        {"osr 3", kQn7401, {{"OSR", 3}}, false, false, 320, 1, 0},
        {"osr 2 high speed", kQn7401, {{"OSR", 2}, {"HS", 1}}, false, false, 1920, 1, 0},
        {"pga 128", kQn7401, {{"PGA", 7}}, false, false, 2560, 128, 0},
        {"adc gain entry 3", kQn7401, {{"PGA", 3}, {"ADGN", 3}}, false, false, 2560, 32, 0},
        {"half full scale", kQn7401, {{"ADGN", 1}, {"FSRB", 1}}, false, false, 2560, 4, 0},
        {"calibrator", kQn7401, {{"INP", 0}, {"INN", 1}}, false, false, 2560, 1, 0.25},
        {"calibrator reversed", kQn7401, {{"INP", 1}, {"INN", 0}}, false, false, 2560, 1, -0.25},
        {"sensor pins", kQn7401, {{"INP", 6}, {"INN", 6}}, false, false, 2560, 1, 0.1},
        {"common mode to return", kQn7401, {{"INP", 7}, {"INN", 1}}, false, false, 2560, 1, 0},
        {"52K12 supply quarter",
         kChip52K12,
         {{"INP", 6}, {"INN", 7}},
         false,
         false,
         2560,
         1,
         0.825},
        {"52K12 rate", kChip52K12, {{"OSR", 5}, {"HS", 1}, {"ADCEN", 1}}, true, false, 240, 1, 0},
        {"52K12 gain", kChip52K12, {{"PGA", 5}, {"ADGN", 2}}, false, false, 2560, 128, 0},
    };
    for (const SetupCase& c : cases) {
        const ChipModel model = SelectShipped(c.Chip);
        SimRegisterFile registers{};
        SetFields(model, registers, c.Fields);
        const SimAdcSetup setup = SimChip(model).Setup(registers, {.CalibratorVolts = 0.25});
        EXPECT_EQ(setup.Converting, c.Converting) << c.Name;
        EXPECT_EQ(setup.Interrupts, c.Interrupts) << c.Name;
        EXPECT_EQ(setup.Rate, c.Rate) << c.Name;
        EXPECT_EQ(setup.Gain, c.Gain) << c.Name;
        EXPECT_NEAR(setup.InputVolts, c.InputVolts, 1e-9) << c.Name;
    }
}

struct MeanCase {
    double Volts;
    uint32_t Pga; // field value; the QN7401 table gives 2^value
    double Codes;
};

TEST(SimChip, MeanCodeIsTheInputAsAFractionOfTheGainedFullScale) {
    const MeanCase cases[] = {
        {0.0, 0, 0},
        {2.4, 0, kFullScaleCodes},         // the reference itself at gain 1
        {0.3, 3, kFullScaleCodes},         // the reference over gain 8
        {-0.15, 3, -kFullScaleCodes / 2},  // half of it, negative
        {0.01875, 6, kFullScaleCodes / 2}, // gain 64
        {1.2, 0, kFullScaleCodes / 2},
        {4.8, 0, 2 * kFullScaleCodes}, // beyond full scale; the conversion clamps it
    };
    const ChipModel model = SelectShipped(kQn7401);
    for (const MeanCase& c : cases) {
        SimRegisterFile registers{};
        SetFields(model, registers, {{"INP", 0}, {"INN", 1}, {"PGA", c.Pga}});
        const SimAdcSetup setup = SimChip(model).Setup(registers, {.CalibratorVolts = c.Volts});
        EXPECT_NEAR(setup.MeanCode, c.Codes, 1e-6) << c.Volts << " V, PGA " << c.Pga;
    }
}

TEST(SimChip, ChipWithoutAdcFieldsConvertsAllTheTimeAtUnityGain) {
    SimRegisterFile registers{};
    registers.fill(0xFF);
    const SimAdcSetup setup = SimChip(ChipModel{}).Setup(registers, {.CalibratorVolts = 1.0});
    EXPECT_TRUE(setup.Converting);
    EXPECT_TRUE(setup.Interrupts);
    EXPECT_FALSE(setup.Temperature);
    EXPECT_EQ(setup.Rate, SimOutputRate(0, false));
    EXPECT_EQ(setup.Gain, 1.0);
    EXPECT_EQ(setup.InputVolts, 0.0) << "both inputs on AI0";
}

TEST(SimChip, TemperatureConversionsCarryTheSensorCodeInTheUpperBits) {
    const ChipModel model = SelectShipped(kQn7401);
    SimRegisterFile registers{};
    SetFields(model, registers, {{"TS", 1}, {"PGA", 7}, {"INP", 0}, {"INN", 1}});
    const SimAdcSetup setup =
        SimChip(model).Setup(registers, {.CalibratorVolts = 1.0, .TemperatureCode = 0x0C80});
    EXPECT_TRUE(setup.Temperature);
    EXPECT_EQ(setup.MeanCode, 0x0C8000);
    EXPECT_EQ(setup.NoiseRmsCodes, SimNoiseRmsCodes(setup.Rate, 1)) << "the sensor skips the PGA";
}

TEST(SimChip, NoiseIsAFewCodesAtUnityGainAndGrowsWithGainAndBandwidth) {
    const double slowUnity = SimNoiseRmsCodes(SimOutputRate(7, false), 1);
    EXPECT_GE(slowUnity, 1.0);
    EXPECT_LE(slowUnity, 5.0);
    EXPECT_GT(SimNoiseRmsCodes(10, 128), 4 * slowUnity);
    EXPECT_LT(SimNoiseRmsCodes(SimOutputRate(0, true), 1), 100.0) << "still about 20 bits";
    for (const double gain : {1.0, 8.0, 128.0, 1024.0}) {
        // Constant noise density: four times the bandwidth doubles the RMS noise.
        EXPECT_NEAR(SimNoiseRmsCodes(640, gain), 2 * SimNoiseRmsCodes(160, gain), 1e-9) << gain;
        EXPECT_LT(SimNoiseRmsCodes(160, gain), SimNoiseRmsCodes(160, 2 * gain)) << gain;
    }
    EXPECT_EQ(SimNoiseRmsCodes(0, 128), 0.0);
}

TEST(SimChip, ResultsGoToTheResultRegistersOfTheChipFile) {
    const struct {
        uint16_t Chip;
        bool Temperature;
        size_t Address;
        Bytes Kept;
    } cases[] = {
        {kQn7401, false, 5, {0xFE, 0xDC, 0xBA}},
        {kQn7401, true, 6, {0xFE, 0xDC, 0x00}},
        {kChip52K12, false, 0x41, {0xFE, 0xDC, 0xBA}},
        {kChip52K12, true, 0x44, {0xFE, 0xDC, 0x00}},
    };
    for (const auto& c : cases) {
        SimRegisterFile registers{};
        SimChip(SelectShipped(c.Chip)).StoreResult(registers, -0x012346, c.Temperature);
        const Bytes kept(registers.begin() + static_cast<long>(c.Address),
                         registers.begin() + static_cast<long>(c.Address) + 3);
        EXPECT_EQ(kept, c.Kept) << c.Chip << (c.Temperature ? " temperature" : " ADC");
    }
    SimRegisterFile registers{};
    SimChip(ChipModel{}).StoreResult(registers, 0x123456, false);
    EXPECT_EQ(registers, SimRegisterFile{}) << "a chip without result fields keeps nothing";
}

} // namespace
} // namespace qn::test
