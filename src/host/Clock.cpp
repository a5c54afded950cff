// Pauses measured on the steady clock.
#include "host/Clock.h"

#include <algorithm>
#include <cmath>

namespace qn {
namespace {

// Long pauses sleep in slices so that a pause of days cannot overflow one sleep.
constexpr double kLongestSleepMs = 1000;

} // namespace

void Clock::SleepUntilMs(double deadlineMs) {
    DelayMs(deadlineMs - SteadyMs());
}

void Clock::DelayMs(double ms) {
    const double start = SteadyMs();
    for (double left = ms; left > 0; left = ms - ElapsedMs(start))
        SleepMs(static_cast<uint32_t>(std::ceil(std::min(left, kLongestSleepMs))));
}

} // namespace qn
