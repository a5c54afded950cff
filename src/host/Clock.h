// Local time for what the user sees, and a steady clock for every pause and time-out.
#pragma once

#include <cstdint>

namespace qn {

inline constexpr double kMsPerDay = 86'400'000.0;

class Clock {
  public:
    virtual ~Clock() = default;
    // Local wall-clock time in days (fractional part = time of day): only for times shown or
    // written. It may jump when the clock is set or daylight saving begins or ends.
    virtual double Now() = 0;
    // Milliseconds on a clock that never jumps; only differences of two readings mean anything.
    virtual double SteadyMs() = 0;
    // Gives up the processor for about `ms` milliseconds; a simulated clock jumps forward instead.
    virtual void SleepMs(uint32_t ms) = 0;

    // Returns once SteadyMs() has reached `deadlineMs`, asleep. A real clock wakes close to the
    // deadline, not at the next whole millisecond, so that paced requests keep their interval.
    virtual void SleepUntilMs(double deadlineMs);

    // Returns once SteadyMs() has advanced by at least `ms`, sleeping rather than spinning.
    void DelayMs(double ms);
    // Same as DelayMs for a duration given in days.
    void DelayDays(double days) { DelayMs(days * kMsPerDay); }
    // Milliseconds since `startMs`, a value of SteadyMs().
    double ElapsedMs(double startMs) { return SteadyMs() - startMs; }
};

} // namespace qn
