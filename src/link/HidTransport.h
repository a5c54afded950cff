// The HID transport: one whole report (report ID and 64 bytes) each way.
#pragma once

#include "link/HidLayer.h"
#include "link/Transport.h"

namespace qn {

class HidTransport final : public Transport {
  public:
    explicit HidTransport(HidLayer& hid) : hid_(hid) {}
    bool Write(Devc& devc, const uint8_t* buffer, uint8_t length) override;
    bool Read(Devc& devc, uint8_t* buffer, uint8_t length) override;
    void CloseHandle(Devc& devc) override { hid_.Close(devc.Handle); }

    // Report lengths (with the report ID byte) as the attributes query gave them.
    uint16_t InputReportLength = 0;
    uint16_t OutputReportLength = 0;

  private:
    HidLayer& hid_;
};

} // namespace qn
