// An emulated HID bridge on /dev/hidrawN: hidapi sees a real-looking device, a model answers it.
#pragma once

#include "sim/emulated/BridgeModel.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

typedef struct _UMockdevIoctlBase UMockdevIoctlBase;

namespace qn::emulated {

inline constexpr uint16_t kHidBridgeVendor = 0x04D8;
inline constexpr uint16_t kHidBridgeProduct = 0x2008;
inline constexpr uint16_t kHidBridgeRelease = 0x0727;
inline constexpr size_t kHidBridgePayload = 64;

// The device side reads each output report (report ID 0 first, 65 bytes for the bridge) from the
// node, passes its payload to the model and, when the model has an answer, delivers it as an
// input report of the payload size: the bridge declares no report IDs, so hidraw hands input
// reports over without one. `payload` sets the report size the report descriptor declares.
class EmulatedHidBridge {
  public:
    explicit EmulatedHidBridge(BridgeModel& model, uint16_t release = kHidBridgeRelease,
                               uint16_t product = kHidBridgeProduct,
                               size_t payload = kHidBridgePayload)
        : EmulatedHidBridge(std::make_unique<ModelAdapter<BridgeModel>>(model), release, product,
                            payload) {}
    template <ForeignModel Device>
    explicit EmulatedHidBridge(Device& device, uint16_t release = kHidBridgeRelease,
                               uint16_t product = kHidBridgeProduct,
                               size_t payload = kHidBridgePayload)
        : EmulatedHidBridge(std::make_unique<ModelAdapter<Device>>(device), release, product,
                            payload) {}
    ~EmulatedHidBridge();
    EmulatedHidBridge(const EmulatedHidBridge&) = delete;
    EmulatedHidBridge& operator=(const EmulatedHidBridge&) = delete;

    // The cable is pulled: the device disappears and stops answering.
    void Unplug();
    // The cable is plugged in again at the same place.
    void Replug();
    bool Plugged() const { return plugged_; }
    // Hold while changing the model from the test; the device side uses the model under it too.
    std::unique_lock<std::mutex> Lock() { return std::unique_lock(modelMutex_); }
    // Device node, e.g. /dev/hidraw0.
    std::string DevicePath() const;
    // Output reports the device side has taken in so far.
    int ReportsSeen() const { return reportsSeen_; }

  private:
    EmulatedHidBridge(std::unique_ptr<BridgeModel> model, uint16_t release, uint16_t product,
                      size_t payload);
    std::string DeviceText() const;
    std::string InterfacePath() const;
    std::string HidPath() const;
    std::string NodeName() const;
    void Start();
    void Stop();
    void Serve(int fd);
    void HandleReport(int fd, const uint8_t* report);

    std::unique_ptr<BridgeModel> model_;
    uint16_t release_;
    uint16_t product_;
    size_t payload_;
    std::vector<uint8_t> reportDescriptor_;
    int slot_;
    int node_ = 0;
    int address_ = 0;
    bool plugged_ = false;
    std::mutex modelMutex_;
    std::atomic<bool> stop_{false};
    std::atomic<int> reportsSeen_{0};
    std::thread server_;
    UMockdevIoctlBase* ioctls_ = nullptr;
};

} // namespace qn::emulated
