// Byte layout of the driver's pipe records and clearing of the bridge identity words.
#include "link/LinkRecords.h"

namespace qn {
namespace {

uint32_t Get32(const uint8_t* b) {
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

void Put32(uint8_t* b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

PipeRecord PipeRecord::FromBytes(const uint8_t* bytes) {
    PipeRecord r;
    r.MaximumPacketSize = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    r.EndpointAddress = bytes[2];
    r.Interval = bytes[3];
    r.PipeType = Get32(bytes + 4);
    r.PipeHandle = Get32(bytes + 8);
    r.MaximumTransferSize = Get32(bytes + 12);
    r.PipeFlags = Get32(bytes + 16);
    return r;
}

void PipeRecord::ToBytes(uint8_t* bytes) const {
    bytes[0] = static_cast<uint8_t>(MaximumPacketSize);
    bytes[1] = static_cast<uint8_t>(MaximumPacketSize >> 8);
    bytes[2] = EndpointAddress;
    bytes[3] = Interval;
    Put32(bytes + 4, PipeType);
    Put32(bytes + 8, PipeHandle);
    Put32(bytes + 12, MaximumTransferSize);
    Put32(bytes + 16, PipeFlags);
}

void Devc::ClearIds() {
    for (size_t at = 8; at < 14; ++at) Descriptor[at] = 0;
}

} // namespace qn
