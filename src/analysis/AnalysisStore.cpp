#include "analysis/AnalysisStore.h"

#include "analysis/Decoding.h"
#include "analysis/FixedText.h"

#include <algorithm>
#include <cmath>

namespace qn {

std::string GridValue::Text() const {
    switch (Shown) {
    case Kind::Integer:
        return std::to_string(static_cast<int64_t>(Value));
    case Kind::Fraction:
        return TwoDecimals(Value);
    case Kind::Empty:
        break;
    }
    return {};
}

int64_t GridValue::LeadingInteger() const {
    return Shown == Kind::Empty ? 0 : static_cast<int64_t>(std::trunc(Value));
}

void AnalysisStore::ClearSamples(int32_t nPoint) {
    const auto count = static_cast<size_t>(std::clamp<int32_t>(nPoint, 0, kSampleCapacity));
    std::fill_n(Cells.begin(), count, GridValue{});
    std::fill_n(ADCData.begin(), count, 0.0);
    SampleCount = 0;
    SampleSum = 0;
    SquareSum = 0;
    Requested = 0;
    BlockLength = 1;
}

bool AnalysisStore::KeepSample(int32_t code, int32_t scaleDiv) {
    if (SampleCount < 0 || static_cast<size_t>(SampleCount) >= kSampleCapacity) return false;
    const auto index = static_cast<size_t>(SampleCount);
    const int32_t scaled = ScaledValue(code, scaleDiv);
    const double value = Temperature ? scaled * 256.0 : scaled;
    ADCData[index] = code;
    SampleSum += value;
    SquareSum += static_cast<long double>(value) * value;
    Cells[index] = {GridValue::Kind::Integer, static_cast<double>(scaled)};
    ADCRaw[index] = code;
    ++SampleCount;
    return true;
}

void AnalysisStore::CloseCapture() {
    if (SampleCount > 0) {
        SquareSum = std::sqrt(SquareSum / SampleCount);
        SampleSum /= SampleCount;
    }
    ChartCount = SampleCount;
}

std::string AnalysisStore::ShortfallText() const {
    if (SampleCount >= Requested) return {};
    return std::to_string(SampleCount) + " of " + std::to_string(Requested) + " samples";
}

} // namespace qn
