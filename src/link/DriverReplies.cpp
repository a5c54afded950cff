// Byte layout of the bridge driver's descriptor and interface replies.
#include "link/DriverReplies.h"

#include <algorithm>
#include <cstring>

namespace qn {
namespace {

constexpr size_t kDeviceDescriptorSize = 18;

void Put16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

std::array<uint8_t, kDescriptorBlockSize> DescriptorBlock(const uint8_t* deviceDescriptor) {
    std::array<uint8_t, kDescriptorBlockSize> block{};
    std::memcpy(block.data(), deviceDescriptor, kDeviceDescriptorSize);
    return block;
}

std::array<uint8_t, kInterfaceInfoSize> InterfaceInfoBlock(const InterfaceFacts& facts,
                                                           uint32_t handleBase) {
    std::array<uint8_t, kInterfaceInfoSize> block{};
    const size_t pipes = std::min(facts.Endpoints.size(), kPipeCount);
    Put16(block.data(), static_cast<uint16_t>(kInterfaceHeaderSize + pipes * kPipeRecordSize));
    block[2] = facts.Number;
    block[3] = facts.AlternateSetting;
    block[4] = facts.Class;
    block[5] = facts.SubClass;
    block[6] = facts.Protocol;
    Put32(block.data() + 8, handleBase);
    Put32(block.data() + 12, static_cast<uint32_t>(pipes));
    for (size_t i = 0; i < pipes; ++i) {
        const EndpointFacts& endpoint = facts.Endpoints[i];
        PipeRecord record;
        record.MaximumPacketSize = endpoint.MaxPacketSize;
        record.EndpointAddress = endpoint.Address;
        record.Interval = endpoint.Interval;
        record.PipeType = endpoint.Attributes & 3u;
        record.PipeHandle = handleBase + static_cast<uint32_t>(i) + 1;
        record.MaximumTransferSize = kDriverMaxTransferSize;
        record.ToBytes(block.data() + kInterfaceHeaderSize + i * kPipeRecordSize);
    }
    return block;
}

} // namespace qn
