// ADC captures through the whole link from a simulated QN7401 that reads the tool's chip file.
#include "SimLinkFixture.h"
#include "chip/ChipCatalogue.h"
#include "chip/RegField.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <numeric>
#include <vector>

namespace qn::test {
namespace {

const std::filesystem::path kInclude = QN_INCLUDE_DIR;
constexpr double kFetchPauseMs = 10; // the link's own pause after every fetch

struct Spread {
    double Mean = 0;
    double Rms = 0; // population standard deviation, as the noise statistics take it
};

Spread SpreadOf(const std::vector<int32_t>& codes) {
    const double n = static_cast<double>(codes.size());
    const double mean = std::accumulate(codes.begin(), codes.end(), 0.0) / n;
    double squares = 0;
    for (const int32_t c : codes) squares += (c - mean) * (c - mean);
    return {mean, std::sqrt(squares / n)};
}

class ChipAdcLink : public SimLinkFixture {
  protected:
    void SetUp() override {
        bool flag3 = true;
        ASSERT_TRUE(ChipCatalogue(kInclude).SelectChip(bench.Model, 0, flag3).Read);
        ASSERT_EQ(bench.Model.ProductName, "QN7401");
        bench.Chip.SetChip(&bench.ChipInfo);
        bridge.LoadChip(bench.Model);
        ConnectDriverBridge(kLinkQn740x);
    }

    // Changes one field the way the ADC panel does: read-modify-write and a register write.
    void SetField(const char* name, uint32_t value) {
        const RegFieldDesc& field = bench.Model.AdcFields[name];
        ASSERT_TRUE(WriteField(field, value, bench.Stnd.RegImage, [this](int a, uint8_t v) {
            bench.Chip.WriteRegister(a, v);
        })) << name;
        ASSERT_EQ(ReadField(field, bench.Stnd.RegImage), value) << name << " read back";
    }

    // Sample k of the last fetch, from the link's buffer.
    int32_t Sample(int k) const {
        const auto at = static_cast<size_t>(1 + 3 * k);
        const auto& io = bench.Usb.UsbIoBuffer;
        const int32_t raw = (io[at] << 16) | (io[at + 1] << 8) | io[at + 2];
        return raw >= 0x800000 ? raw - 0x1000000 : raw;
    }

    // One fetch; its samples go to the end of `codes`.
    int Fetch(std::vector<int32_t>& codes) {
        const int n = bench.Chip.FetchAdcSamples();
        for (int k = 0; k < n; ++k) codes.push_back(Sample(k));
        return n;
    }
    // Waits so that about ten conversions are due at `rate`, then fetches.
    int FetchPaced(double rate, std::vector<int32_t>& codes) {
        clock.AdvanceMs(std::max(0.0, 10000.0 / rate - kFetchPauseMs));
        return Fetch(codes);
    }

