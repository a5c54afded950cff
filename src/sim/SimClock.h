// A clock for the simulated bench: time only moves when someone sleeps or advances it.
#pragma once

#include "link/Clock.h"

namespace qn {

class SimClock final : public Clock {
  public:
    explicit SimClock(double startDays = 46000.5) : now_(startDays) {}
    double Now() override { return now_; }
    void SleepMs(uint32_t ms) override { AdvanceMs(ms); }
    void AdvanceMs(double ms) { now_ += ms / kMsPerDay; }
    // Total milliseconds slept or advanced since construction.
    double ElapsedSinceStartMs() const { return (now_ - start_) * kMsPerDay; }

  private:
    double now_;
    double start_ = now_;
};

} // namespace qn
