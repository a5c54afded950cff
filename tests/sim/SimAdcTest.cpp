// Tests of the simulated ADC stream: conversions owed over bench time, sample codes and noise.
#include "SimTestHelpers.h"

#include <cmath>
#include <tuple>

namespace qn::test {
namespace {

using SimAdcTest = SimStreamTest;

TEST_F(SimAdcTest, FetchCountFollowsTheOutputRate) {
    // The rate, the bench time before each fetch, and the counts fetched.
    const std::tuple<double, std::vector<double>, std::vector<int>> cases[] = {
        {100, {150}, {15}},
        {100, {500, 0, 0, 0}, {21, 21, 8, 0}},
        {100, {1000, 0, 0, 0, 0}, {21, 21, 21, 1, 0}}, // a full buffer keeps its newest 64
        {100, {9.9, 0.1, 5}, {0, 1, 0}},
        {150, {10, 10, 10, 10}, {1, 2, 1, 2}},
        {1000, {21, 22, 1}, {21, 21, 2}},
    };
    for (const auto& [rate, stepsMs, expected] : cases) {
        bridge->SetOutputRate(rate);
        ASSERT_FALSE(Exchange(*bridge, kStart).empty());
        std::vector<int> counts;
        for (double ms : stepsMs) counts.push_back(FetchAfter(ms));
        EXPECT_EQ(counts, expected) << "rate " << rate;
    }
}

TEST_F(SimAdcTest, LongStreamDoesNotDrift) {
    bridge->SetOutputRate(1000.0 / 3.0);
    Exchange(*bridge, kStart);
    int total = 0;
    for (int i = 0; i < 1000; ++i) total += FetchAfter(7);
    EXPECT_EQ(total, 2333); // 7000 ms at a third of a conversion per ms
}

TEST_F(SimAdcTest, StreamStateDecidesWhatIsOwed) {
    EXPECT_EQ(FetchAfter(500), 0) << "never started";
    Exchange(*bridge, kStart);
    clock.AdvanceMs(300);
    Exchange(*bridge, kStart);
    EXPECT_EQ(FetchAfter(50), 5) << "a restart forgets what was owed";
    Exchange(*bridge, {0xC4, 0x03, 0x01});
    EXPECT_EQ(FetchAfter(500), 0) << "stopped";
    Exchange(*bridge, kStart);
    clock.AdvanceMs(100);
    bridge->SetOutputRate(1000);
    EXPECT_EQ(FetchAfter(10), 20) << "a new rate keeps the conversions already made";
    bridge->Faults.Count22 = true;
    EXPECT_EQ(FetchAfter(0), 22);
    EXPECT_NE(Sample(20), 0) << "21 samples follow the false count";
}

// Without noise each sample is the mean rounded and clamped to 24 bits; with noise the samples
// have the configured mean and spread.
TEST_F(SimAdcTest, SamplesHaveTheConfiguredMeanAndNoiseIn24Bits) {
    // Mean, noise, and the one sample without noise.
    const std::tuple<double, double, int32_t> cases[] = {
        {0x123456, 0, 0x123456},   {-1, 0, -1},        {2.5, 0, 3},
        {-0x800000, 0, -0x800000}, {9e6, 0, 0x7FFFFF}, {-9e6, 0, -0x800000},
        {0x123456, 2, 0},          {-5000, 40, 0},     {100, 0.5, 0}};
    Exchange(*bridge, kStart);
    for (const auto& [mean, rms, code] : cases) {
        bridge->SetSignal(mean, rms);
        if (rms == 0) {
            ASSERT_EQ(FetchAfter(10), 1) << mean;
            EXPECT_EQ(Sample(0), code) << mean;
            continue;
        }
        double sum = 0, squares = 0;
        const double n = 2100;
        for (int fetch = 0; fetch < 100; ++fetch) {
            ASSERT_EQ(FetchAfter(210), 21);
            for (size_t i = 0; i < 21; ++i) sum += Sample(i);
            for (size_t i = 0; i < 21; ++i) squares += std::pow(Sample(i) - mean, 2);
        }
        const double expectedRms = std::sqrt(rms * rms + 1.0 / 12); // rounding adds 1/12
        EXPECT_NEAR(sum / n, mean, 5 * expectedRms / std::sqrt(n)) << mean;
        EXPECT_NEAR(std::sqrt(squares / n), expectedRms, 0.1 * expectedRms) << mean;
    }
}

TEST_F(SimAdcTest, NoiseFollowsTheSeed) {
    auto stream = [this](uint32_t seed) {
        SimBridge other(clock, seed);
        Exchange(other, kStart);
        clock.AdvanceMs(210);
        return Exchange(other, {0xC4, 0x04});
    };
    EXPECT_EQ(stream(7), stream(7));
    EXPECT_NE(stream(7), stream(8));
}

} // namespace
} // namespace qn::test
