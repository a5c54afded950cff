// A clock for the simulated bench: time only moves when someone sleeps or advances it.
#pragma once

#include "host/Clock.h"

namespace qn {

class SimClock final : public Clock {
  public:
    explicit SimClock(double startDays = 46000.5) : now_(startDays) {}
    double Now() override { return now_; }
    double SteadyMs() override { return steadyMs_; }
    void SleepMs(uint32_t ms) override { AdvanceMs(ms); }
    void SleepUntilMs(double deadlineMs) override {
        if (deadlineMs > steadyMs_) AdvanceMs(deadlineMs - steadyMs_);
    }
    void AdvanceMs(double ms) {
        now_ += ms / kMsPerDay;
        steadyMs_ += ms;
    }
    // Sets the wall clock (as a user or daylight saving would); steady time does not move.
    void SetWallClock(double days) { now_ = days; }
    // Total milliseconds slept or advanced since construction.
    double ElapsedSinceStartMs() const { return steadyMs_; }

  private:
    double now_;
    double steadyMs_ = 0;
};

} // namespace qn
