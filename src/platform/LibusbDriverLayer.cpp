// Driver devices through libusb: finding the N-th bridge, its replies, and bulk transfers.
#include "platform/LibusbDriverLayer.h"

#include <libusb.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace qn {
namespace {

constexpr int kBridgeInterface = 0;
// wMaxPacketSize bits 0-10; bits 11-12 count extra transactions per microframe.
constexpr size_t kPacketSizeMask = 0x7FF;

void Put16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

// The device descriptor in its wire layout (libusb hands it over field by field).
std::array<uint8_t, 18> RawDescriptor(const libusb_device_descriptor& d) {
    std::array<uint8_t, 18> raw{d.bLength, d.bDescriptorType};
    Put16(&raw[2], d.bcdUSB);
    raw[4] = d.bDeviceClass;
    raw[5] = d.bDeviceSubClass;
    raw[6] = d.bDeviceProtocol;
    raw[7] = d.bMaxPacketSize0;
    Put16(&raw[8], d.idVendor);
    Put16(&raw[10], d.idProduct);
    Put16(&raw[12], d.bcdDevice);
    raw[14] = d.iManufacturer;
    raw[15] = d.iProduct;
    raw[16] = d.iSerialNumber;
    raw[17] = d.bNumConfigurations;
    return raw;
}

InterfaceFacts FactsOf(const libusb_interface_descriptor& d) {
    InterfaceFacts facts{d.bInterfaceNumber,   d.bAlternateSetting,  d.bInterfaceClass,
                         d.bInterfaceSubClass, d.bInterfaceProtocol, {}};
    for (uint8_t i = 0; i < d.bNumEndpoints; ++i) {
        const libusb_endpoint_descriptor& e = d.endpoint[i];
        facts.Endpoints.push_back(
            {e.bEndpointAddress, e.bmAttributes, e.wMaxPacketSize, e.bInterval});
    }
    return facts;
}

// Interface 0, alternate setting 0 of the active configuration.
bool BridgeInterface(libusb_device* device, InterfaceFacts& facts) {
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != LIBUSB_SUCCESS) return false;
    bool found = false;
    for (uint8_t i = 0; i < config->bNumInterfaces && !found; ++i) {
        const libusb_interface& interface = config->interface[i];
        if (interface.num_altsetting < 1) continue;
        const libusb_interface_descriptor& setting = interface.altsetting[0];
        if (setting.bInterfaceNumber != kBridgeInterface) continue;
        facts = FactsOf(setting);
        found = true;
    }
    libusb_free_config_descriptor(config);
    return found;
}

// Bus number, then the hub ports from the root down, then the address: where a device sits.
std::vector<uint8_t> BusPlace(libusb_device* device) {
    uint8_t ports[8] = {};
    const int depth = std::max(libusb_get_port_numbers(device, ports, sizeof ports), 0);
    std::vector<uint8_t> place{libusb_get_bus_number(device)};
    place.insert(place.end(), ports, ports + depth);
    place.push_back(libusb_get_device_address(device));
    return place;
}

// The 4-byte little-endian pipe word: the index of a pipe record.
uint32_t PipeWord(const uint8_t* in) {
    uint32_t word = 0;
    for (size_t i = 0; i < 4; ++i) word |= static_cast<uint32_t>(in[i]) << (8 * i);
    return word;
}

} // namespace

int DriverDeviceIndex(const std::string& path) {
    for (int index = 0; index < kDriverDeviceCount; ++index)
        if (path == DriverDeviceName(index)) return index;
    return -1;
}

void LibusbDriverLayer::ContextExit::operator()(libusb_context* context) const {
    libusb_exit(context);
}

void LibusbDriverLayer::HandleClose::operator()(libusb_device_handle* usb) const {
    libusb_close(usb);
}

void LibusbDriverLayer::ClaimedClose::operator()(libusb_device_handle* usb) const {
    libusb_release_interface(usb, kBridgeInterface);
    libusb_close(usb);
}

LibusbDriverLayer::LibusbDriverLayer(BusTrace& trace) : trace_(trace) {
    libusb_context* context = nullptr;
    if (libusb_init(&context) == LIBUSB_SUCCESS) context_.reset(context);
}

