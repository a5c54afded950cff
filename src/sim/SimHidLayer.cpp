// Opening simulated HID devices and moving whole reports between the host and a bridge.
#include "sim/SimHidLayer.h"

namespace qn {
namespace {

std::string TracePort(size_t index) {
    return "hid sim-" + std::to_string(index);
}

} // namespace

int SimHidLayer::AddDevice(SimBridge* bridge) {
    SimHidDevice device;
    device.Bridge = bridge;
    devices_.push_back(device);
    return static_cast<int>(devices_.size() - 1);
}

// A bridge whose cable is pulled is not enumerated.
HidHandle SimHidLayer::Hid_GetDeviceH(uint8_t& found, int index) {
    tried_.push_back(index);
    found = 0;
    if (index < 0 || static_cast<size_t>(index) >= devices_.size()) return kInvalidHid;
    const SimHidDevice& device = devices_[static_cast<size_t>(index)];
    if (device.Bridge != nullptr && device.Bridge->Faults.CablePulled) return kInvalidHid;
    found = 1;
    const HidHandle handle = nextHandle_++;
    handles_[handle] = static_cast<size_t>(index);
    Note(handle, "opened");
    return handle;
}

bool SimHidLayer::Hid_Get_att(HidHandle handle, uint16_t& inputReportLength,
                              uint16_t& outputReportLength, HidAttributes& attributes) {
    const SimHidDevice* device = Opened(handle);
    if (device == nullptr) return false;
    inputReportLength = device->InputReportLength;
    outputReportLength = device->OutputReportLength;
    attributes = device->Attributes;
    return true;
}

// Only whole reports with report ID 0 are taken, as a real HID device demands.
bool SimHidLayer::WriteReport(HidHandle handle, const uint8_t* report, size_t length) {
    const SimHidDevice* device = Opened(handle);
    if (device == nullptr || length != device->OutputReportLength || length < 1) return false;
    if (report[0] != 0) return false;
    if (device->Bridge != nullptr && !device->Bridge->Receive(report + 1, length - 1)) {
        Note(handle, "write failed");
        return false;
    }
    Transfer(handle, BusDirection::Out, report, length);
    return true;
}

bool SimHidLayer::ReadReport(HidHandle handle, uint8_t* report, size_t length) {
    const SimHidDevice* device = Opened(handle);
    if (device == nullptr || device->Bridge == nullptr) return false;
    if (length != device->InputReportLength || length < 1) return false;
    report[0] = 0;
    if (!device->Bridge->Answer(report + 1, length - 1)) {
        Note(handle, "read timed out");
        return false;
    }
    Transfer(handle, BusDirection::In, report, length);
    return true;
}

void SimHidLayer::Close(HidHandle handle) {
    Note(handle, "closed");
    handles_.erase(handle);
}

SimHidDevice* SimHidLayer::Opened(HidHandle handle) {
    const auto open = handles_.find(handle);
    return open == handles_.end() ? nullptr : &devices_[open->second];
}

void SimHidLayer::Transfer(HidHandle handle, BusDirection direction, const uint8_t* report,
                           size_t length) {
    const auto open = handles_.find(handle);
    if (trace_ != nullptr && open != handles_.end())
        trace_->Transfer(direction, TracePort(open->second), report, length);
}

void SimHidLayer::Note(HidHandle handle, std::string_view event) {
    const auto open = handles_.find(handle);
    if (trace_ != nullptr && open != handles_.end()) trace_->Note(TracePort(open->second), event);
}

} // namespace qn
