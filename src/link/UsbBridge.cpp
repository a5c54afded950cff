// Bridge scan over the kernel driver and HID, identity handshake, control requests and transfers.
#include "link/UsbBridge.h"

#include <algorithm>
#include <cstring>

namespace qn {
namespace {

constexpr uint16_t kDriverVendor = 0x0547;
constexpr uint16_t kDriverProductA = 0x1004;
constexpr uint16_t kDriverProductB = 0x100A;
constexpr uint16_t kHidVendor = 0x04D8;
constexpr uint16_t kHidProduct = 0x2008;
constexpr uint16_t kHidVersion = 0x0727;
constexpr char kIdentity[] = "Brenmoss";

} // namespace

Transport& UsbBridge::Current() {
    if (TransportKind == TransportKindValue::Hid) return hidT_;
    return drvT_;
}

void UsbBridge::UsbClose(Devc& devc) {
    LastError = driver_.GetLastError();
    // Every valid handle is closed, also a candidate of the scan that was never marked open,
    // so that a refused device does not stay open behind our back.
    if (devc.HandleValid() && handleOwner_ != nullptr) handleOwner_->CloseHandle(devc);
    handleOwner_ = nullptr;
    devc.Handle = -1;
    devc.Path.clear();
    devc.State = -1;
    devc.Port = -1;
    devc.Active = 0;
    devc.ClearIds();
    devc.Open = false;
}

// A HID report carries the whole 64-byte payload: what lies beyond the request goes out as zeros
// rather than as leftovers of the previous answer. Without a handle nothing goes to the device.
bool UsbBridge::UsbWrite(Devc& devc, uint8_t length) {
    if (!devc.HandleValid()) return false;
    if (length < kUsbPayload)
        std::fill(UsbIoBuffer.begin() + length, UsbIoBuffer.begin() + kUsbPayload, uint8_t{0});
    if (Current().Write(devc, UsbIoBuffer.data(), length)) {
        IdleTicks = 0;
        return true;
    }
    UsbClose(devc);
    return false;
}

bool UsbBridge::UsbRead(Devc& devc, uint8_t length) {
    if (!devc.HandleValid()) return false;
    if (Current().Read(devc, UsbIoBuffer.data(), length)) {
        IdleTicks = 0;
        return true;
    }
    UsbClose(devc);
    return false;
}

bool UsbBridge::Exchange(Devc& devc, const LinkFrame& frame) {
    std::copy(frame.Bytes.begin(), frame.Bytes.end(), UsbIoBuffer.begin());
    return UsbWrite(devc, static_cast<uint8_t>(frame.Bytes.size())) &&
           UsbRead(devc, frame.ReadLength);
}

bool UsbBridge::UsbBridgeControl(Devc& devc, uint8_t sub, uint16_t& value) {
    if (!Exchange(devc, BridgeControlFrame(sub, value))) return false;
    value = static_cast<uint16_t>(UsbIoBuffer[0] + 256 * UsbIoBuffer[1]);
    return true;
}

bool UsbBridge::UsbIdentify(Devc& devc) {
    if (!devc.Open) return false;
    if (!Exchange(devc, IdentifyFrame())) return false;
    return std::memcmp(UsbIoBuffer.data(), kIdentity, 8) == 0;
}

bool UsbBridge::UsbGetDeviceDescriptor(Devc& devc) {
    std::array<uint8_t, kDescriptorBlockSize> block{};
    uint32_t returned = 0;
    if (!driver_.DeviceIoControl(devc.Handle, kIoctlGetDescriptor, block.data(), block.size(),
                                 block.data(), block.size(), returned))
        return false;
    devc.Descriptor = block;
    return true;
}

bool UsbBridge::UsbGetPipeInfo(Devc& devc, int pipe) {
    if (pipe < 0 || static_cast<size_t>(pipe) >= kPipeCount) return false;
    InterfaceInfo.fill(0);
    uint32_t returned = 0;
    if (!driver_.DeviceIoControl(devc.Handle, kIoctlGetInterfaceInfo, nullptr, 0,
                                 InterfaceInfo.data(), InterfaceInfo.size(), returned))
        return false;
    const size_t at = 16 + kPipeRecordSize * static_cast<size_t>(pipe);
    devc.Pipes[static_cast<size_t>(pipe)] = PipeRecord::FromBytes(InterfaceInfo.data() + at);
    devc.PacketSize = devc.Pipes[0].MaximumPacketSize;
    return true;
}

// A bridge that was accepted but failed one of the set-up requests that follow has been closed
// again by the failing transfer: that is a failed open, not a success on a closed link.
bool UsbBridge::UsbOpen(Devc& devc, uint8_t& fresh) {
    fresh = kFreshNothingFound;
    if (devc.HandleValid() && UsbIdentify(devc)) {
        fresh = kFreshAlreadyOpen;
        return true;
    }
    if (devc.Open) return false;
    if (!ScanDriver(devc) && !ScanHid(devc)) return false;
    if (!devc.Open) return false;
    fresh = kFreshNewBridge;
    return true;
}

// Sub 2 is the bridge's presence check; the value it is sent with means nothing, so zeros go out.
bool UsbBridge::Sub2Answers(Devc& devc) {
    uint16_t value = 0;
    return UsbBridgeControl(devc, 2, value) && value == 0xFFFF;
}

void UsbBridge::MarkOpen(Devc& devc) {
    devc.Open = true;
    devc.State = 1;
    devc.Active = 1;
}

// The start-up pair; its failures do not change the outcome of the open.
void UsbBridge::StartUpPair(Devc& devc) {
    if (Exchange(devc, StartUpFrame(true))) Exchange(devc, StartUpFrame(false));
}

bool UsbBridge::ScanDriver(Devc& devc) {
    for (int n = 0; n < kDriverScanCount; ++n) {
        if (!ProbeDriver(devc, n)) continue;
        MarkOpen(devc);
        uint16_t value = static_cast<uint16_t>(n);
        UsbBridgeControl(devc, 1, value);
        UsbBridgeControl(devc, 4, value);
        StartUpPair(devc);
        return true;
    }
    return false;
}

// Opens driver device N and keeps it when it is our bridge; otherwise closes it again.
bool UsbBridge::ProbeDriver(Devc& devc, int index) {
    // Driver devices are always driven through the driver, also after a HID bridge was used.
    TransportKind = TransportKindValue::Driver;
    devc.Path = DriverDeviceName(index);
    devc.Handle = driver_.CreateFile(devc.Path);
    if (!devc.HandleValid()) {
        devc.Handle = -1;
        devc.Path.clear();
        return false;
    }
    handleOwner_ = &drvT_;
    const bool accepted =
        UsbGetDeviceDescriptor(devc) && devc.VendorId() == kDriverVendor &&
        (devc.ProductId() == kDriverProductA || devc.ProductId() == kDriverProductB) &&
        UsbGetPipeInfo(devc, 0) && UsbGetPipeInfo(devc, 1) && Sub2Answers(devc);
    if (!accepted) UsbClose(devc);
    return accepted;
}

bool UsbBridge::ScanHid(Devc& devc) {
    for (int n = 0; n < kHidScanCount; ++n) {
        if (!ProbeHid(devc, n)) continue;
        MarkOpen(devc);
        uint16_t value = static_cast<uint16_t>(n);
        UsbBridgeControl(devc, 1, value);
        UsbBridgeControl(devc, 4, value);
        UsbBridgeControl(devc, 6, value);
        const auto packet = static_cast<uint16_t>(hidT_.InputReportLength - 1);
        for (size_t p = 0; p < 4; ++p) devc.Pipes[p].MaximumPacketSize = packet;
        StartUpPair(devc);
        return true;
    }
    return false;
}

bool UsbBridge::ProbeHid(Devc& devc, int index) {
    uint8_t found = 0;
    const HidHandle handle = hid_.Hid_GetDeviceH(found, index);
    if (handle == kInvalidHid || handle == 0) return false;
    devc.Handle = handle;
    handleOwner_ = &hidT_;
    if (found == 0) {
        UsbClose(devc);
        return false;
    }
    const bool isBridge =
        hid_.Hid_Get_att(handle, hidT_.InputReportLength, hidT_.OutputReportLength, HidAtt) &&
        HidAtt.VendorId == kHidVendor && HidAtt.ProductId == kHidProduct &&
        HidAtt.VersionNumber == kHidVersion;
    if (isBridge) TransportKind = TransportKindValue::Hid;
    const bool accepted = isBridge && Sub2Answers(devc);
    if (!accepted) UsbClose(devc);
    return accepted;
}

} // namespace qn
