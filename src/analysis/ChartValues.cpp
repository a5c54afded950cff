// The time-domain chart's values from the captured codes or change sums, and their times.
#include "analysis/ChartValues.h"

#include <algorithm>
#include <cmath>

namespace qn {
namespace {

constexpr int64_t kSignBit = 8388608; // 2^23
constexpr int64_t kWrap24 = 16777216; // 2^24

// Division truncated toward zero, whatever the sign.
int64_t DivideTowardZero(int64_t value, int64_t divisor) {
    return value / std::max<int64_t>(divisor, 1);
}

} // namespace

std::vector<double> ChartValues(const AnalysisStore& store, const ChartRequest& request) {
    const auto count = static_cast<size_t>(std::clamp<int32_t>(request.Count, 0, kSampleCapacity));
    const std::vector<double>& shown = request.ChangeMode ? store.ADCChange : store.ADCData;
    std::vector<double> values(count);
    for (size_t i = 0; i < count; ++i) {
        const auto f = static_cast<int64_t>(std::floor(shown[i]));
        const int64_t y = store.ADCData[i] >= static_cast<double>(kSignBit)
                              ? -DivideTowardZero(kWrap24 - f, request.ScaleDiv)
                              : DivideTowardZero(f, request.ScaleDiv);
        values[i] = static_cast<double>(y);
    }
    return values;
}

std::vector<double> ChartKeys(size_t count, double elapsedMs) {
    const double span = elapsedMs > 0 ? elapsedMs : static_cast<double>(count);
    std::vector<double> keys(count);
    for (size_t i = 0; i < count; ++i)
        keys[i] = static_cast<double>(i) * span / static_cast<double>(count);
    return keys;
}

} // namespace qn
