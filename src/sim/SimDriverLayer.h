// The bridge's kernel driver, simulated: named devices answering the four driver requests.
#pragma once

#include "files/BusTrace.h"
#include "link/DriverLayer.h"
#include "link/DriverReplies.h"
#include "sim/SimBridge.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qn {

// One device the driver publishes as "\\.\Qnusb-N".
struct SimDriverDevice {
    SimBridge* Bridge = nullptr;
    uint16_t VendorId = 0x0547;
    uint16_t ProductId = 0x1004;
    uint16_t Release = 0x0001;
    // Endpoint addresses of pipe 0 and pipe 1 (bit 7 set = IN).
    std::array<uint8_t, 2> Endpoints{0x82, 0x02};
};

// One driver request as the host made it.
struct SimDriverCall {
    uint32_t Code = 0;
    size_t InLength = 0;
    size_t OutLength = 0;
};

class SimDriverLayer final : public DriverLayer {
  public:
    // Publishes a device for `bridge`; returns its index N.
    int AddDevice(SimBridge& bridge, uint16_t vendor = 0x0547, uint16_t product = 0x1004);
    SimDriverDevice& Device(int index) { return devices_.at(static_cast<size_t>(index)); }

    DriverHandle CreateFile(const std::string& path) override;
    bool DeviceIoControl(DriverHandle handle, uint32_t code, const uint8_t* in, size_t inLength,
                         uint8_t* out, size_t outLength, uint32_t& returned) override;
    void CloseHandle(DriverHandle handle) override;
    uint32_t GetLastError() override { return lastError_; }

    // Opens, closes and bulk transfers go to `trace` ("usb Qnusb-N ep 82"), as the real layer
    // writes them.
    void TraceTo(BusTrace& trace) { trace_ = &trace; }

    const std::vector<SimDriverCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    size_t OpenHandleCount() const { return handles_.size(); }
    // Every name the host tried to open, in order.
    const std::vector<std::string>& TriedPaths() const { return triedPaths_; }

  private:
    bool Fail(uint32_t error);
    bool Descriptor(const SimDriverDevice& device, uint8_t* out, size_t outLength,
                    uint32_t& returned);
    bool InterfaceInfo(const SimDriverDevice& device, uint8_t* out, size_t outLength,
                       uint32_t& returned);
    bool Bulk(const SimDriverDevice& device, bool toDevice, const uint8_t* in, size_t inLength,
              uint8_t* out, size_t outLength, uint32_t& returned);

    void TraceBulk(const SimDriverDevice& device, uint8_t endpoint, bool done, const uint8_t* data,
                   size_t length);
    // "usb Qnusb-N", the device's name in the trace.
    std::string TracePort(const SimDriverDevice& device) const;

    std::vector<SimDriverDevice> devices_;
    BusTrace* trace_ = nullptr;
    std::map<DriverHandle, size_t> handles_; // open handle -> device index
    DriverHandle nextHandle_ = 0x100;
    uint32_t lastError_ = 0;
    std::vector<SimDriverCall> calls_;
    std::vector<std::string> triedPaths_;
};

} // namespace qn
