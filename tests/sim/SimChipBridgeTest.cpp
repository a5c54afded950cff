// Tests of the simulated bridge with a chip loaded: its conversions follow the written registers.
#include "SimChipFiles.h"
#include "SimTestBytes.h"
#include "sim/SimClock.h"

#include <gtest/gtest.h>

#include <memory>

namespace qn::test {
namespace {

const Bytes kStart = {0xC4, 0x02, 0x01, 0x00, 0x00};
const Bytes kSingleRead = {0xC4, 0x01, 0xA0, 0x05, 0x03};

class SimChipBridgeTest : public ::testing::Test {
  protected:
    // A fresh bridge with `chip`'s description loaded and a power-on register file.
    void Load(uint16_t chip) {
        model = SelectShipped(chip);
        special = chip == kChip52K12;
        bridge = std::make_unique<SimBridge>(clock);
        bridge->LoadChip(model);
    }
    // Writes the fields' registers through the chip's own write frame, as the tool does.
    void Set(const FieldValues& values) {
        for (const auto& [name, value] : values) {
            const RegFieldDesc& field = model.AdcFields[name];
            const uint8_t byte = field.Merge(bridge->Registers[field.Address], value);
            const auto at = static_cast<uint8_t>(field.Address);
            const Bytes frame = special ? Bytes{0xBA, 0x40, at, 1, 1, byte}
                                        : Bytes{0xC4, 0x00, 0xA0, at, 1, 0, 0, byte};
            ASSERT_FALSE(Exchange(*bridge, frame).empty()) << name;
        }
    }
    int FetchAfter(double ms) {
        clock.AdvanceMs(ms);
        last = Exchange(*bridge, {0xC4, 0x04});
        return last.empty() ? -1 : last[0];
    }
    int32_t Sample(size_t i) const { return Code24(last.data() + 1 + 3 * i); }
    int32_t SingleRead() { return Code24(Exchange(*bridge, kSingleRead).data() + 1); }

    SimClock clock;
    ChipModel model;
    bool special = false;
    std::unique_ptr<SimBridge> bridge;
    Bytes last;
};

const FieldValues kRunning = {{"ADCEN", 1}, {"IRQEN", 1}};

struct StreamCase {
    const char* Name;
    uint16_t Chip;
    FieldValues Fields;
    std::vector<double> StepsMs;
    std::vector<int> Counts;
};

TEST_F(SimChipBridgeTest, StreamCountFollowsTheWrittenRateAndSwitches) {
    const StreamCase cases[] = {
        {"960 sps", kQn7401, {{"OSR", 3}, {"HS", 1}}, {10, 10, 5}, {9, 10, 5}},
        {"52K12 80 sps", kChip52K12, {{"OSR", 5}}, {250, 125}, {20, 10}},
        {"52K12 1920 sps", kChip52K12, {{"OSR", 2}, {"HS", 1}}, {5, 5}, {9, 10}},
        {"ADCEN off", kQn7401, {{"OSR", 7}, {"ADCEN", 0}}, {5000}, {0}},
        {"IRQEN off", kQn7401, {{"OSR", 7}, {"IRQEN", 0}}, {5000}, {0}},
        {"52K12 ADCEN off", kChip52K12, {{"OSR", 7}, {"ADCEN", 0}}, {5000}, {0}},
    };
    for (const StreamCase& c : cases) {
        Load(c.Chip);
        Set(kRunning);
        Set(c.Fields);
        ASSERT_EQ(Exchange(*bridge, kStart), Padded({0xFA})) << c.Name;
        std::vector<int> counts;
        for (double ms : c.StepsMs) counts.push_back(FetchAfter(ms));
        EXPECT_EQ(counts, c.Counts) << c.Name;
    }
}

TEST_F(SimChipBridgeTest, RateChangeMidStreamKeepsTheConversionsAlreadyMade) {
    Load(kQn7401);
    Set(kRunning);
    Set({{"OSR", 7}});
    Exchange(*bridge, kStart);
    clock.AdvanceMs(1000); // 10 at 10 sps
    Set({{"OSR", 6}});
    EXPECT_EQ(FetchAfter(500), 21); // 20 more at 40 sps
    EXPECT_EQ(FetchAfter(0), 9);
    Set({{"ADCEN", 0}});
    EXPECT_EQ(FetchAfter(3000), 0);
    Set({{"ADCEN", 1}});
    EXPECT_EQ(FetchAfter(250), 10) << "counting resumes when the chip is switched back on";
}

TEST_F(SimChipBridgeTest, SwitchedOffChipAnswersItsLastResult) {
    Load(kQn7401);
    bridge->SetInputVoltage(0.6);
    Set({{"INP", 0}, {"INN", 1}, {"OSR", 7}});
    EXPECT_EQ(SingleRead(), 0) << "nothing converted yet";
    Set({{"ADCEN", 1}});
    const int32_t converted = SingleRead();
    EXPECT_NEAR(converted, 0x200000, 20) << "a quarter of full scale";
    EXPECT_EQ((Bytes{bridge->Registers[5], bridge->Registers[6], bridge->Registers[7]}),
              (Bytes{static_cast<uint8_t>(converted >> 16), static_cast<uint8_t>(converted >> 8),
                     static_cast<uint8_t>(converted)}))
        << "the result registers hold it";
    Set({{"ADCEN", 0}});
    bridge->SetInputVoltage(-0.6);
    EXPECT_EQ(SingleRead(), converted);
    EXPECT_EQ(SingleRead(), converted);
    Set({{"ADCEN", 1}});
    EXPECT_NEAR(SingleRead(), -0x200000, 20);
}

TEST_F(SimChipBridgeTest, ConversionsBeyondFullScaleClampToTheCodeRange) {
    Load(kQn7401);
    Set({{"ADCEN", 1}, {"INP", 0}, {"INN", 1}, {"PGA", 7}});
    for (const double volts : {0.1, 4.8}) {
        bridge->SetInputVoltage(volts);
        EXPECT_EQ(SingleRead(), kAdcCodeMax) << volts;
        bridge->SetInputVoltage(-volts);
        EXPECT_EQ(SingleRead(), kAdcCodeMin) << -volts;
    }
}

TEST_F(SimChipBridgeTest, TemperatureConversionsStreamTheSensorCode) {
    Load(kQn7401);
    bridge->SetTemperatureCode(0x0C80);
    bridge->SetInputVoltage(1.0);
    Set(kRunning);
    Set({{"OSR", 7}, {"TS", 1}, {"PGA", 7}, {"INP", 0}, {"INN", 1}});
    Exchange(*bridge, kStart);
    ASSERT_EQ(FetchAfter(2000), 20);
    for (size_t i = 0; i < 20; ++i) EXPECT_NEAR(Sample(i), 0x0C8000, 16) << i;
    EXPECT_EQ(bridge->Registers[6], 0x0C) << "the temperature result register holds it";
}

TEST_F(SimChipBridgeTest, RegistersOverrideTheFixedRateAndSignal) {
    Load(kQn7401);
    Set(kRunning);
    Set({{"OSR", 7}});
    Exchange(*bridge, kStart);
    bridge->SetOutputRate(1000);
    bridge->SetSignal(0x400000, 0);
    ASSERT_EQ(FetchAfter(1000), 10);
    EXPECT_NEAR(Sample(0), 0, 16) << "inputs shorted on AI0";
}

} // namespace
} // namespace qn::test
