// The emulated HID bridge: its sysfs chain, its hidraw requests, and the thread playing the device.
#include "sim/emulated/EmulatedHidBridge.h"

#include "sim/emulated/Testbed.h"

#include <umockdev.h>

#include <linux/hidraw.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>

namespace qn::emulated {
namespace {

constexpr int kPollSliceMs = 10;

// Vendor page, one application collection, input and output reports of `payload` bytes, no IDs.
std::vector<uint8_t> ReportDescriptor(size_t payload) {
    const auto count = static_cast<uint8_t>(payload);
    return {0x06,  0x00, 0xFF, 0x09, 0x01, 0xA1,  0x01, 0x19, 0x01, 0x29,
            count, 0x15, 0x00, 0x26, 0xFF, 0x00,  0x75, 0x08, 0x95, count,
            0x81,  0x02, 0x19, 0x01, 0x29, count, 0x91, 0x02, 0xC0};
}

// Device descriptor and configuration: one HID interface with interrupt IN and OUT endpoints.
std::vector<uint8_t> UsbDescriptors(uint16_t product, uint16_t release, size_t reportSize) {
    return {0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, static_cast<uint8_t>(kHidBridgeVendor),
            static_cast<uint8_t>(kHidBridgeVendor >> 8), static_cast<uint8_t>(product),
            static_cast<uint8_t>(product >> 8), static_cast<uint8_t>(release),
            static_cast<uint8_t>(release >> 8), 0x01, 0x02, 0x00, 0x01,
            // configuration, interface, HID class descriptor, two endpoints
            0x09, 0x02, 0x29, 0x00, 0x01, 0x01, 0x00, 0x80, 0x32, 0x09, 0x04, 0x00, 0x00, 0x02,
            0x03, 0x00, 0x00, 0x00, 0x09, 0x21, 0x11, 0x01, 0x00, 0x01, 0x22,
            static_cast<uint8_t>(reportSize), 0x00, 0x07, 0x05, 0x81, 0x03, 0x40, 0x00, 0x01, 0x07,
            0x05, 0x01, 0x03, 0x40, 0x00, 0x01};
}

// What the node answers to hidraw requests; owned by the ioctl handler, which umockdev keeps
// alive while a handle is open on the node, possibly after the bridge is gone.
struct HidrawFacts {
    uint16_t product;
    std::vector<uint8_t> descriptor;
};

bool CopyOut(UMockdevIoctlData* arg, const void* value, size_t length) {
    UMockdevIoctlData* out = umockdev_ioctl_data_resolve(arg, 0, length, nullptr);
    if (!out) return false;
    std::memcpy(out->data, value, length);
    g_object_unref(out);
    return true;
}

bool CopyFacts(const HidrawFacts& facts, unsigned long request, UMockdevIoctlData* arg) {
    if (request == HIDIOCGRDESCSIZE) {
        const int size = static_cast<int>(facts.descriptor.size());
        return CopyOut(arg, &size, sizeof size);
    }
    if (request == HIDIOCGRDESC) {
        hidraw_report_descriptor descriptor{};
        descriptor.size = static_cast<uint32_t>(facts.descriptor.size());
        std::memcpy(descriptor.value, facts.descriptor.data(), facts.descriptor.size());
        return CopyOut(arg, &descriptor, sizeof descriptor);
    }
    const hidraw_devinfo info{BUS_USB, static_cast<int16_t>(kHidBridgeVendor),
                              static_cast<int16_t>(facts.product)};
    return CopyOut(arg, &info, sizeof info);
}

// Answers the hidraw requests hidapi and the platform layer make; the rest reaches the PTY.
gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    if (request != HIDIOCGRDESCSIZE && request != HIDIOCGRDESC && request != HIDIOCGRAWINFO)
        return FALSE;
    const bool copied = CopyFacts(*static_cast<const HidrawFacts*>(data), request,
                                  umockdev_ioctl_client_get_arg(client));
    umockdev_ioctl_client_complete(client, copied ? 0 : -1, copied ? 0 : EFAULT);
    return TRUE;
}

} // namespace

EmulatedHidBridge::EmulatedHidBridge(std::unique_ptr<BridgeModel> model, uint16_t release,
                                     uint16_t product, size_t payload)
    : model_(std::move(model)), release_(release), product_(product), payload_(payload),
      reportDescriptor_(ReportDescriptor(payload)), slot_(AcquireSlot()) {
    Replug();
}

EmulatedHidBridge::~EmulatedHidBridge() {
    Unplug();
    ReleaseSlot(slot_);
}

std::string EmulatedHidBridge::DevicePath() const {
    return "/dev/" + NodeName();
}

std::string EmulatedHidBridge::NodeName() const {
    return "hidraw" + std::to_string(node_);
}

