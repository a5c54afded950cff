// Finding, opening, identifying and closing the USB bridge, and moving the shared buffer through
// it.
#pragma once

#include "link/DriverTransport.h"
#include "link/HidTransport.h"
#include "link/LinkFrames.h"
#include "link/LinkRecords.h"

#include <array>
#include <cstdint>

namespace qn {

inline constexpr int kDriverScanCount = 32;
inline constexpr int kHidScanCount = 128;
inline constexpr uint8_t kFreshAlreadyOpen = 0;
inline constexpr uint8_t kFreshNewBridge = 1;
inline constexpr uint8_t kFreshNothingFound = 255;

enum class TransportKindValue : uint8_t { Driver = 0, Hid = 1 };

class UsbBridge {
  public:
    UsbBridge(HidLayer& hid, DriverLayer& driver)
        : hid_(hid), driver_(driver), hidT_(hid), drvT_(driver) {}

    bool UsbOpen(Devc& devc, uint8_t& fresh);
    void UsbClose(Devc& devc);
    bool UsbWrite(Devc& devc, uint8_t length);
    bool UsbRead(Devc& devc, uint8_t length);
    bool UsbIdentify(Devc& devc);
    bool UsbBridgeControl(Devc& devc, uint8_t sub, uint16_t& value);
    bool UsbGetDeviceDescriptor(Devc& devc);
    bool UsbGetPipeInfo(Devc& devc, int pipe);

    // The one request/answer buffer of every bridge operation (64 bytes used, 260 reserved).
    std::array<uint8_t, kUsbIoAreaSize> UsbIoBuffer{};
    TransportKindValue TransportKind = TransportKindValue::Driver;
    HidAttributes HidAtt;
    uint32_t LastError = 0;
    uint32_t IdleTicks = 0;
    std::array<uint8_t, kInterfaceInfoSize> InterfaceInfo{};

    uint16_t InputReportLength() const { return hidT_.InputReportLength; }

  private:
    // Puts the frame in the buffer, sends it and reads its answer.
    bool Exchange(Devc& devc, const LinkFrame& frame);
    bool ScanDriver(Devc& devc);
    bool ProbeDriver(Devc& devc, int index);
    bool ScanHid(Devc& devc);
    bool ProbeHid(Devc& devc, int index);
    bool Sub2Answers(Devc& devc);
    void MarkOpen(Devc& devc);
    void StartUpPair(Devc& devc);
    Transport& Current();

    HidLayer& hid_;
    DriverLayer& driver_;
    HidTransport hidT_;
    DriverTransport drvT_;
    Transport* handleOwner_ = nullptr; // the layer that opened devc.Handle
};

} // namespace qn