    // A stream of `count` conversions at `rate` conversions per second.
    std::vector<int32_t> Capture(size_t count, double rate) {
        std::vector<int32_t> codes;
        EXPECT_TRUE(bench.Chip.StartAdcStream(3));
        for (int guard = 0; codes.size() < count && guard < 10000; ++guard) FetchPaced(rate, codes);
        EXPECT_TRUE(bench.Chip.StopAdcStream());
        codes.resize(std::min(codes.size(), count));
        return codes;
    }
};

struct RateCase {
    uint32_t Osr;
    uint32_t Hs;
    double Rate; // what the ADC panel shows for the setting
};

TEST_F(ChipAdcLink, FetchedCountFollowsTheRateOfTheOsrAndHsSetting) {
    const RateCase cases[] = {{7, 0, 10},  {7, 1, 30},   {5, 0, 80},  {4, 1, 480},
                              {3, 1, 960}, {1, 0, 1280}, {2, 1, 1920}};
    for (const RateCase& c : cases) {
        SetField("OSR", c.Osr);
        SetField("HS", c.Hs);
        ASSERT_TRUE(bench.Chip.StartAdcStream(3)); // also switches on IRQEN and ADCEN
        const double started = clock.ElapsedSinceStartMs();
        std::vector<int32_t> codes;
        for (int i = 0; i < 40; ++i) FetchPaced(c.Rate, codes);
        const double lastFetch = clock.ElapsedSinceStartMs() - kFetchPauseMs;
        ASSERT_TRUE(bench.Chip.StopAdcStream());
        const double expected = c.Rate * (lastFetch - started) / 1000;
        EXPECT_NEAR(static_cast<double>(codes.size()), expected, 1.5)
            << "OSR " << c.Osr << " HS " << c.Hs;
    }
}

struct NoiseCase {
    uint32_t Pga; // field value: gain 2^value
    uint32_t Osr;
    double Rate;
};

TEST_F(ChipAdcLink, NoiseGrowsWithGainAndShrinksWithOversampling) {
    const NoiseCase cases[] = {{0, 7, 10}, {7, 7, 10}, {0, 3, 320}, {7, 3, 320}};
    std::vector<double> rms;
    for (const NoiseCase& c : cases) {
        SetField("PGA", c.Pga);
        SetField("OSR", c.Osr);
        const Spread spread = SpreadOf(Capture(2000, c.Rate));
        EXPECT_NEAR(spread.Mean, 0, 4 * spread.Rms / std::sqrt(2000.0)) << "inputs shorted";
        rms.push_back(spread.Rms);
    }
    EXPECT_GT(rms[0], 0.5) << "a 24-bit converter is never quiet";
    EXPECT_LT(rms[0], 5.0) << "a few codes at gain 1 and the slowest rate";
    EXPECT_GT(rms[1], 4 * rms[0]) << "gain 128 against gain 1";
    EXPECT_GT(rms[2], 3 * rms[0]) << "32 times the bandwidth at gain 1";
    EXPECT_GT(rms[3], 4 * rms[1]) << "32 times the bandwidth at gain 128";
    EXPECT_GT(rms[3], 4 * rms[2]) << "gain 128 against gain 1 at 320 sps";
}

TEST_F(ChipAdcLink, CalibratorVoltageArrivesTimesTheGain) {
    bridge.SetInputVoltage(0.1);
    SetField("INP", 0); // AI0: the calibrator's output
    SetField("INN", 1); // AI1: its return
    SetField("PGA", 3);
    SetField("OSR", 5);
    const Spread spread = SpreadOf(Capture(500, 80));
    EXPECT_NEAR(spread.Mean, 0.1 * 8 / 2.4 * 0x800000, 1.5) << "a third of full scale";
}

TEST_F(ChipAdcLink, AdcSwitchedOffMakesNoConversions) {
    // The stream start switches IRQEN on behind the register image's back, so the panel's later
    // writes of that register would clear it again; switch it on through the panel first.
    SetField("IRQEN", 1);
    SetField("OSR", 3);
    std::vector<int32_t> codes;
    ASSERT_TRUE(bench.Chip.StartAdcStream(3));
    clock.AdvanceMs(40);
    ASSERT_GT(Fetch(codes), 0);
    SetField("ADCEN", 0);
    Fetch(codes); // those made before the switch
    const auto last = static_cast<uint32_t>(codes.back());
    const std::array<uint8_t, 3> lastBytes = {static_cast<uint8_t>(last >> 16),
                                              static_cast<uint8_t>(last >> 8),
                                              static_cast<uint8_t>(last)};
    for (int i = 0; i < 5; ++i) {
        clock.AdvanceMs(1000);
        EXPECT_EQ(Fetch(codes), 0) << i;
        ASSERT_TRUE(bench.Chip.ReadAdcResult());
        EXPECT_EQ(bench.Chip.Readings.Adc, lastBytes) << "single reads repeat the last result";
    }
    SetField("ADCEN", 1);
    clock.AdvanceMs(40);
    EXPECT_GT(Fetch(codes), 10) << "switched back on";
}

} // namespace
} // namespace qn::test
