// Selection handlers of the analysis window's lists whose indexes QnADC.cfg keeps, and the
// reference voltage check.
#include "analysis/AnalysisSettings.h"

#include <charconv>
#include <cmath>

namespace qn {

namespace {

bool InList(int32_t item, int32_t count) {
    return item >= 0 && item < count;
}

// 2^(15 − item) for an item of a 16-entry width or scale list.
int32_t WidthDivisor(int32_t item) {
    return int32_t{1} << (15 - item);
}

} // namespace

bool NPointIndexChange(AnalysisSettings& analysis, int32_t item) {
    if (!InList(item, kNPointItems)) return false;
    analysis.NPointIndex = item;
    analysis.NPoint = int32_t{64} << item;
    return true;
}

bool TXScaleChange(AnalysisSettings& analysis, int32_t item) {
    if (!InList(item, kScaleItems)) return false;
    analysis.TXScale = item;
    analysis.ScaleDiv = WidthDivisor(item);
    analysis.ScaleBits = 8 + item;
    return true;
}

std::optional<double> AcceptedRefVolts(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    double volts = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, volts);
    if (text.empty() || error != std::errc{} || stop != end || !std::isfinite(volts) || volts <= 0)
        return std::nullopt;
    return volts;
}

} // namespace qn
