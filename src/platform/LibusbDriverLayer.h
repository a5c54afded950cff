// The bridge driver layer on Linux: "\\.\Qnusb-N" devices served by libusb.
#pragma once

#include "files/BusTrace.h"
#include "link/DriverLayer.h"
#include "link/DriverReplies.h"
#include "platform/LibusbErrors.h"

#include <array>
#include <map>
#include <memory>
#include <string>

struct libusb_context;
struct libusb_device;
struct libusb_device_handle;

namespace qn {

// How long a bulk transfer may take before it fails with kDriverErrorTimeout.
inline constexpr unsigned kBulkTimeoutMs = 1000;
// Vendor of the devices the driver publishes, and how many it numbers.
inline constexpr uint16_t kDriverVendorId = 0x0547;
inline constexpr int kDriverDeviceCount = 32;

// Index N of "\\.\Qnusb-N" (0..31); -1 for any other name.
int DriverDeviceIndex(const std::string& path);

// Device N is the N-th device of vendor 0x0547, counted in bus order (bus number, then hub port
// path). Opening it claims interface 0 (detaching a kernel driver that holds it); the endpoints
// of that interface become the pipes, in descriptor order.
class LibusbDriverLayer final : public DriverLayer {
  public:
    explicit LibusbDriverLayer(BusTrace& trace);
    ~LibusbDriverLayer() override;
    LibusbDriverLayer(const LibusbDriverLayer&) = delete;
    LibusbDriverLayer& operator=(const LibusbDriverLayer&) = delete;

    DriverHandle CreateFile(const std::string& path) override;
    bool DeviceIoControl(DriverHandle handle, uint32_t code, const uint8_t* in, size_t inLength,
                         uint8_t* out, size_t outLength, uint32_t& returned) override;
    void CloseHandle(DriverHandle handle) override;
    uint32_t GetLastError() override { return lastError_; }

    // False when libusb could not start (no USB access at all); every open then fails.
    bool Ready() const { return context_ != nullptr; }
    size_t OpenCount() const { return open_.size(); }

  private:
    // Ends the libusb session when the layer goes.
    struct ContextExit {
        void operator()(libusb_context* context) const;
    };
    // Closes a device handle that has not claimed the bridge interface.
    struct HandleClose {
        void operator()(libusb_device_handle* usb) const;
    };
    // Releases the bridge interface (libusb hands it back to a detached kernel driver), then
    // closes the handle.
    struct ClaimedClose {
        void operator()(libusb_device_handle* usb) const;
    };
    // One open bridge; erasing it from open_ releases and closes it.
    struct OpenDevice {
        std::unique_ptr<libusb_device_handle, ClaimedClose> usb;
        std::string port; // name in the bus trace
        std::array<uint8_t, 18> deviceDescriptor{};
        InterfaceFacts interface;
    };

    libusb_device* FindDevice(libusb_device* const* list, long count, int index) const;
    bool Open(libusb_device* device, OpenDevice& opened);
    static const EndpointFacts* PipeEndpoint(const OpenDevice& open, bool toDevice,
                                             const uint8_t* in, size_t inLength);
    bool Bulk(OpenDevice& open, bool toDevice, const uint8_t* in, size_t inLength, uint8_t* out,
              size_t outLength, uint32_t& returned);
    bool Reply(const uint8_t* block, size_t blockSize, size_t minimum, uint8_t* out,
               size_t outLength, uint32_t& returned);
    DriverHandle Remember(OpenDevice device);
    bool Fail(uint32_t error);

    BusTrace& trace_;
    std::unique_ptr<libusb_context, ContextExit> context_; // before open_: outlives the handles
    std::map<DriverHandle, OpenDevice> open_;
    DriverHandle next_ = 1;
    uint32_t lastError_ = 0;
};

} // namespace qn
