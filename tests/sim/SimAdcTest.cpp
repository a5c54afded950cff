// Tests of the simulated ADC stream: fetch counts over bench time, sample codes and noise.
#include "SimTestBytes.h"
#include "sim/SimClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace qn::test {
namespace {

const Bytes kStart = {0xC4, 0x02, 0x01, 0x00, 0x00};
const Bytes kFetch = {0xC4, 0x04};

class SimAdcTest : public ::testing::Test {
  protected:
    // Advances the bench clock by `ms`, then fetches; returns the count byte.
    int FetchAfter(double ms) {
        clock.AdvanceMs(ms);
        last = Exchange(bridge, kFetch);
        return last.empty() ? -1 : last[0];
    }
    std::vector<int32_t> Samples(size_t count) const {
        std::vector<int32_t> codes;
        for (size_t i = 0; i < count; ++i) codes.push_back(Code24(last.data() + 1 + 3 * i));
        return codes;
    }

    SimClock clock;
    SimBridge bridge{clock};
    Bytes last;
};

struct RateCase {
    double Rate;
    std::vector<double> StepsMs;
    std::vector<int> Counts;
};

TEST_F(SimAdcTest, FetchCountFollowsTheOutputRate) {
    const RateCase cases[] = {
        {100, {150}, {15}},
        {100, {500, 0, 0, 0}, {21, 21, 8, 0}},
        {100, {9.9, 0.1, 5}, {0, 1, 0}},
        {150, {10, 10, 10, 10}, {1, 2, 1, 2}},
        {1000, {21, 22, 1}, {21, 21, 2}},
    };
    for (const RateCase& c : cases) {
        bridge.SetOutputRate(c.Rate);
        ASSERT_EQ(Exchange(bridge, kStart), Padded({0xFA}));
        std::vector<int> counts;
        for (double ms : c.StepsMs) counts.push_back(FetchAfter(ms));
        EXPECT_EQ(counts, c.Counts) << "rate " << c.Rate;
    }
}

TEST_F(SimAdcTest, LongStreamDoesNotDrift) {
    bridge.SetOutputRate(1000.0 / 3.0);
    Exchange(bridge, kStart);
    int total = 0;
    for (int i = 0; i < 1000; ++i) total += FetchAfter(7);
    EXPECT_EQ(total, 2333); // 7000 ms at a third of a conversion per ms
}

TEST_F(SimAdcTest, StreamStateDecidesWhatIsOwed) {
    EXPECT_EQ(FetchAfter(500), 0) << "never started";
    Exchange(bridge, kStart);
    clock.AdvanceMs(300);
    Exchange(bridge, kStart);
    EXPECT_EQ(FetchAfter(50), 5) << "a restart forgets what was owed";
    EXPECT_EQ(Exchange(bridge, {0xC4, 0x03, 0x01}), Padded({0xFA}));
    EXPECT_FALSE(bridge.Streaming());
    EXPECT_EQ(FetchAfter(500), 0) << "stopped";
    Exchange(bridge, kStart);
    clock.AdvanceMs(100);
    bridge.SetOutputRate(1000);
    EXPECT_EQ(FetchAfter(10), 20) << "a new rate keeps the conversions already made";
}

TEST_F(SimAdcTest, Count22ClaimsOneSampleMoreThanFits) {
    bridge.SetSignal(0x123456, 0);
    bridge.Faults.Count22 = true;
    Exchange(bridge, kStart);
    ASSERT_EQ(FetchAfter(10), 22);
    EXPECT_EQ(Samples(21), std::vector<int32_t>(21, 0x123456));
}

TEST_F(SimAdcTest, SamplesAreRoundedAndClampedTo24Bits) {
    const std::pair<double, Bytes> cases[] = {
        {0x123456, {0x12, 0x34, 0x56}},  {-1, {0xFF, 0xFF, 0xFF}},  {2.5, {0x00, 0x00, 0x03}},
        {-0x800000, {0x80, 0x00, 0x00}}, {9e6, {0x7F, 0xFF, 0xFF}}, {-9e6, {0x80, 0x00, 0x00}},
    };
    Exchange(bridge, kStart);
    for (const auto& [mean, bytes] : cases) {
        bridge.SetSignal(mean, 0);
        ASSERT_EQ(FetchAfter(10), 1) << mean;
        EXPECT_EQ(Bytes(last.begin() + 1, last.begin() + 4), bytes) << mean;
    }
}

TEST_F(SimAdcTest, NoiseHasTheConfiguredMeanAndSpread) {
    const std::pair<double, double> cases[] = {{0x123456, 2}, {-5000, 40}, {100, 0.5}};
    Exchange(bridge, kStart);
    for (const auto& [mean, rms] : cases) {
        bridge.SetSignal(mean, rms);
        std::vector<int32_t> codes;
        for (int i = 0; i < 100; ++i) {
            ASSERT_EQ(FetchAfter(210), 21);
            for (int32_t code : Samples(21)) codes.push_back(code);
        }
        const double n = static_cast<double>(codes.size());
        const double avg = std::accumulate(codes.begin(), codes.end(), 0.0) / n;
        double squares = 0;
        for (int32_t code : codes) squares += (code - avg) * (code - avg);
        const double expectedRms = std::sqrt(rms * rms + 1.0 / 12); // rounding adds 1/12
        EXPECT_NEAR(avg, mean, 5 * expectedRms / std::sqrt(n)) << mean;
        EXPECT_NEAR(std::sqrt(squares / n), expectedRms, 0.1 * expectedRms) << mean;
    }
}

TEST_F(SimAdcTest, NoiseFollowsTheSeed) {
    auto stream = [this](uint32_t seed) {
        SimBridge other(clock, seed);
        Exchange(other, kStart);
        clock.AdvanceMs(210);
        return Exchange(other, kFetch);
    };
    EXPECT_EQ(stream(7), stream(7));
    EXPECT_NE(stream(7), stream(8));
}

} // namespace
} // namespace qn::test
