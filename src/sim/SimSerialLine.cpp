// Opening, configuring and moving bytes over simulated serial ports.
#include "sim/SimSerialLine.h"

#include <algorithm>

namespace qn {

void SimSerialPortFactory::Connect(const std::string& portName, SimSerialPeer& peer) {
    ports_[portName].Peer = &peer;
}

std::unique_ptr<SerialLine> SimSerialPortFactory::MakeLine() {
    return std::make_unique<SimSerialLine>(*this);
}

const SimPortRecord* SimSerialPortFactory::Port(const std::string& portName) const {
    const auto found = ports_.find(portName);
    return found == ports_.end() ? nullptr : &found->second;
}

SimPortRecord* SimSerialPortFactory::Port(const std::string& portName) {
    const auto found = ports_.find(portName);
    return found == ports_.end() ? nullptr : &found->second;
}

// A port that does not exist or is open elsewhere cannot be opened.
bool SimSerialLine::Open(const std::string& portName) {
    Close();
    SimPortRecord* port = factory_.Port(portName);
    if (port == nullptr) return false;
    tracePort_ = portName + " sim";
    if (port->Busy) {
        Note("cannot open: busy");
        return false;
    }
    port->Busy = true;
    ++port->OpenCount;
    port_ = port;
    Note("opened");
    return true;
}

void SimSerialLine::Close() {
    if (port_ != nullptr) {
        port_->Busy = false;
        Note("closed");
    }
    port_ = nullptr;
    queue_.clear();
}

bool SimSerialLine::Configure(const LineSettings& settings) {
    if (port_ == nullptr) return false;
    port_->Settings = settings;
    port_->Configured = true;
    return true;
}

bool SimSerialLine::SetDtr(bool on) {
    if (port_ == nullptr) return false;
    port_->Dtr = on;
    return true;
}

bool SimSerialLine::QueryStatus(uint32_t& errors, size_t& waiting) {
    errors = 0;
    waiting = 0;
    if (port_ == nullptr) return false;
    if (port_->Peer != nullptr) errors = port_->Peer->TakeLineErrors();
    Collect();
    waiting = queue_.size();
    return true;
}

size_t SimSerialLine::Read(uint8_t* data, size_t max) {
    Collect();
    const size_t count = std::min(max, queue_.size());
    std::copy_n(queue_.begin(), count, data);
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
    if (count > 0 && factory_.Trace() != nullptr)
        factory_.Trace()->Transfer(BusDirection::In, tracePort_, data, count, true);
    return count;
}

size_t SimSerialLine::Write(const uint8_t* data, size_t length) {
    if (port_ == nullptr) return 0;
    if (factory_.Trace() != nullptr)
        factory_.Trace()->Transfer(BusDirection::Out, tracePort_, data, length, true);
    if (port_->Peer == nullptr) return length;
    const std::vector<uint8_t> answer = port_->Peer->Take(data, length);
    queue_.insert(queue_.end(), answer.begin(), answer.end());
    return length;
}

void SimSerialLine::DiscardInput() {
    Collect();
    queue_.clear();
}

void SimSerialLine::Note(std::string_view event) {
    if (factory_.Trace() != nullptr) factory_.Trace()->Note(tracePort_, event);
}

void SimSerialLine::Collect() {
    if (port_ == nullptr || port_->Peer == nullptr) return;
    const std::vector<uint8_t> due = port_->Peer->Due();
    queue_.insert(queue_.end(), due.begin(), due.end());
}

} // namespace qn
