// The real wall clock: local time as a fraction of a day, sleeping in short slices.
#pragma once

#include "link/Clock.h"

namespace qn {

class SystemClock final : public Clock {
  public:
    double Now() override;
    void SleepMs(uint32_t ms) override;
};

} // namespace qn
