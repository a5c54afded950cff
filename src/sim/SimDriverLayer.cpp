// Device naming, descriptor and interface replies, and bulk transfers of the simulated driver.
#include "sim/SimDriverLayer.h"

#include "link/LinkRecords.h"
#include "sim/SimLog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace qn {
namespace {

constexpr uint8_t kDeviceDescriptorLength = 18;
constexpr uint8_t kBulkPacket = 64;
constexpr uint8_t kBulkAttributes = 2; // transfer type bulk
constexpr uint32_t kInterfaceHandle = 0x00010000;
constexpr uint32_t kPipeCountReported = 2;

void PutWord(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

uint32_t GetLong(const uint8_t* at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(at[i]) << (8 * i);
    return value;
}

} // namespace

int SimDriverLayer::AddDevice(SimBridge& bridge, uint16_t vendor, uint16_t product) {
    SimDriverDevice device;
    device.Bridge = &bridge;
    device.VendorId = vendor;
    device.ProductId = product;
    devices_.push_back(device);
    return static_cast<int>(devices_.size() - 1);
}

DriverHandle SimDriverLayer::CreateFile(const std::string& path) {
    triedPaths_.push_back(path);
    for (size_t index = 0; index < devices_.size(); ++index) {
        if (DriverDeviceName(static_cast<int>(index)) != path) continue;
        if (devices_[index].Bridge->Faults.CablePulled) break;
        const DriverHandle handle = nextHandle_++;
        handles_[handle] = index;
        if (trace_ != nullptr) trace_->Note(TracePort(devices_[index]), "opened");
        return handle;
    }
    lastError_ = kDriverErrorFileNotFound;
    return kInvalidDriver;
}

bool SimDriverLayer::DeviceIoControl(DriverHandle handle, uint32_t code, const uint8_t* in,
                                     size_t inLength, uint8_t* out, size_t outLength,
                                     uint32_t& returned) {
    AppendToLog(calls_, SimDriverCall{code, inLength, outLength});
    returned = 0;
    const auto open = handles_.find(handle);
    if (open == handles_.end()) return Fail(kDriverErrorInvalidHandle);
    const SimDriverDevice& device = devices_[open->second];
    if (device.Bridge->Faults.CablePulled) return Fail(kDriverErrorDeviceGone);
    switch (code) {
    case kIoctlGetDescriptor:
        return Descriptor(device, out, outLength, returned);
    case kIoctlGetInterfaceInfo:
        return InterfaceInfo(device, out, outLength, returned);
    case kIoctlBulkWrite:
        return Bulk(device, true, in, inLength, out, outLength, returned);
    case kIoctlBulkRead:
        return Bulk(device, false, in, inLength, out, outLength, returned);
    default:
        return Fail(kDriverErrorBadParameter);
    }
}

bool SimDriverLayer::Fail(uint32_t error) {
    lastError_ = error;
    return false;
}

// The 148-byte block starts with the standard 18-byte USB device descriptor.
bool SimDriverLayer::Descriptor(const SimDriverDevice& device, uint8_t* out, size_t outLength,
                                uint32_t& returned) {
    if (out == nullptr || outLength < kDescriptorBlockSize) return Fail(kDriverErrorBufferTooSmall);
    uint8_t head[kDeviceDescriptorLength] = {kDeviceDescriptorLength,
                                             1,
                                             0x10,
                                             0x01,
                                             0xFF,
                                             0,
                                             0,
                                             kBulkPacket,
                                             0,
                                             0,
                                             0,
                                             0,
                                             0,
                                             0,
                                             1,
                                             2,
                                             0,
                                             1};
    PutWord(head + 8, device.VendorId);
    PutWord(head + 10, device.ProductId);
    PutWord(head + 12, device.Release);
    const auto block = DescriptorBlock(head);
    std::memcpy(out, block.data(), block.size());
    returned = static_cast<uint32_t>(block.size());
    return true;
}

// A vendor-defined interface with a bulk pipe 0 and pipe 1.
bool SimDriverLayer::InterfaceInfo(const SimDriverDevice& device, uint8_t* out, size_t outLength,
                                   uint32_t& returned) {
    if (out == nullptr || outLength < kInterfaceInfoSize) return Fail(kDriverErrorBufferTooSmall);
    InterfaceFacts facts;
    facts.Class = 0xFF;
    for (uint8_t endpoint : device.Endpoints)
        facts.Endpoints.push_back({endpoint, kBulkAttributes, kBulkPacket, 0});
    const auto block = InterfaceInfoBlock(facts, kInterfaceHandle);
    std::memcpy(out, block.data(), block.size());
    returned = static_cast<uint32_t>(block.size());
    return true;
}

// The pipe word must name a pipe whose direction matches the transfer.
bool SimDriverLayer::Bulk(const SimDriverDevice& device, bool toDevice, const uint8_t* in,
                          size_t inLength, uint8_t* out, size_t outLength, uint32_t& returned) {
    if (in == nullptr || inLength < 4 || out == nullptr) return Fail(kDriverErrorBadParameter);
    const uint32_t pipe = GetLong(in);
    if (pipe >= kPipeCountReported) return Fail(kDriverErrorBadParameter);
    const bool pipeIsIn = (device.Endpoints[pipe] & 0x80) != 0;
    if (pipeIsIn == toDevice) return Fail(kDriverErrorBadParameter);
    const bool done =
        toDevice ? device.Bridge->Receive(out, outLength) : device.Bridge->Answer(out, outLength);
    if (trace_ != nullptr) TraceBulk(device, device.Endpoints[pipe], done, out, outLength);
    if (!done) return Fail(toDevice ? kDriverErrorDeviceGone : kDriverErrorTimeout);
    returned = static_cast<uint32_t>(outLength);
    return true;
}

void SimDriverLayer::CloseHandle(DriverHandle handle) {
    const auto open = handles_.find(handle);
    if (open == handles_.end()) return;
    if (trace_ != nullptr) trace_->Note(TracePort(devices_[open->second]), "closed");
    handles_.erase(open);
}

// The line the real transport writes for the transfer, or the name it gives its failure.
void SimDriverLayer::TraceBulk(const SimDriverDevice& device, uint8_t endpoint, bool done,
                               const uint8_t* data, size_t length) {
    char port[64];
    std::snprintf(port, sizeof port, "%s ep %02X", TracePort(device).c_str(), endpoint);
    const bool in = (endpoint & 0x80) != 0;
    if (done)
        trace_->Transfer(in ? BusDirection::In : BusDirection::Out, port, data, length);
    else
        trace_->Note(port, in ? "LIBUSB_ERROR_TIMEOUT" : "LIBUSB_ERROR_NO_DEVICE");
}

std::string SimDriverLayer::TracePort(const SimDriverDevice& device) const {
    const std::string name = DriverDeviceName(static_cast<int>(&device - devices_.data()));
    return "usb " + name.substr(name.rfind('\\') + 1);
}

} // namespace qn
