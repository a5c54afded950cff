// An emulated USB bulk bridge under /dev/bus/usb: libusb sees a real-looking device, a model
// answers.
#pragma once

#include "sim/emulated/BridgeModel.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

typedef struct _UMockdevIoctlBase UMockdevIoctlBase;

namespace qn::emulated {

inline constexpr uint16_t kBulkBridgeVendor = 0x0547;
inline constexpr uint16_t kBulkBridgeProduct = 0x1004;
inline constexpr uint16_t kBulkBridgeRelease = 0x0001;
inline constexpr uint8_t kBulkInEndpoint = 0x81;
inline constexpr uint8_t kBulkOutEndpoint = 0x01;

class UrbQueue;

// One configuration, interface 0 with a bulk IN endpoint (0x81) then a bulk OUT endpoint (0x01),
// 64-byte packets. OUT transfers go to the model; IN transfers wait for the model's answer and
// are cancelled by the host's time-out when none comes.
class EmulatedBulkBridge {
  public:
    explicit EmulatedBulkBridge(BridgeModel& model, uint16_t product = kBulkBridgeProduct)
        : EmulatedBulkBridge(std::make_unique<ModelAdapter<BridgeModel>>(model), product) {}
    template <ForeignModel Device>
    explicit EmulatedBulkBridge(Device& device, uint16_t product = kBulkBridgeProduct)
        : EmulatedBulkBridge(std::make_unique<ModelAdapter<Device>>(device), product) {}
    ~EmulatedBulkBridge();
    EmulatedBulkBridge(const EmulatedBulkBridge&) = delete;
    EmulatedBulkBridge& operator=(const EmulatedBulkBridge&) = delete;

    // The cable is pulled: pending and new transfers fail with "no device", the device disappears.
    void Unplug();
    // The cable is plugged in again at the same place.
    void Replug();
    bool Plugged() const { return plugged_; }
    // Hold while changing the model from the test; the device side uses the model under it too.
    std::unique_lock<std::mutex> Lock();
    // Device node, e.g. /dev/bus/usb/001/002.
    std::string DevicePath() const;
    // OUT transfers the device has taken in since it was last plugged in.
    int TransfersSeen() const;

  private:
    EmulatedBulkBridge(std::unique_ptr<BridgeModel> model, uint16_t product);
    std::string DeviceText() const;

    std::unique_ptr<BridgeModel> model_;
    uint16_t product_;
    int slot_;
    bool plugged_ = false;
    int address_ = 0;
    UrbQueue* urbs_ = nullptr; // of the current plug-in, owned by its handler
    UMockdevIoctlBase* ioctls_ = nullptr;
    // Handlers of earlier plug-ins with their nodes: handles opened then still reach them.
    std::vector<std::pair<std::string, UMockdevIoctlBase*>> retired_;
};

} // namespace qn::emulated
