// One serial port as the serial bridge link and the instruments use it: polled, never blocking.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qn {

enum class Parity : uint8_t { None = 0, Even = 1, Odd = 2 };

struct LineSettings {
    uint32_t BaudRate = 9600;
    uint8_t DataBits = 8;
    Parity ParityMode = Parity::None;
    uint8_t StopBits = 1;
};

// Bits of the error word returned by QueryStatus.
inline constexpr uint32_t kLineErrorOverrun = 0x2;
inline constexpr uint32_t kLineErrorParity = 0x4;
inline constexpr uint32_t kLineErrorFrame = 0x8;

class SerialLine {
  public:
    virtual ~SerialLine() = default;
    // Opens a port by its name ("COM1".."COM17"); false when missing or busy.
    virtual bool Open(const std::string& portName) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual bool Configure(const LineSettings& settings) = 0;
    virtual bool SetDtr(bool on) = 0;
    // Communication status: the line errors since the last query (cleared by the query) and
    // the number of bytes waiting in the input queue. False when the port cannot be queried.
    virtual bool QueryStatus(uint32_t& errors, size_t& waiting) = 0;
    // Reads at most `max` of the bytes waiting, without blocking; returns the count read.
    virtual size_t Read(uint8_t* data, size_t max) = 0;
    // Writes all bytes; returns the count written.
    virtual size_t Write(const uint8_t* data, size_t length) = 0;
    // Drops whatever input is queued.
    virtual void DiscardInput() = 0;
};

// Makes a new, closed serial line; the platform and the simulated bench each provide one.
class SerialPortFactory {
  public:
    virtual ~SerialPortFactory() = default;
    virtual std::unique_ptr<SerialLine> MakeLine() = 0;
};

// One serial port record (serial bridge link, instruments).
struct DevcRS232 {
    std::unique_ptr<SerialLine> Line; // stands for the port handle; null or closed when not open
    std::string PortName;
    uint8_t Selected = 0;
    uint32_t BaudRate = 0;
    uint16_t DataBits = 0;
    uint16_t Parity = 0;

    bool IsOpen() const { return Line && Line->IsOpen(); }
};

} // namespace qn
