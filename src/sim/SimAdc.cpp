// Conversion codes and the conversion count of the simulated ADC.
#include "sim/SimAdc.h"

#include <algorithm>
#include <cmath>

namespace qn {
namespace {

// Lets a conversion due exactly now be counted however the clock readings were rounded.
constexpr double kClockSlackMs = 0.005;

} // namespace

SimAdc::SimAdc(Clock& clock, uint32_t seed) : clock_(clock), rng_(seed) {}

void SimAdc::SetOutputRate(double conversionsPerSecond) {
    if (running_) {
        madeBefore_ = MadeSinceStart();
        countFromMs_ = clock_.SteadyMs();
    }
    rate_ = std::max(0.0, conversionsPerSecond);
}

void SimAdc::SetSignal(double meanCode, double noiseRmsCodes) {
    mean_ = meanCode;
    noiseRms_ = std::abs(noiseRmsCodes);
}

int32_t SimAdc::Convert() {
    const double value = std::round(mean_ + noiseRms_ * unitNoise_(rng_));
    const double clamped = std::clamp(value, double{kAdcCodeMin}, double{kAdcCodeMax});
    return static_cast<int32_t>(clamped);
}

void SimAdc::Start() {
    running_ = true;
    countFromMs_ = clock_.SteadyMs();
    madeBefore_ = 0;
    handedOut_ = 0;
}

uint64_t SimAdc::MadeSinceStart() const {
    const double elapsedMs = clock_.ElapsedMs(countFromMs_);
    if (elapsedMs < 0) return madeBefore_;
    const double made = std::floor((elapsedMs + kClockSlackMs) * rate_ / 1000.0);
    return madeBefore_ + static_cast<uint64_t>(made);
}

size_t SimAdc::TakeOwed(size_t max, size_t kept) {
    if (!running_) return 0;
    const uint64_t made = MadeSinceStart();
    handedOut_ = std::max(handedOut_, made > kept ? made - kept : uint64_t{0});
    const uint64_t owed = made > handedOut_ ? made - handedOut_ : 0;
    const size_t taken = static_cast<size_t>(std::min<uint64_t>(owed, max));
    handedOut_ += taken;
    return taken;
}

} // namespace qn
