// Line error counters read from the serial driver, turned into the error word.
#include "platform/LineErrors.h"

#include "host/SerialLine.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace qn {

uint32_t LineErrorWord(const LineCounters& before, const LineCounters& now) {
    uint32_t word = 0;
    if (now.Frame != before.Frame) word |= kLineErrorFrame;
    if (now.Parity != before.Parity) word |= kLineErrorParity;
    if (now.Overrun != before.Overrun || now.BufferOverrun != before.BufferOverrun)
        word |= kLineErrorOverrun;
    return word;
}

bool ReadLineCounters(int fd, LineCounters& counters) {
    serial_icounter_struct raw{};
    if (fd < 0 || ioctl(fd, TIOCGICOUNT, &raw) != 0) return false;
    counters = {static_cast<uint32_t>(raw.frame), static_cast<uint32_t>(raw.overrun),
                static_cast<uint32_t>(raw.parity), static_cast<uint32_t>(raw.buf_overrun)};
    return true;
}

} // namespace qn
