// HID devices through hidapi: enumeration by index, handles, attributes and report transfers.
#include "platform/HidapiLayer.h"

#include <hidapi.h>

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace qn {
namespace {

// hidapi's library state is process-wide; the last layer to go releases it.
std::mutex hidapiMutex;
int hidapiUsers = 0;

void AcquireHidapi() {
    std::lock_guard lock(hidapiMutex);
    if (hidapiUsers++ == 0) hid_init();
}

void ReleaseHidapi() {
    std::lock_guard lock(hidapiMutex);
    if (--hidapiUsers == 0) hid_exit();
}

std::string TracePort(const std::string& path) {
    return "hid " + path;
}

} // namespace

HidReportLayout ReadHidrawLayout(const std::string& path) {
    const HidReportLayout fallback{kHidFallbackReportLength, kHidFallbackReportLength, false};
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fallback;
    int size = 0;
    hidraw_report_descriptor descriptor{};
    bool answered =
        ioctl(fd, HIDIOCGRDESCSIZE, &size) == 0 && size > 0 && size <= HID_MAX_DESCRIPTOR_SIZE;
    if (answered) {
        descriptor.size = static_cast<uint32_t>(size);
        answered = ioctl(fd, HIDIOCGRDESC, &descriptor) == 0;
    }
    close(fd);
    if (!answered) return fallback;
    const auto layout = ParseReportDescriptor(descriptor.value, descriptor.size);
    return layout ? *layout : fallback;
}

void HidapiLayer::DeviceCloser::operator()(hid_device_* device) const {
    hid_close(device);
}

HidapiLayer::HidapiLayer(BusTrace& trace) : trace_(trace) {
    AcquireHidapi();
}

HidapiLayer::~HidapiLayer() {
    while (!open_.empty()) Close(open_.begin()->first);
    ReleaseHidapi();
}

// A scan asks for indexes 0, 1, 2, ... in turn: the HID devices are listed once when it starts
// (index 0) rather than once for every index, and again when the list is more than a second old.
const std::vector<HidapiLayer::ListedDevice>& HidapiLayer::Listed(int index) {
    const auto now = std::chrono::steady_clock::now();
    if (index != 0 && now - listedAt_ < kListReuse) return listed_;
    listed_.clear();
    hid_device_info* const list = hid_enumerate(0, 0);
    for (const hid_device_info* info = list; info != nullptr; info = info->next)
        listed_.push_back({info->path, {info->vendor_id, info->product_id, info->release_number}});
    hid_free_enumeration(list);
    listedAt_ = now;
    return listed_;
}

HidHandle HidapiLayer::Hid_GetDeviceH(uint8_t& found, int index) {
    found = 0;
    if (index < 0 || index > kHidMaxIndex) return kInvalidHid;
    const std::vector<ListedDevice>& listed = Listed(index);
    if (static_cast<size_t>(index) >= listed.size()) return kInvalidHid;
    found = 1;
    OpenDevice opened;
    opened.path = listed[static_cast<size_t>(index)].Path;
    opened.attributes = listed[static_cast<size_t>(index)].Attributes;
    opened.device.reset(hid_open_path(opened.path.c_str()));
    if (!opened.device) {
        trace_.Note(TracePort(opened.path), "cannot open");
        return kInvalidHid;
    }
    opened.layout = ReadHidrawLayout(opened.path);
    trace_.Note(TracePort(opened.path), "opened");
    return Remember(std::move(opened));
}

HidHandle HidapiLayer::Remember(OpenDevice device) {
    // Handles count up from 1 and skip any still in use, so 0 and -1 never come out.
    while (next_ <= 0 || open_.count(next_) != 0) next_ = next_ <= 0 ? 1 : next_ + 1;
    const HidHandle handle = next_++;
    open_.emplace(handle, std::move(device));
    return handle;
}

HidapiLayer::OpenDevice* HidapiLayer::Find(HidHandle handle) {
    const auto at = open_.find(handle);
    return at == open_.end() ? nullptr : &at->second;
}

bool HidapiLayer::Hid_Get_att(HidHandle handle, uint16_t& inputReportLength,
                              uint16_t& outputReportLength, HidAttributes& attributes) {
    const OpenDevice* open = Find(handle);
    if (open == nullptr) return false;
    inputReportLength = open->layout.InputReportLength;
    outputReportLength = open->layout.OutputReportLength;
    attributes = open->attributes;
    return true;
}

bool HidapiLayer::WriteReport(HidHandle handle, const uint8_t* report, size_t length) {
    OpenDevice* open = Find(handle);
    if (open == nullptr || report == nullptr || length == 0) return false;
    const int written = hid_write(open->device.get(), report, length);
    if (written != static_cast<int>(length)) {
        trace_.Note(TracePort(open->path), "write failed");
        return false;
    }
    trace_.Transfer(BusDirection::Out, TracePort(open->path), report, length);
    return true;
}

// hidraw hands over an unnumbered input report without an ID byte: it is read in behind a 0 so
// the caller always gets the report ID first.
bool HidapiLayer::ReadReport(HidHandle handle, uint8_t* report, size_t length) {
    OpenDevice* open = Find(handle);
    if (open == nullptr || report == nullptr || length < 2) return false;
    const size_t skip = open->layout.NumberedReports ? 0 : 1;
    std::memset(report, 0, length);
    const int got =
        hid_read_timeout(open->device.get(), report + skip, length - skip, kHidReadTimeoutMs);
    if (got <= 0) {
        trace_.Note(TracePort(open->path), got == 0 ? "read timed out" : "read failed");
        return false;
    }
    trace_.Transfer(BusDirection::In, TracePort(open->path), report,
                    std::min(length, static_cast<size_t>(got) + skip));
    return true;
}

void HidapiLayer::Close(HidHandle handle) {
    const auto at = open_.find(handle);
    if (at == open_.end()) return;
    const std::string port = TracePort(at->second.path);
    open_.erase(at); // closes the device
    trace_.Note(port, "closed");
}

} // namespace qn
