// The temperature test's register step grid and result tables.
#include "instruments/TempTestData.h"

#include <stdexcept>

namespace qn {

void RegisterStepGrid::Resize(size_t steps) {
    const size_t kept = rows_.size();
    rows_.resize(steps + 1);
    rows_[0][0] = "Address";
    rows_[0][kDelayColumn] = "Delay";
    rows_[0][kAcmColumn] = "ACM";
    for (size_t r = kept == 0 ? 1 : kept; r < rows_.size(); ++r)
        rows_[r][0] = "Value-" + std::to_string(r);
}

void TempResults::Reset(size_t tempCount, size_t stepCount) {
    stepCount_ = stepCount;
    const size_t cells = (tempCount + 1) * (stepCount + 1);
    setPoints_.assign(tempCount + 1, 0.0);
    humidity_.assign(tempCount + 1, 0.0);
    results_.assign(cells, StepResult{});
    measured_.assign(cells, 0);
    meters_.assign(cells * kMeterChannels, MeterReading{});
}

size_t TempResults::Index(size_t row, size_t step) const {
    if (row > TempCount() || step > stepCount_)
        throw std::out_of_range("temperature result beyond the counts in use");
    return row * (stepCount_ + 1) + step;
}

MeterReading& TempResults::Meter(size_t row, size_t step, size_t channel) {
    if (channel >= kMeterChannels) throw std::out_of_range("multimeter channel");
    return meters_.at(Index(row, step) * kMeterChannels + channel);
}

const MeterReading& TempResults::Meter(size_t row, size_t step, size_t channel) const {
    if (channel >= kMeterChannels) throw std::out_of_range("multimeter channel");
    return meters_.at(Index(row, step) * kMeterChannels + channel);
}

} // namespace qn
