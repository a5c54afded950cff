// The process-wide umockdev testbed shared by all emulated devices, and small helpers to fill it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;

namespace qn::emulated {

// The testbed of this process; created on first use. Programs using it run under umockdev-wrapper.
UMockdevTestbed* SharedTestbed();

// Adds the devices described in umockdev's text format (umockdev announces each one); aborts
// the test program on a parse error.
void AddDevices(const std::string& text);
// Removes a device (and what lies below it), announcing the removal first. Paths here are
// sysfs paths without the leading /sys, as in umockdev's device text.
void RemoveDevice(const std::string& syspath);

// A free position on the emulated USB bus (0..8); each one gets its own port path and address.
// Lets `handler` answer the requests made on the device node `node`; aborts when it cannot.
void AttachIoctl(const std::string& node, UMockdevIoctlBase* handler);
void DetachIoctl(const std::string& node);

int AcquireSlot();
void ReleaseSlot(int slot);
// Sysfs path of the USB device plugged into `slot`, e.g. /devices/pci0000:00/0000:00:14.0/usb1/1-1.
std::string UsbDevicePath(int slot);
// A device address on bus 1 not used before in this process: like the kernel, each plug-in gets
// a new address (umockdev also keeps a removed node's backing file, so names must not repeat).
int NextUsbAddress();
// Device node of the USB device with `address` on bus 1, e.g. /dev/bus/usb/001/002.
std::string UsbNodePath(int address);

// A hidraw number not used before in this process, for the same reason.
int NextHidrawNumber();

// What the umockdev text of one USB device is made from. `descriptors` holds the device
// descriptor followed by the whole configuration; ids and release are taken from it.
struct UsbDeviceFacts {
    int slot = 0;
    int address = 2;
    std::vector<uint8_t> descriptors;
    std::string productName;
};
// The usb_device record: sysfs attributes, udev properties and the device node under /dev/bus/usb.
std::string UsbDeviceText(const UsbDeviceFacts& facts);

// Bytes as contiguous upper-case hex, the form umockdev takes for binary attributes and nodes.
std::string Hex(const uint8_t* bytes, size_t length);

} // namespace qn::emulated
