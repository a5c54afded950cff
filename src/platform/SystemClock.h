// The real clock: local time as a fraction of a day for display, steady time for pauses.
#pragma once

#include "host/Clock.h"

namespace qn {

class SystemClock final : public Clock {
  public:
    double Now() override;
    double SteadyMs() override;
    void SleepMs(uint32_t ms) override;
    void SleepUntilMs(double deadlineMs) override;
};

} // namespace qn
