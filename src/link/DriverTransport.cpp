// Bulk transfers through the bridge driver, refusing a pipe table whose directions are wrong.
#include "link/DriverTransport.h"

namespace qn {

bool DriverTransport::Write(Devc& devc, const uint8_t* buffer, uint8_t length) {
    PipeWord = 1;
    if (devc.Pipes[1].EndpointAddress >= 0x80) return false; // pipe 1 must be an OUT endpoint
    // The driver takes the data through its output buffer; it does not change it on a write.
    return Transfer(devc, kIoctlBulkWrite, const_cast<uint8_t*>(buffer), length);
}

bool DriverTransport::Read(Devc& devc, uint8_t* buffer, uint8_t length) {
    PipeWord = 0;
    if (devc.Pipes[0].EndpointAddress < 0x80) return false; // pipe 0 must be an IN endpoint
    return Transfer(devc, kIoctlBulkRead, buffer, length);
}

bool DriverTransport::Transfer(Devc& devc, uint32_t code, uint8_t* buffer, uint8_t length) {
    uint8_t pipe[4] = {static_cast<uint8_t>(PipeWord), 0, 0, 0};
    BytesReturned = 0;
    return driver_.DeviceIoControl(devc.Handle, code, pipe, sizeof pipe, buffer, length,
                                   BytesReturned);
}

} // namespace qn
