// A serial line over Qt's QSerialPort, polled without an event loop, and the factory making them.
#pragma once

#include "files/BusTrace.h"
#include "host/SerialLine.h"
#include "platform/LineErrors.h"

#include <memory>
#include <string>

class QSerialPort;

namespace qn {

// How long Write waits for the bytes to leave before it reports what went out.
inline constexpr int kSerialWriteTimeoutMs = 500;

// Port names are "COM1".."COM17", mapped to devices through QnPorts.cfg in the program's folder
// (see PortNames.h). Needs a QCoreApplication; uses no event loop.
class QtSerialLine final : public SerialLine {
  public:
    QtSerialLine(std::string programFolder, BusTrace& trace);
    ~QtSerialLine() override;
    QtSerialLine(const QtSerialLine&) = delete;
    QtSerialLine& operator=(const QtSerialLine&) = delete;

    bool Open(const std::string& portName) override;
    void Close() override;
    bool IsOpen() const override;
    // A pseudo-terminal keeps the speed and stop bits; data bits and parity it cannot keep.
    bool Configure(const LineSettings& settings) override;
    // On a port without modem lines (a pseudo-terminal) there is no DTR to set: that succeeds.
    bool SetDtr(bool on) override;
    bool QueryStatus(uint32_t& errors, size_t& waiting) override;
    size_t Read(uint8_t* data, size_t max) override;
    size_t Write(const uint8_t* data, size_t length) override;
    void DiscardInput() override;

    // Device path of the open port (or of the last one tried).
    const std::string& DevicePath() const { return path_; }

  private:
    std::string PortMapText() const;
    bool HasModemLines() const;
    bool IsPseudoTerminal() const;
    // Moves what the driver has received into the port's buffer; false when the port failed.
    bool Poll();

    std::string folder_;
    BusTrace& trace_;
    std::unique_ptr<QSerialPort> port_;
    std::string path_;
    std::string tracePort_;
    LineCounters counters_;
};

class QtSerialPortFactory final : public SerialPortFactory {
  public:
    QtSerialPortFactory(std::string programFolder, BusTrace& trace)
        : folder_(std::move(programFolder)), trace_(trace) {}
    std::unique_ptr<SerialLine> MakeLine() override;

  private:
    std::string folder_;
    BusTrace& trace_;
};

} // namespace qn
