// Tests of the chart's per-column envelope and of the time chart's values.
#include "analysis/ChartEnvelope.h"
#include "analysis/ChartValues.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace qn {
namespace {

std::vector<double> Iota(size_t count) {
    std::vector<double> keys(count);
    std::iota(keys.begin(), keys.end(), 0.0);
    return keys;
}

TEST(ChartEnvelope, KeepsEachColumnsExtremesInDataOrder) {
    const std::vector<double> zigzag = {0, 5, -2, 1, -3, 3, 9, 2};
    std::vector<double> spike(16, 0.0);
    spike[9] = 7;
    std::vector<double> ramp(16);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = 2.0 * static_cast<double>(i);
    ramp[1] = 100; // outside the zoomed range below: must not reach the line
    const std::vector<double> five = {3, 1, 4, 1, 5};
    const ChartPoints ramped = {{3, 5.75, 5.75, 9.25, 9.25, 12}, {6, 8, 14, 16, 22, 24}};
    // Keys, values, the range shown, the plot's columns, the points drawn.
    using Row =
        std::tuple<std::vector<double>, std::vector<double>, double, double, int, ChartPoints>;
    const Row cases[] = {
        {{}, {}, 0, 10, 100, {}},                                // empty data
        {Iota(5), five, 0, 4, 10, {Iota(5), five}},              // fewer points than columns
        {Iota(5), five, 1, 2, 10, {{0, 1, 2, 3}, {3, 1, 4, 1}}}, // zoomed: a neighbour each side
        {Iota(5), five, 0, 4, 0, {Iota(5), five}},               // unknown width passes through
        {Iota(8), zigzag, 0, 7, 2, {{1.75, 1.75, 5.25, 5.25}, {5, -2, -3, 9}}}, // max, min order
        {Iota(16), spike, 0, 15, 2, {{3.75, 11.25, 11.25}, {0, 0, 7}}},         // a spike survives
        {Iota(16), ramp, 4, 11, 2, ramped}, // zoomed into part of the data
        {Iota(16), ramp, 11, 4, 2, ramped}, // range given upper first
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& [keys, values, lower, upper, columns, expected] = cases[i];
        const ChartPoints got = ChartEnvelope(keys, values, lower, upper, columns);
        EXPECT_EQ(std::tie(got.X, got.Y), std::tie(expected.X, expected.Y)) << "case " << i;
    }
}

TEST(ChartValues, ScaleSignAndChangeSums) {
    AnalysisStore store;
    store.ADCData[0] = 1000.7;
    store.ADCData[1] = 16777215; // −1 as 24-bit
    store.ADCData[2] = 16777216 - 7;
    store.ADCChange[0] = 12.9;
    store.ADCChange[1] = 16777216 - 9;
    store.ADCChange[2] = 5;
    const std::tuple<ChartRequest, std::vector<double>> cases[] = {
        {{3, 0, 1, false}, {1000, -1, -7}},
        {{3, 0, 4, false}, {250, 0, -1}}, // toward zero, both signs
        {{2, 0, 1, true}, {12, -9}},      // the sign comes from the code, not the sum
        {{-1, 0, 1, false}, {}},
    };
    for (const auto& [request, expected] : cases) EXPECT_EQ(ChartValues(store, request), expected);
    EXPECT_EQ(ChartKeys(4, 10), (std::vector<double>{0, 2.5, 5, 7.5}));
    EXPECT_EQ(ChartKeys(3, 0), (std::vector<double>{0, 1, 2}));
}

} // namespace
} // namespace qn
