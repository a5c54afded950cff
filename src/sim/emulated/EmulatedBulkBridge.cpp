// The emulated bulk bridge: its descriptors, its place on the bus, plugging and unplugging.
#include "sim/emulated/EmulatedBulkBridge.h"

#include "sim/emulated/Testbed.h"
#include "sim/emulated/UrbQueue.h"

#include <umockdev.h>

namespace qn::emulated {
namespace {

// Device descriptor, then one configuration with interface 0: bulk IN 0x81 first, then bulk OUT
// 0x01, 64-byte packets, vendor-specific class.
std::vector<uint8_t> UsbDescriptors(uint16_t product) {
    return {0x12, 0x01, 0x00, 0x02, 0xFF, 0x00, 0x00, 0x40, static_cast<uint8_t>(kBulkBridgeVendor),
            static_cast<uint8_t>(kBulkBridgeVendor >> 8), static_cast<uint8_t>(product),
            static_cast<uint8_t>(product >> 8), static_cast<uint8_t>(kBulkBridgeRelease),
            static_cast<uint8_t>(kBulkBridgeRelease >> 8), 0x01, 0x02, 0x00, 0x01,
            // configuration, interface, two endpoints
            0x09, 0x02, 0x20, 0x00, 0x01, 0x01, 0x00, 0x80, 0x32, 0x09, 0x04, 0x00, 0x00, 0x02,
            0xFF, 0x00, 0x00, 0x00, 0x07, 0x05, kBulkInEndpoint, 0x02, 0x40, 0x00, 0x00, 0x07, 0x05,
            kBulkOutEndpoint, 0x02, 0x40, 0x00, 0x00};
}

} // namespace

EmulatedBulkBridge::EmulatedBulkBridge(std::unique_ptr<BridgeModel> model, uint16_t product)
    : model_(std::move(model)), product_(product), slot_(AcquireSlot()) {
    Replug();
}

EmulatedBulkBridge::~EmulatedBulkBridge() {
    Unplug();
    for (auto& [node, handler] : retired_) {
        DetachIoctl(node);
        g_object_unref(handler);
    }
    ReleaseSlot(slot_);
}

std::unique_lock<std::mutex> EmulatedBulkBridge::Lock() {
    return urbs_->Lock();
}

int EmulatedBulkBridge::TransfersSeen() const {
    return urbs_->TransfersSeen();
}

std::string EmulatedBulkBridge::DevicePath() const {
    return UsbNodePath(address_);
}

void EmulatedBulkBridge::Replug() {
    if (plugged_) return;
    address_ = NextUsbAddress();
    AddDevices(UsbDeviceText({slot_, address_, UsbDescriptors(product_), "Qn Bulk Bridge"}));
    ioctls_ = umockdev_ioctl_base_new();
    urbs_ = UrbQueue::Attach(ioctls_, *model_);
    AttachIoctl(DevicePath(), ioctls_);
    plugged_ = true;
}

// Handles still open on the old node keep reaching its (now disconnected) queue until they
// close.
void EmulatedBulkBridge::Unplug() {
    if (!plugged_) return;
    urbs_->Disconnect();
    retired_.emplace_back(DevicePath(), ioctls_);
    ioctls_ = nullptr;
    RemoveDevice(UsbDevicePath(slot_));
    plugged_ = false;
}

} // namespace qn::emulated
