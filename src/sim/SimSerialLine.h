// Simulated serial ports: lines made by a factory that knows which port reaches which peer.
#pragma once

#include "files/BusTrace.h"
#include "host/SerialLine.h"
#include "sim/SimSerialBridge.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace qn {

// State of one simulated port, kept by the factory so tests can read it after the line is gone.
struct SimPortRecord {
    SimSerialPeer* Peer = nullptr; // null: nothing attached, writes go nowhere
    bool Busy = false;             // some line has it open
    bool Configured = false;
    LineSettings Settings;
    bool Dtr = false;
    int OpenCount = 0;
};

class SimSerialPortFactory final : public SerialPortFactory {
  public:
    // Makes port `portName` exist with `peer` at its far end.
    void Connect(const std::string& portName, SimSerialPeer& peer);
    // Makes port `portName` exist with nothing attached.
    void AddPort(const std::string& portName) { ports_[portName]; }
    std::unique_ptr<SerialLine> MakeLine() override;
    // Its lines write their opens, closes, reads and writes to `trace` ("COM1 sim"), as the real
    // ports do.
    void TraceTo(BusTrace& trace) { trace_ = &trace; }
    BusTrace* Trace() const { return trace_; }

    // The record of a port; null when the port does not exist.
    const SimPortRecord* Port(const std::string& portName) const;
    SimPortRecord* Port(const std::string& portName);

  private:
    std::map<std::string, SimPortRecord> ports_;
    BusTrace* trace_ = nullptr;
};

// A line of the factory; the factory must outlive it.
class SimSerialLine final : public SerialLine {
  public:
    explicit SimSerialLine(SimSerialPortFactory& factory) : factory_(factory) {}
    ~SimSerialLine() override { Close(); }
    SimSerialLine(const SimSerialLine&) = delete;
    SimSerialLine& operator=(const SimSerialLine&) = delete;

    bool Open(const std::string& portName) override;
    void Close() override;
    bool IsOpen() const override { return port_ != nullptr; }
    bool Configure(const LineSettings& settings) override;
    bool SetDtr(bool on) override;
    bool QueryStatus(uint32_t& errors, size_t& waiting) override;
    size_t Read(uint8_t* data, size_t max) override;
    size_t Write(const uint8_t* data, size_t length) override;
    void DiscardInput() override;

  private:
    // Moves what the peer has made due since the last look into the input queue.
    void Collect();
    void Note(std::string_view event);

    SimSerialPortFactory& factory_;
    SimPortRecord* port_ = nullptr;
    std::string tracePort_;     // "COM1 sim"
    std::deque<uint8_t> queue_; // the peer's answers not read yet
};

} // namespace qn
