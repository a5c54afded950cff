#include "analysis/SampleRate.h"

#include "chip/AdcPanelState.h"
#include "chip/RegField.h"

#include <cmath>

namespace qn {

std::optional<double> ConfiguredOutputRate(const ChipModel& chip, const RegImageBytes& image) {
    const RegFieldDesc& osr = chip.AdcFields["OSR"];
    if (!osr.Defined) return std::nullopt;
    const bool highSpeed = ReadField(chip.AdcFields["HS"], image) == 1;
    return AdcOutputRate(static_cast<int>(ReadField(osr, image)), highSpeed);
}

SpectrumRate ChooseSpectrumRate(const CaptureRates& rates) {
    const bool configured = rates.Configured > 0 && std::isfinite(rates.Configured);
    const bool measured = rates.Measured > 0 && std::isfinite(rates.Measured);
    if (!configured) {
        if (!measured) return {};
        return {RateBasis::Measured, rates.Measured};
    }
    if (rates.Measured < rates.Configured * (1 - kRateShortfall)) return {RateBasis::Short, 0};
    return {RateBasis::Configured, rates.Configured};
}

} // namespace qn
