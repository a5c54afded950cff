// The real clock: local time as a fraction of a day for display, steady time for pauses.
#pragma once

#include "host/Clock.h"

namespace qn {

class SystemClock final : public Clock {
  public:
    // Narrows the thread's timer slack, so that a sleep to a deadline wakes within microseconds
    // of it rather than the default 50 µs later: paced requests keep their interval.
    SystemClock();
    double Now() override;
    double SteadyMs() override;
    void SleepMs(uint32_t ms) override;
    void SleepUntilMs(double deadlineMs) override;
};

} // namespace qn
