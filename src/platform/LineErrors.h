// Line error counters of a serial port and the error word they turn into.
#pragma once

#include <cstdint>

namespace qn {

// Running totals as the serial driver keeps them (Linux TIOCGICOUNT).
struct LineCounters {
    uint32_t Frame = 0;
    uint32_t Overrun = 0; // the UART's receive register overran
    uint32_t Parity = 0;
    uint32_t BufferOverrun = 0; // the driver's receive buffer overflowed
};

// kLineError* bits for each counter that changed since `before`. A counter that went down
// (the driver restarted it) counts as changed too.
uint32_t LineErrorWord(const LineCounters& before, const LineCounters& now);

// Reads the counters of an open serial port; false when the driver keeps none (a PTY).
bool ReadLineCounters(int fd, LineCounters& counters);

} // namespace qn
