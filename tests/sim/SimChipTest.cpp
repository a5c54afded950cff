// Tests of the simulated chip: converter settings read through the shipped chip files' fields,
// and the conversions a bridge with the chip loaded streams.
#include "sim/SimChip.h"
#include "SimTestHelpers.h"
#include "chip/AdcPanelState.h"
#include "link/LinkFrames.h"

#include <tuple>

namespace qn::test {
namespace {

TEST(SimChip, ReadsTheConverterSetupThroughTheChipFilesFields) {
    const struct {
        const char* Name;
        uint16_t Chip;
        FieldValues Fields;
        bool Converting, Interrupts;
        double Rate, Gain, InputVolts; // input with 0.25 V from the calibrator
    } cases[] = {
        {"power-on", kQn7401, {}, false, false, 2560, 1, 0},
        {"enabled", kQn7401, {{"ADCEN", 1}, {"IRQEN", 1}}, true, true, 2560, 1, 0},
        {"slowest high speed", kQn7401, {{"OSR", 7}, {"HS", 1}}, false, false, 30, 1, 0},
        {"pga 128", kQn7401, {{"PGA", 7}}, false, false, 2560, 128, 0},
        {"adc gain entry 3", kQn7401, {{"PGA", 3}, {"ADGN", 3}}, false, false, 2560, 32, 0},
        {"half full scale", kQn7401, {{"ADGN", 1}, {"FSRB", 1}}, false, false, 2560, 4, 0},
        {"calibrator reversed", kQn7401, {{"INP", 1}, {"INN", 0}}, false, false, 2560, 1, -0.25},
        {"sensor pins", kQn7401, {{"INP", 6}, {"INN", 6}}, false, false, 2560, 1, 0.1},
        {"common mode to return", kQn7401, {{"INP", 7}, {"INN", 1}}, false, false, 2560, 1, 0},
        {"52K12 supply", kChip52K12, {{"INP", 6}, {"INN", 7}}, false, false, 2560, 1, 0.825},
        {"52K12 rate", kChip52K12, {{"OSR", 5}, {"HS", 1}, {"ADCEN", 1}}, true, false, 240, 1, 0},
        {"52K12 gain", kChip52K12, {{"PGA", 5}, {"ADGN", 2}}, false, false, 2560, 128, 0},
    };
    for (const auto& c : cases) {
        const ChipModel model = SelectShipped(c.Chip);
        SimRegisterFile registers{};
        SetFields(model, registers, c.Fields);
        const SimAdcSetup setup = SimChip(model).Setup(registers, {.CalibratorVolts = 0.25});
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(std::tuple(setup.Converting, setup.Interrupts, setup.Rate, setup.Gain,
                             setup.NoiseRmsCodes),
                  std::tuple(c.Converting, c.Interrupts, c.Rate, c.Gain,
                             SimNoiseRmsCodes(c.Rate, c.Gain)));
        EXPECT_NEAR(setup.InputVolts, c.InputVolts, 1e-9);
    }
}

// The simulated chip converts at the rate the ADC panel shows for every OSR and HS value.
TEST(SimChip, ConvertsAtTheRatesTheAdcPanelShows) {
    for (const uint32_t osr : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u})
        for (const bool highSpeed : {false, true})
            EXPECT_EQ(SimOutputRate(osr, highSpeed),
                      AdcOutputRate(static_cast<int>(osr), highSpeed))
                << osr << highSpeed;
}

TEST(SimChip, ChipWithoutFieldsConvertsAllTheTimeAndKeepsNoResult) {
    SimRegisterFile registers{};
    registers.fill(0xFF);
    const SimAdcSetup setup = SimChip(ChipModel{}).Setup(registers, {.CalibratorVolts = 1.0});
    EXPECT_EQ(
        std::tuple(setup.Converting, setup.Interrupts, setup.Temperature, setup.Rate, setup.Gain),
        std::tuple(true, true, false, 2560.0, 1.0));
    EXPECT_EQ(setup.InputVolts, 0.0) << "both inputs on AI0";
    registers.fill(0);
    SimChip(ChipModel{}).StoreResult(registers, 0x123456, false);
    EXPECT_EQ(registers, SimRegisterFile{});
}

TEST(SimChip, NoiseGrowsWithTheSquareRootOfTheRateAndWithGain) {
    EXPECT_LT(SimNoiseRmsCodes(SimOutputRate(0, true), 1), 100.0) << "still about 20 bits";
    EXPECT_NEAR(SimNoiseRmsCodes(10, 1), 2, 0.1) << "a few codes at gain 1 and the slowest rate";
    EXPECT_NEAR(SimNoiseRmsCodes(10, 128), 18, 0.5) << "the front end's noise at gain 128";
    for (const double gain : {1.0, 8.0, 128.0, 1024.0}) {
        EXPECT_NEAR(SimNoiseRmsCodes(640, gain), 2 * SimNoiseRmsCodes(160, gain), 1e-9) << gain;
        EXPECT_LT(SimNoiseRmsCodes(160, gain), SimNoiseRmsCodes(160, 2 * gain)) << gain;
    }
    EXPECT_EQ(SimNoiseRmsCodes(0, 128), 0.0);
}

TEST(SimChip, ResultsGoToTheResultRegistersOfTheChipFile) {
    // The chip, whether the result is a temperature, where it goes and the bytes kept there.
    const std::tuple<uint16_t, bool, long, Bytes> cases[] = {
        {kQn7401, false, 5, {0xFE, 0xDC, 0xBA}},
        {kQn7401, true, 6, {0xFE, 0xDC, 0x00}},
        {kChip52K12, false, 0x41, {0xFE, 0xDC, 0xBA}},
        {kChip52K12, true, 0x44, {0xFE, 0xDC, 0x00}},
    };
    for (const auto& [chip, temperature, address, kept] : cases) {
        SimRegisterFile registers{};
        SimChip(SelectShipped(chip)).StoreResult(registers, -0x012346, temperature);
        const auto at = registers.begin() + address;
        EXPECT_EQ(Bytes(at, at + 3), kept) << chip << (temperature ? " temperature" : "");
    }
}

// A bridge with the QN7401's description loaded, fetched from as the ADC stream is.
class SimChipBridgeTest : public SimStreamTest {
  protected:
    // A fresh bridge with a power-on register file.
    void Load() {
        bridge = std::make_unique<SimBridge>(clock);
        bridge->LoadChip(model);
        bridge->SetOutputRate(5000); // the chip's registers decide instead
    }
    // Sets fields as the ADC panel does; the bridge takes them in at its next request.
    void Set(const FieldValues& values) {
        SetFields(model, bridge->Registers, values);
        ASSERT_FALSE(Exchange(*bridge, Qn740xReadFrame(0, 1).Bytes).empty());
    }

