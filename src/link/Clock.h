// Wall clock as a fraction of a day, and the pauses every link and instrument wait is built on.
#pragma once

#include <cstdint>

namespace qn {

inline constexpr double kMsPerDay = 86'400'000.0;

class Clock {
  public:
    virtual ~Clock() = default;
    // Local wall-clock time in days (fractional part = time of day).
    virtual double Now() = 0;
    // Gives up the processor for about `ms` milliseconds; a simulated clock jumps forward instead.
    virtual void SleepMs(uint32_t ms) = 0;

    // Returns once Now() has advanced by at least `ms` milliseconds; sleeps in 1 ms slices.
    void DelayMs(double ms);
    // Same as DelayMs for a duration given in days.
    void DelayDays(double days) { DelayMs(days * kMsPerDay); }
    // Milliseconds elapsed since `startDays` (a value of Now()).
    double ElapsedMs(double startDays) { return (Now() - startDays) * kMsPerDay; }
};

} // namespace qn
