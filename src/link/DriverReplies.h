// The bridge driver's replies to its information requests, and the error codes it reports.
#pragma once

#include "link/DriverLayer.h"
#include "link/LinkRecords.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qn {

// Error codes the driver layer reports through GetLastError.
inline constexpr uint32_t kDriverErrorFileNotFound = 2;  // no such device
inline constexpr uint32_t kDriverErrorAccessDenied = 5;  // no permission on the device node
inline constexpr uint32_t kDriverErrorInvalidHandle = 6; // handle not open
inline constexpr uint32_t kDriverErrorDeviceGone = 31;   // device unplugged or failing
inline constexpr uint32_t kDriverErrorNotSupported = 50; // unknown request code
inline constexpr uint32_t kDriverErrorBadParameter = 87; // bad pipe word or buffer
inline constexpr uint32_t kDriverErrorTimeout = 121;     // transfer timed out
inline constexpr uint32_t kDriverErrorBufferTooSmall = 122;
inline constexpr uint32_t kDriverErrorBusy = 170; // interface claimed elsewhere

inline constexpr size_t kInterfaceHeaderSize = 16;
// Largest transfer the driver announces for each pipe.
inline constexpr uint32_t kDriverMaxTransferSize = 4096;

// One endpoint of the claimed interface, in descriptor order.
struct EndpointFacts {
    uint8_t Address = 0;
    uint8_t Attributes = 0; // bits 0-1: transfer type, which is also the pipe type
    uint16_t MaxPacketSize = 0;
    uint8_t Interval = 0;
};

// The claimed interface as the interface reply describes it.
struct InterfaceFacts {
    uint8_t Number = 0;
    uint8_t AlternateSetting = 0;
    uint8_t Class = 0;
    uint8_t SubClass = 0;
    uint8_t Protocol = 0;
    std::vector<EndpointFacts> Endpoints;
};

// 148 bytes: the 18-byte device descriptor as the device sent it, the rest zero.
std::array<uint8_t, kDescriptorBlockSize> DescriptorBlock(const uint8_t* deviceDescriptor);

// 356 bytes: header (length, interface number, alternate setting, class, subclass, protocol,
// reserved, interface handle, pipe count) and one pipe record per endpoint, at most 17.
// Pipe handles are `handleBase` + pipe index + 1, never 0.
std::array<uint8_t, kInterfaceInfoSize> InterfaceInfoBlock(const InterfaceFacts& facts,
                                                           uint32_t handleBase);

} // namespace qn
