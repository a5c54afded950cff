// libusb's errors as the error codes of the bridge driver.
#pragma once

#include <cstdint>

namespace qn {

// The driver error for a libusb error code.
uint32_t DriverErrorFromLibusb(int libusbError);

} // namespace qn
