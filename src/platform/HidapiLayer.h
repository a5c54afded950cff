// The HID access layer on Linux: hidapi over hidraw, with the bus trace of every report.
#pragma once

#include "files/BusTrace.h"
#include "link/HidLayer.h"
#include "platform/HidReportDescriptor.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct hid_device_;

namespace qn {

// How long ReadReport waits for one input report.
inline constexpr int kHidReadTimeoutMs = 1000;
// Highest enumeration index Hid_GetDeviceH accepts.
inline constexpr int kHidMaxIndex = 127;
// Report length assumed when the report descriptor cannot be read: 64 bytes plus the ID byte.
inline constexpr uint16_t kHidFallbackReportLength = 65;

class HidapiLayer final : public HidLayer {
  public:
    explicit HidapiLayer(BusTrace& trace);
    ~HidapiLayer() override;
    HidapiLayer(const HidapiLayer&) = delete;
    HidapiLayer& operator=(const HidapiLayer&) = delete;

    // Index N is the N-th entry of hidapi's enumeration of all HID devices.
    HidHandle Hid_GetDeviceH(uint8_t& found, int index) override;
    bool Hid_Get_att(HidHandle handle, uint16_t& inputReportLength, uint16_t& outputReportLength,
                     HidAttributes& attributes) override;
    bool WriteReport(HidHandle handle, const uint8_t* report, size_t length) override;
    // Waits at most kHidReadTimeoutMs.
    bool ReadReport(HidHandle handle, uint8_t* report, size_t length) override;
    void Close(HidHandle handle) override;

    size_t OpenCount() const { return open_.size(); }

  private:
    // Closes a hidapi device when its record goes.
    struct DeviceCloser {
        void operator()(hid_device_* device) const;
    };
    // One open device; erasing it from open_ closes the device.
    struct OpenDevice {
        std::unique_ptr<hid_device_, DeviceCloser> device;
        std::string path;
        HidAttributes attributes;
        HidReportLayout layout;
    };

    // One HID device of the last listing.
    struct ListedDevice {
        std::string Path;
        HidAttributes Attributes;
    };
    static constexpr std::chrono::seconds kListReuse{1};
    const std::vector<ListedDevice>& Listed(int index);
    OpenDevice* Find(HidHandle handle);
    HidHandle Remember(OpenDevice device);

    BusTrace& trace_;
    std::map<HidHandle, OpenDevice> open_;
    HidHandle next_ = 1;
    std::vector<ListedDevice> listed_;
    std::chrono::steady_clock::time_point listedAt_{};
};

// Reads the report descriptor of a hidraw node and works out its report lengths; falls back to
// 65-byte unnumbered reports when the node cannot be asked.
HidReportLayout ReadHidrawLayout(const std::string& path);

} // namespace qn
