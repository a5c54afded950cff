// The kernel-driver transport: bulk writes on pipe 1 and bulk reads on pipe 0.
#pragma once

#include "link/DriverLayer.h"
#include "link/Transport.h"

namespace qn {

class DriverTransport final : public Transport {
  public:
    explicit DriverTransport(DriverLayer& driver) : driver_(driver) {}
    bool Write(Devc& devc, const uint8_t* buffer, uint8_t length) override;
    bool Read(Devc& devc, uint8_t* buffer, uint8_t length) override;
    void CloseHandle(Devc& devc) override { driver_.CloseHandle(devc.Handle); }

    uint32_t PipeWord = 0;
    uint32_t BytesReturned = 0;

  private:
    bool Transfer(Devc& devc, uint32_t code, uint8_t* buffer, uint8_t length);
    DriverLayer& driver_;
};

} // namespace qn
