// The device state record STND with its bridge connection Devc and its serial bridge port.
#pragma once

#include "host/SerialLine.h"
#include "link/RegImage.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace qn {

// Link kinds, in the order of the setup dialog's interface list.
enum LinkKind : uint16_t {
    kLinkRs232 = 0,
    kLinkSpi = 1,
    kLinkSpecial = 2,
    kLinkParallel = 3,
    kLinkUart = 4,
    kLinkQn740x = 5,
};

inline constexpr size_t kPipeCount = 17;
inline constexpr size_t kPipeRecordSize = 20;

// One pipe record of the driver's interface reply (20 bytes, little-endian).
struct PipeRecord {
    uint16_t MaximumPacketSize = 0;
    uint8_t EndpointAddress = 0;
    uint8_t Interval = 0;
    uint32_t PipeType = 0;
    uint32_t PipeHandle = 0;
    uint32_t MaximumTransferSize = 0;
    uint32_t PipeFlags = 0;

    static PipeRecord FromBytes(const uint8_t* bytes);
    void ToBytes(uint8_t* bytes) const;
};
static_assert(sizeof(PipeRecord) == kPipeRecordSize);

// One bridge connection.
struct Devc {
    int32_t Handle = -1;
    std::string Path;
    int32_t State = -1;
    int16_t Port = -1;
    uint8_t Active = 0;
    // Reply of the get-descriptor request; starts with the 18-byte USB device descriptor.
    std::array<uint8_t, 148> Descriptor{};
    std::array<PipeRecord, kPipeCount> Pipes{};
    bool Open = false;
    uint16_t PacketSize = 0;

    uint16_t VendorId() const { return Word(8); }
    uint16_t ProductId() const { return Word(10); }
    uint16_t DeviceRelease() const { return Word(12); }
    void ClearIds();
    // Handles 0 and -1 are never valid.
    bool HandleValid() const { return Handle != -1 && Handle != 0; }

  private:
    uint16_t Word(size_t at) const {
        return static_cast<uint16_t>(Descriptor[at] | (Descriptor[at + 1] << 8));
    }
};

// The device state record (one instance, device 0).
struct STND {
    uint16_t Chip = 0;
    RegImageBytes RegImage{};
    uint16_t Interface = kLinkRs232;
    int32_t BaudIndex = 0;
    int32_t ComIndex = 0;
    int32_t ParityIndex = 0;
    DevcRS232 Serial;
    Devc Usb;
};

} // namespace qn
