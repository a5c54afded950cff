// The temperature test's register step grid and result tables.
#include "run/TempTestData.h"

#include <cstring>
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
    static uint64_t tables = 0;
    table_ = ++tables;
    stepCount_ = stepCount;
    const size_t cells = (tempCount + 1) * (stepCount + 1);
    setPoints_.assign(tempCount + 1, 0.0);
    humidity_.assign(tempCount + 1, 0.0);
    results_.assign(cells, StepResult{});
    measured_.assign(cells, 0);
    changes_.assign(cells, 0);
    meters_.clear();
}

size_t TempResults::Index(size_t row, size_t step) const {
    if (row > TempCount() || step > stepCount_)
        throw std::out_of_range("temperature result beyond the counts in use");
    return row * (stepCount_ + 1) + step;
}

void TempResults::SetSetPoints(size_t row, double celsius, double humidity) {
    // Compared as stored bits, so a NaN set point written twice is no change either.
    const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    if (same(setPoints_.at(row), celsius) && same(humidity_.at(row), humidity)) return;
    setPoints_[row] = celsius;
    humidity_[row] = humidity;
    for (size_t step = 0; step <= stepCount_; ++step) Changed(row, step);
}

void TempResults::SetResult(size_t row, size_t step, const StepResult& result) {
    results_.at(Index(row, step)) = result;
    Changed(row, step);
}

void TempResults::SetMeasured(size_t row, size_t step, bool measured) {
    measured_.at(Index(row, step)) = measured ? 1 : 0;
    Changed(row, step);
}

size_t TempResults::MeterKey(size_t row, size_t step, size_t channel) const {
    if (channel >= kMeterChannels) throw std::out_of_range("multimeter channel");
    return Index(row, step) * kMeterChannels + channel;
}

const MeterReading& TempResults::Meter(size_t row, size_t step, size_t channel) const {
    static const MeterReading kNone;
    const auto kept = meters_.find(MeterKey(row, step, channel));
    return kept == meters_.end() ? kNone : kept->second;
}

void TempResults::SetMeter(size_t row, size_t step, size_t channel, const MeterReading& reading) {
    meters_[MeterKey(row, step, channel)] = reading;
    Changed(row, step);
}

} // namespace qn