    const ChipModel model = SelectShipped(kQn7401);
};

// The bridge arms its stream at the start request: a stream started while "ADCEN" or "IRQEN"
// is 0 brings nothing, even once the host sets both right after the start, until restarted.
TEST_F(SimChipBridgeTest, StreamStartedWithTheAdcOffBringsNothing) {
    const std::pair<FieldValues, int> cases[] = {
        {{{"ADCEN", 1}, {"IRQEN", 1}}, 10},
        {{{"ADCEN", 0}, {"IRQEN", 1}}, 0},
        {{{"ADCEN", 1}, {"IRQEN", 0}}, 0},
        {{}, 0},
    };
    for (const auto& [atStart, made] : cases) {
        Load();
        Set({{"OSR", 7}});
        Set(atStart);
        Exchange(*bridge, kStart);
        Set({{"ADCEN", 1}, {"IRQEN", 1}});
        EXPECT_EQ(FetchAfter(1000), made) << ::testing::PrintToString(atStart);
        Exchange(*bridge, kStart);
        EXPECT_EQ(FetchAfter(1000), 10) << "after the restart";
    }
}

// While "ADCEN" is 0 the chip makes no conversions: a single read answers the last one again.
TEST_F(SimChipBridgeTest, SwitchedOffChipRepeatsItsLastResult) {
    Load();
    Set({{"ADCEN", 1}, {"IRQEN", 1}, {"OSR", 3}});
    Exchange(*bridge, kStart);
    const int made = FetchAfter(50);
    ASSERT_GT(made, 0);
    const int32_t lastCode = Sample(static_cast<size_t>(made - 1));
    Set({{"ADCEN", 0}});
    last = Exchange(*bridge, AdcResultFrame().Bytes);
    EXPECT_EQ(Sample(0), lastCode);
    Set({{"ADCEN", 1}});
    EXPECT_GT(FetchAfter(50), 0) << "switched back on";
}

// The sensor's code fills the upper bits, without the PGA's gain or noise.
TEST_F(SimChipBridgeTest, TemperatureConversionsStreamTheSensorCode) {
    Load();
    bridge->SetTemperatureCode(0x0C80);
    bridge->SetInputVoltage(1.0);
    Set({{"ADCEN", 1}, {"IRQEN", 1}, {"OSR", 7}, {"TS", 1}, {"PGA", 7}, {"INP", 0}, {"INN", 1}});
    Exchange(*bridge, kStart);
    ASSERT_EQ(FetchAfter(2000), 20);
    for (size_t i = 0; i < 20; ++i) EXPECT_NEAR(Sample(i), 0x0C8000, 16) << i;
}

} // namespace
} // namespace qn::test
