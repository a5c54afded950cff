// The HID access layer, simulated: devices at enumeration indexes, reports routed to bridges.
#pragma once

#include "files/BusTrace.h"
#include "link/HidLayer.h"
#include "sim/SimBridge.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

// One HID device; without a bridge it is some other HID device whose reads fail.
struct SimHidDevice {
    SimBridge* Bridge = nullptr;
    HidAttributes Attributes{0x04D8, 0x2008, 0x0727};
    uint16_t InputReportLength = 65;  // report ID included
    uint16_t OutputReportLength = 65; // report ID included
};

class SimHidLayer final : public HidLayer {
  public:
    // Adds a device at the next enumeration index and returns that index.
    int AddDevice(SimBridge* bridge);
    SimHidDevice& Device(int index) { return devices_.at(static_cast<size_t>(index)); }

    HidHandle Hid_GetDeviceH(uint8_t& found, int index) override;
    bool Hid_Get_att(HidHandle handle, uint16_t& inputReportLength, uint16_t& outputReportLength,
                     HidAttributes& attributes) override;
    bool WriteReport(HidHandle handle, const uint8_t* report, size_t length) override;
    bool ReadReport(HidHandle handle, uint8_t* report, size_t length) override;
    void Close(HidHandle handle) override;
    // Opens, closes and every report go to `trace` ("hid sim-N"), as the real layer writes them.
    void TraceTo(BusTrace& trace) { trace_ = &trace; }

    // Enumeration indexes asked for, in order.
    const std::vector<int>& TriedIndexes() const { return tried_; }
    size_t OpenHandleCount() const { return handles_.size(); }

  private:
    SimHidDevice* Opened(HidHandle handle);
    void Transfer(HidHandle handle, BusDirection direction, const uint8_t* report, size_t length);
    void Note(HidHandle handle, std::string_view event);

    BusTrace* trace_ = nullptr;

    std::vector<SimHidDevice> devices_;
    std::map<HidHandle, size_t> handles_; // open handle -> device index
    HidHandle nextHandle_ = 0x200;
    std::vector<int> tried_;
};

} // namespace qn
