// The HID access layer of the bridge: open by enumeration index, read attributes, move reports.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qn {

using HidHandle = int32_t;
inline constexpr HidHandle kInvalidHid = -1;

struct HidAttributes {
    uint16_t VendorId = 0;
    uint16_t ProductId = 0;
    uint16_t VersionNumber = 0;
};

class HidLayer {
  public:
    virtual ~HidLayer() = default;
    // Opens the HID device at enumeration index `index` (0..127); `found` is set when a device
    // exists there. Returns kInvalidHid when nothing could be opened.
    virtual HidHandle Hid_GetDeviceH(uint8_t& found, int index) = 0;
    // Report lengths include the report ID byte (65 for the bridge).
    virtual bool Hid_Get_att(HidHandle handle, uint16_t& inputReportLength,
                             uint16_t& outputReportLength, HidAttributes& attributes) = 0;
    // Writes one whole output report (report ID first).
    virtual bool WriteReport(HidHandle handle, const uint8_t* report, size_t length) = 0;
    // Reads one whole input report (report ID first); false on error or time-out.
    virtual bool ReadReport(HidHandle handle, uint8_t* report, size_t length) = 0;
    virtual void Close(HidHandle handle) = 0;
};

} // namespace qn