std::string EmulatedHidBridge::InterfacePath() const {
    return UsbDevicePath(slot_) + "/1-" + std::to_string(slot_ + 1) + ":1.0";
}

std::string EmulatedHidBridge::HidPath() const {
    char hid[32];
    std::snprintf(hid, sizeof hid, "/0003:%04X:%04X.%04X", kHidBridgeVendor, product_, node_ + 1);
    return InterfacePath() + hid;
}

// The chain hidapi walks: hidraw node -> hid device -> USB interface -> USB device.
std::string EmulatedHidBridge::DeviceText() const {
    const std::string minor = std::to_string(node_);
    char hidId[48];
    std::snprintf(hidId, sizeof hidId, "0003:%08X:%08X", kHidBridgeVendor, product_);
    return "P: " + HidPath() + "/hidraw/" + NodeName() + "\nN: " + NodeName() +
           "\nE: DEVNAME=" + DevicePath() +
           "\nE: SUBSYSTEM=hidraw\nE: MAJOR=241\nE: MINOR=" + minor + "\nA: dev=241:" + minor +
           "\nL: device=../..\n\nP: " + HidPath() + "\nE: HID_ID=" + hidId +
           "\nE: HID_NAME=Qn Bridge HID\nE: HID_UNIQ=\n" +
           "E: SUBSYSTEM=hid\nH: report_descriptor=" +
           Hex(reportDescriptor_.data(), reportDescriptor_.size()) + "\n\nP: " + InterfacePath() +
           "\nE: DEVTYPE=usb_interface\nE: SUBSYSTEM=usb\n" +
           "E: INTERFACE=3/0/0\nA: bInterfaceNumber=00\nA: bInterfaceClass=03\n\n" +
           UsbDeviceText({slot_, address_,
                          UsbDescriptors(product_, release_, reportDescriptor_.size()),
                          "Qn Bridge HID"});
}

void EmulatedHidBridge::Replug() {
    if (plugged_) return;
    node_ = NextHidrawNumber();
    address_ = NextUsbAddress();
    AddDevices(DeviceText());
    ioctls_ = umockdev_ioctl_base_new();
    const auto forget = [](void* facts, GClosure*) { delete static_cast<HidrawFacts*>(facts); };
    g_signal_connect_data(ioctls_, "handle-ioctl", G_CALLBACK(OnIoctl),
                          new HidrawFacts{product_, reportDescriptor_}, forget, GConnectFlags{});
    AttachIoctl(DevicePath(), ioctls_);
    plugged_ = true;
    Start();
}

// The open node stays a working PTY (umockdev keeps it), but nobody answers on it any more.
void EmulatedHidBridge::Unplug() {
    if (!plugged_) return;
    Stop();
    DetachIoctl(DevicePath());
    g_object_unref(ioctls_);
    ioctls_ = nullptr;
    // Deepest first: umockdev leaves the class links of child devices behind otherwise.
    RemoveDevice(HidPath() + "/hidraw/" + NodeName());
    RemoveDevice(HidPath());
    RemoveDevice(InterfacePath());
    RemoveDevice(UsbDevicePath(slot_));
    plugged_ = false;
}

void EmulatedHidBridge::Start() {
    const int fd = umockdev_testbed_get_dev_fd(SharedTestbed(), DevicePath().c_str());
    stop_ = false;
    server_ = std::thread([this, fd] { Serve(fd); });
}

void EmulatedHidBridge::Stop() {
    stop_ = true;
    if (server_.joinable()) server_.join();
}

// A PTY keeps no report boundaries: collect exactly one report's length before handling it.
void EmulatedHidBridge::Serve(int fd) {
    std::vector<uint8_t> report(payload_ + 1);
    size_t filled = 0;
    while (!stop_) {
        pollfd waiting{fd, POLLIN, 0};
        if (poll(&waiting, 1, kPollSliceMs) <= 0 || !(waiting.revents & POLLIN)) continue;
        const ssize_t got = read(fd, report.data() + filled, report.size() - filled);
        if (got <= 0) continue;
        filled += static_cast<size_t>(got);
        if (filled < report.size()) continue;
        HandleReport(fd, report.data());
        filled = 0;
    }
}

void EmulatedHidBridge::HandleReport(int fd, const uint8_t* report) {
    ++reportsSeen_;
    std::vector<uint8_t> answer(payload_);
    bool answered = false;
    {
        std::lock_guard lock(modelMutex_);
        model_->Receive(report + 1, payload_);
        answered = model_->Answer(answer.data(), answer.size());
    }
    if (answered && write(fd, answer.data(), answer.size()) < 0)
        std::fprintf(stderr, "emulated hardware: cannot deliver input report\n");
}

} // namespace qn::emulated