// Closes every bridge with its trace line; the session itself ends when context_ goes.
LibusbDriverLayer::~LibusbDriverLayer() {
    while (!open_.empty()) CloseHandle(open_.begin()->first);
}

bool LibusbDriverLayer::Fail(uint32_t error) {
    lastError_ = error;
    return false;
}

DriverHandle LibusbDriverLayer::CreateFile(const std::string& path) {
    const int index = DriverDeviceIndex(path);
    if (context_ == nullptr || index < 0) {
        Fail(kDriverErrorFileNotFound);
        return kInvalidDriver;
    }
    libusb_device** list = nullptr;
    const long count = static_cast<long>(libusb_get_device_list(context_.get(), &list));
    OpenDevice opened;
    opened.port = "usb " + path.substr(path.rfind('\\') + 1);
    libusb_device* device = count > 0 ? FindDevice(list, count, index) : nullptr;
    bool ok = device != nullptr ? Open(device, opened) : Fail(kDriverErrorFileNotFound);
    if (count >= 0) libusb_free_device_list(list, 1);
    if (!ok) {
        // Scans try every name: only a bridge that is there but cannot be opened is worth a line.
        if (lastError_ != kDriverErrorFileNotFound) trace_.Note(opened.port, "cannot open");
        return kInvalidDriver;
    }
    trace_.Note(opened.port, "opened");
    return Remember(std::move(opened));
}

// libusb lists devices newest first; numbering them by where they sit on the bus instead keeps
// a bridge's number from depending on the order the bridges were plugged in.
libusb_device* LibusbDriverLayer::FindDevice(libusb_device* const* list, long count,
                                             int index) const {
    std::vector<std::pair<std::vector<uint8_t>, libusb_device*>> bridges;
    for (long i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(list[i], &descriptor) != LIBUSB_SUCCESS) continue;
        if (descriptor.idVendor == kDriverVendorId)
            bridges.emplace_back(BusPlace(list[i]), list[i]);
    }
    std::sort(bridges.begin(), bridges.end());
    const auto at = static_cast<size_t>(index);
    return at < bridges.size() ? bridges[at].second : nullptr;
}

bool LibusbDriverLayer::Open(libusb_device* device, OpenDevice& opened) {
    libusb_device_descriptor descriptor{};
    libusb_get_device_descriptor(device, &descriptor);
    opened.deviceDescriptor = RawDescriptor(descriptor);
    if (!BridgeInterface(device, opened.interface)) return Fail(kDriverErrorDeviceGone);
    libusb_device_handle* raw = nullptr;
    int result = libusb_open(device, &raw);
    if (result != LIBUSB_SUCCESS) return Fail(DriverErrorFromLibusb(result));
    std::unique_ptr<libusb_device_handle, HandleClose> usb(raw);
    libusb_set_auto_detach_kernel_driver(raw, 1); // unsupported on some systems: no harm
    result = libusb_claim_interface(raw, kBridgeInterface);
    if (result != LIBUSB_SUCCESS) return Fail(DriverErrorFromLibusb(result)); // usb closes it
    opened.usb.reset(usb.release()); // claimed: from now on closing also releases
    return true;
}

DriverHandle LibusbDriverLayer::Remember(OpenDevice device) {
    while (next_ <= 0 || open_.count(next_) != 0) next_ = next_ <= 0 ? 1 : next_ + 1;
    const DriverHandle handle = next_++;
    open_.emplace(handle, std::move(device));
    return handle;
}

