// Moves the shared buffer as HID reports with a leading report ID.
#include "link/HidTransport.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace qn {

// The output report is built zero-filled to the device's length, so a device that declares a
// report shorter or longer than 65 bytes never makes us read past the 64-byte payload.
bool HidTransport::Write(Devc& devc, const uint8_t* buffer, uint8_t /*length*/) {
    if (OutputReportLength < 2) return false;
    std::vector<uint8_t> report(OutputReportLength, 0);
    std::memcpy(report.data() + 1, buffer, std::min<size_t>(kUsbPayload, report.size() - 1));
    return hid_.WriteReport(devc.Handle, report.data(), report.size());
}

bool HidTransport::Read(Devc& devc, uint8_t* buffer, uint8_t /*length*/) {
    if (InputReportLength < 2) return false;
    std::vector<uint8_t> report(InputReportLength, 0);
    if (!hid_.ReadReport(devc.Handle, report.data(), report.size())) return false;
    std::memcpy(buffer, report.data() + 1, std::min<size_t>(kUsbPayload, report.size() - 1));
    return true;
}

} // namespace qn
