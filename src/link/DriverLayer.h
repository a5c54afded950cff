// The bridge's kernel-driver layer: devices opened by name, driven by four request codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qn {

using DriverHandle = int32_t;
inline constexpr DriverHandle kInvalidDriver = -1;

// Request codes understood by the bridge driver.
inline constexpr uint32_t kIoctlGetDescriptor = 0x222004;    // reply: 148-byte descriptor block
inline constexpr uint32_t kIoctlGetInterfaceInfo = 0x222000; // reply: 356-byte interface info
inline constexpr uint32_t kIoctlBulkWrite = 0x222051;        // input: pipe word; buffer: data out
inline constexpr uint32_t kIoctlBulkRead = 0x22204E;         // input: pipe word; buffer: data in
inline constexpr size_t kDescriptorBlockSize = 148;
inline constexpr size_t kInterfaceInfoSize = 356;

// Driver device name of bridge N: "\\.\Qnusb-N".
std::string DriverDeviceName(int index);

class DriverLayer {
  public:
    virtual ~DriverLayer() = default;
    // Opens a device by name ("\\.\Qnusb-N"); kInvalidDriver when it does not exist.
    virtual DriverHandle CreateFile(const std::string& path) = 0;
    // One driver request. `out` receives up to `outLength` bytes; `returned` tells how many.
    virtual bool DeviceIoControl(DriverHandle handle, uint32_t code, const uint8_t* in,
                                 size_t inLength, uint8_t* out, size_t outLength,
                                 uint32_t& returned) = 0;
    virtual void CloseHandle(DriverHandle handle) = 0;
    // Error code of the last failed call (0 when none).
    virtual uint32_t GetLastError() = 0;
};

} // namespace qn
