// Pauses measured on the wall clock.
#include "link/Clock.h"

namespace qn {

void Clock::DelayMs(double ms) {
    const double start = Now();
    while (ElapsedMs(start) < ms) SleepMs(1);
}

} // namespace qn
