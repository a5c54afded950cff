// A trace of every transfer on the bridge and serial transports, for finding what went over a bus.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

namespace qn {

enum class BusDirection : uint8_t { Out, In };

// Environment variable naming a file the program's trace appends to from program start.
inline constexpr const char* kBusTraceVariable = "QN_BUS_TRACE";

// One line per transfer: local time, direction, port, length, bytes in hex and, for serial lines,
// the bytes as text. Off until enabled; safe to use from several threads.
class BusTrace {
  public:
    // Writes to `out` from now on; `out` must outlive the trace or a later Disable().
    void Enable(std::ostream& out);
    // Appends to the file at `path`; false when it cannot be opened.
    bool EnableFile(const std::string& path);
    // Enables from QN_BUS_TRACE when it is set; false when it is not set or cannot be opened.
    bool EnableFromEnvironment();
    void Disable();
    bool Enabled() const { return enabled_; }

    // One transfer of `length` bytes; `text` adds the printable form (serial lines).
    void Transfer(BusDirection direction, std::string_view port, const uint8_t* data, size_t length,
                  bool text = false);
    // Something that moved no data: an open, a close, a time-out, a failure.
    void Note(std::string_view port, std::string_view event);

    // The line Transfer writes, without its line end.
    static std::string FormatTransfer(std::chrono::system_clock::time_point when,
                                      BusDirection direction, std::string_view port,
                                      const uint8_t* data, size_t length, bool text);
    static std::string FormatNote(std::chrono::system_clock::time_point when, std::string_view port,
                                  std::string_view event);

  private:
    void Write(const std::string& line);

    std::atomic<bool> enabled_{false};
    std::mutex mutex_;
    std::ostream* out_ = nullptr;
    std::ofstream file_;
};

} // namespace qn
