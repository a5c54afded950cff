// The shared umockdev testbed: creation, device text loading, removal and the USB slot table.
#include "sim/emulated/Testbed.h"

#include <umockdev.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace qn::emulated {
namespace {

constexpr int kSlotCount = 9;

std::mutex& SlotMutex() {
    static std::mutex mutex;
    return mutex;
}

std::array<bool, kSlotCount>& SlotsInUse() {
    static std::array<bool, kSlotCount> used{};
    return used;
}

[[noreturn]] void Fail(const char* what, GError* error) {
    std::fprintf(stderr, "emulated hardware: %s: %s\n", what, error ? error->message : "?");
    std::abort();
}

UMockdevTestbed* testbed = nullptr;

// Releasing the testbed removes its folder of emulated /sys and /dev.
void ReleaseTestbed() {
    if (testbed != nullptr) g_object_unref(testbed);
    testbed = nullptr;
}

} // namespace

UMockdevTestbed* SharedTestbed() {
    static std::once_flag made;
    std::call_once(made, [] {
        testbed = umockdev_testbed_new();
        if (!umockdev_in_mock_environment()) {
            std::fprintf(stderr, "emulated hardware: run this program under umockdev-wrapper\n");
            std::abort();
        }
        std::atexit(ReleaseTestbed);
    });
    return testbed;
}

void AddDevices(const std::string& text) {
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(SharedTestbed(), text.c_str(), &error))
        Fail(("cannot add device\n" + text).c_str(), error);
}

void RemoveDevice(const std::string& syspath) {
    const std::string full = "/sys" + syspath;
    umockdev_testbed_uevent(SharedTestbed(), full.c_str(), "remove");
    umockdev_testbed_remove_device(SharedTestbed(), full.c_str());
}

void AttachIoctl(const std::string& node, UMockdevIoctlBase* handler) {
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(SharedTestbed(), node.c_str(), handler, &error))
        Fail(("cannot attach to " + node).c_str(), error);
}

void DetachIoctl(const std::string& node) {
    umockdev_testbed_detach_ioctl(SharedTestbed(), node.c_str(), nullptr);
}

int AcquireSlot() {
    std::lock_guard lock(SlotMutex());
    for (int slot = 0; slot < kSlotCount; ++slot) {
        auto& used = SlotsInUse()[static_cast<size_t>(slot)];
        if (!used) {
            used = true;
            return slot;
        }
    }
    std::fprintf(stderr, "emulated hardware: all %d USB slots in use\n", kSlotCount);
    std::abort();
}

void ReleaseSlot(int slot) {
    std::lock_guard lock(SlotMutex());
    SlotsInUse()[static_cast<size_t>(slot)] = false;
}

std::string UsbDevicePath(int slot) {
    return "/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(slot + 1);
}

int NextUsbAddress() {
    static std::atomic<int> next{2};
    return next++;
}

std::string UsbNodePath(int address) {
    char node[32];
    std::snprintf(node, sizeof node, "/dev/bus/usb/001/%03d", address);
    return node;
}

int NextHidrawNumber() {
    static std::atomic<int> next{0};
    return next++;
}

// Sysfs attribute files end in a newline; umockdev writes "\n" in a value as one.
std::string Attribute(const std::string& name, const std::string& value) {
    return "A: " + name + "=" + value + "\\n\n";
}

std::string HexWord(const uint8_t* low) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x", low[1], low[0]);
    return text;
}

std::string UsbDeviceText(const UsbDeviceFacts& facts) {
    const uint8_t* d = facts.descriptors.data();
    const std::string hex = Hex(d, facts.descriptors.size());
    const std::string node = UsbNodePath(facts.address);
    const std::string address = std::to_string(facts.address);
    return "P: " + UsbDevicePath(facts.slot) + "\nN: " + node.substr(5) + "=" + hex +
           "\nE: DEVNAME=" + node + "\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\n" +
           "E: BUSNUM=001\nE: DEVNUM=" + node.substr(node.size() - 3) + "\n" +
           Attribute("idVendor", HexWord(d + 8)) + Attribute("idProduct", HexWord(d + 10)) +
           Attribute("bcdDevice", HexWord(d + 12)) + Attribute("busnum", "1") +
           Attribute("devnum", address) + Attribute("speed", "12") +
           Attribute("bConfigurationValue", "1") + Attribute("manufacturer", "Qn") +
           Attribute("product", facts.productName) + Attribute("serial", "QN" + address) +
           "H: descriptors=" + hex + "\n";
}

std::string Hex(const uint8_t* bytes, size_t length) {
    static const char* const kDigits = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0xF];
    }
    return text;
}

} // namespace qn::emulated