bool LibusbDriverLayer::DeviceIoControl(DriverHandle handle, uint32_t code, const uint8_t* in,
                                        size_t inLength, uint8_t* out, size_t outLength,
                                        uint32_t& returned) {
    returned = 0;
    const auto at = open_.find(handle);
    if (at == open_.end()) return Fail(kDriverErrorInvalidHandle);
    OpenDevice& open = at->second;
    switch (code) {
    case kIoctlGetDescriptor: {
        const auto block = DescriptorBlock(open.deviceDescriptor.data());
        return Reply(block.data(), block.size(), open.deviceDescriptor.size(), out, outLength,
                     returned);
    }
    case kIoctlGetInterfaceInfo: {
        const auto base = static_cast<uint32_t>(handle) << 8;
        const auto block = InterfaceInfoBlock(open.interface, base);
        return Reply(block.data(), block.size(), kInterfaceHeaderSize, out, outLength, returned);
    }
    case kIoctlBulkWrite:
        return Bulk(open, true, in, inLength, out, outLength, returned);
    case kIoctlBulkRead:
        return Bulk(open, false, in, inLength, out, outLength, returned);
    default:
        return Fail(kDriverErrorNotSupported);
    }
}

// Copies as much of a reply block as fits; a buffer below `minimum` bytes is refused.
bool LibusbDriverLayer::Reply(const uint8_t* block, size_t blockSize, size_t minimum, uint8_t* out,
                              size_t outLength, uint32_t& returned) {
    if (out == nullptr || outLength < minimum) return Fail(kDriverErrorBufferTooSmall);
    const size_t copied = std::min(blockSize, outLength);
    std::memcpy(out, block, copied);
    returned = static_cast<uint32_t>(copied);
    return true;
}

// The endpoint of the pipe the pipe word names, when it runs the right way: a write must go to
// an OUT endpoint, a read come from an IN endpoint. Null otherwise.
const EndpointFacts* LibusbDriverLayer::PipeEndpoint(const OpenDevice& open, bool toDevice,
                                                     const uint8_t* in, size_t inLength) {
    if (in == nullptr || inLength < 4) return nullptr;
    const uint32_t pipe = PipeWord(in);
    const auto& endpoints = open.interface.Endpoints;
    if (pipe >= std::min(endpoints.size(), kPipeCount)) return nullptr;
    const bool isIn = (endpoints[pipe].Address & LIBUSB_ENDPOINT_IN) != 0;
    return isIn == toDevice ? nullptr : &endpoints[pipe];
}

// A read takes at least one whole packet, so a device that sends a full packet to a shorter
// request does not overflow it; the caller gets what fits.
bool LibusbDriverLayer::Bulk(OpenDevice& open, bool toDevice, const uint8_t* in, size_t inLength,
                             uint8_t* out, size_t outLength, uint32_t& returned) {
    const EndpointFacts* endpoint = PipeEndpoint(open, toDevice, in, inLength);
    if (endpoint == nullptr || (out == nullptr && outLength > 0))
        return Fail(kDriverErrorBadParameter);
    const size_t packet = endpoint->MaxPacketSize & kPacketSizeMask;
    std::vector<uint8_t> incoming(toDevice ? 0 : std::max(outLength, packet));
    uint8_t* data = toDevice ? out : incoming.data();
    const int length = static_cast<int>(toDevice ? outLength : incoming.size());
    const bool interrupt = (endpoint->Attributes & 3) == LIBUSB_TRANSFER_TYPE_INTERRUPT;
    int transferred = 0;
    const int result = (interrupt ? libusb_interrupt_transfer : libusb_bulk_transfer)(
        open.usb.get(), endpoint->Address, data, length, &transferred, kBulkTimeoutMs);
    const size_t moved = std::min(static_cast<size_t>(std::max(transferred, 0)), outLength);
    if (!toDevice && moved > 0) std::memcpy(out, incoming.data(), moved);
    returned = static_cast<uint32_t>(moved);
    char port[64];
    std::snprintf(port, sizeof port, "%s ep %02X", open.port.c_str(), endpoint->Address);
    if (moved > 0 || result == LIBUSB_SUCCESS)
        trace_.Transfer(toDevice ? BusDirection::Out : BusDirection::In, port, out, moved);
    if (result == LIBUSB_SUCCESS) return true;
    trace_.Note(port, libusb_error_name(result));
    return Fail(DriverErrorFromLibusb(result));
}

void LibusbDriverLayer::CloseHandle(DriverHandle handle) {
    const auto at = open_.find(handle);
    if (at == open_.end()) return;
    const std::string port = at->second.port;
    open_.erase(at); // releases the interface and closes the handle
    trace_.Note(port, "closed");
}

} // namespace qn
