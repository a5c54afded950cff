// Local wall-clock time in days since 1970, steady milliseconds, and a pause that never spins.
#include "platform/SystemClock.h"

#include <sys/prctl.h>

#include <chrono>
#include <ctime>
#include <thread>

namespace qn {

SystemClock::SystemClock() {
    constexpr unsigned long kSlackNs = 1000;
    prctl(PR_SET_TIMERSLACK, kSlackNs, 0, 0, 0);
}

double SystemClock::Now() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const double ms =
        static_cast<double>(duration_cast<milliseconds>(now.time_since_epoch()).count());
    return (ms + static_cast<double>(local.tm_gmtoff) * 1000.0) / kMsPerDay;
}

double SystemClock::SteadyMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void SystemClock::SleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The thread sleeps until shortly before the deadline and waits out the last moment awake: a
// sleeping thread wakes some 50 to 100 µs late on a busy or virtual machine, and over the hundreds
// of paced fetches of a capture that lateness adds up. The awake part is at most kAwakeUs, about
// 1.5 % of a 10 ms pace.
void SystemClock::SleepUntilMs(double deadlineMs) {
    using namespace std::chrono;
    constexpr auto kAwakeUs = microseconds(150);
    const auto deadline = steady_clock::time_point(
        duration_cast<steady_clock::duration>(duration<double, std::milli>(deadlineMs)));
    if (steady_clock::now() < deadline - kAwakeUs)
        std::this_thread::sleep_until(deadline - kAwakeUs);
    while (steady_clock::now() < deadline) std::this_thread::yield();
}

} // namespace qn
