// One bridge transport: moves the shared request/answer buffer to and from an open bridge.
#pragma once

#include "link/LinkRecords.h"

#include <cstdint>

namespace qn {

inline constexpr size_t kUsbPayload = 64;     // bytes of a request or answer
inline constexpr size_t kUsbIoAreaSize = 260; // area reserved for the buffer (serial answers too)

class Transport {
  public:
    virtual ~Transport() = default;
    // Sends `length` bytes of `buffer` (the HID transport always sends one whole report).
    virtual bool Write(Devc& devc, const uint8_t* buffer, uint8_t length) = 0;
    // Receives `length` bytes into `buffer` (the HID transport always reads one whole report).
    virtual bool Read(Devc& devc, uint8_t* buffer, uint8_t length) = 0;
    // Closes the device handle of `devc`.
    virtual void CloseHandle(Devc& devc) = 0;
};

} // namespace qn
