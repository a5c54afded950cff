// The three instrument port records, the buffers all instrument exchanges share, and the polled
// exchange routines on them: SendText, ReadLine, SendQuery and Pause.
#pragma once

#include "host/Clock.h"
#include "host/SerialLine.h"
#include "host/StatusBar.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qn {

inline constexpr size_t kTxBufferSize = 516;
inline constexpr size_t kRxBufferSize = 513;
inline constexpr size_t kLineAreaSize = 513;
inline constexpr size_t kMaxSendText = 255;

inline constexpr double kSendTextPauseMs = 20;
inline constexpr double kReadLineTimeoutMs = 500;
inline constexpr double kQueryWaitMs = 500;
inline constexpr double kChamberTimeoutMs = 1000;
inline constexpr double kCalibratorSettleMs = 500;

// Status panel of the instrument selection and of a port lost while open.
inline constexpr StatusPanel kInstrumentStatusPanel = StatusPanel::Link;

// One set for all instrument ports; only one exchange is in progress at a time.
struct InstrumentBuffers {
    std::array<uint8_t, kTxBufferSize> TxBuffer{}; // after ReadLine: the line read, no CR
    std::array<uint8_t, kRxBufferSize> RxBuffer{};
    std::array<uint8_t, kLineAreaSize> LineArea{};
    size_t BytesWritten = 0;
    size_t BytesRead = 0;
    uint32_t ErrorWord = 0;
    size_t Waiting = 0; // bytes waiting at the last status query
};

class InstrumentPorts {
  public:
    InstrumentPorts(Clock& clock, StatusBar& status) : clock_(clock), status_(status) {}

    DevcRS232 FlukePort;
    DevcRS232 PowerPort;
    DevcRS232 ChamberPort;
    InstrumentBuffers Buffers;

    // Writes the text (1 to 255 characters, no terminator added) in one write, then pauses
    // 20 ms. An empty text sends nothing and still returns; a longer one is cut at 255.
    void SendText(DevcRS232& port, std::string_view text);
    // Collects one CR-terminated line within 0.5 s and leaves it (without the CR) at the start
    // of TxBuffer; returns its length, 0 when no CR came. Bytes beyond the line area before the
    // CR are dropped, never written past it.
    size_t ReadLine(DevcRS232& port);
    // The line ReadLine left in TxBuffer.
    std::string LineText(size_t length) const;
    // Discards stale input, writes the text with CR LF, waits 0.5 s and returns true with
    // `answer` set to every byte that came (at most the receive buffer); false leaves `answer`.
    bool SendQuery(DevcRS232& port, std::string_view text, std::string& answer);

    // Busy wait on the steady clock; lets no window messages through.
    void Pause(double ms) { clock_.DelayMs(ms); }
    void PauseDays(double days) { clock_.DelayDays(days); }

    // Status query: the count of bytes waiting (0 when the query fails). A port whose line has
    // gone (the device disappeared) is marked unselected and the loss is shown once.
    size_t QueryWaiting(DevcRS232& port);
    // The same query, false when the port is not open or does not answer it (`waiting` is 0).
    bool QueryStatus(DevcRS232& port, size_t& waiting);
    // Reads what waits, at most `capacity` bytes, into `into`; the rest of what waits is read
    // and dropped so the queue is empty afterwards. Returns the count kept.
    size_t ReadWaiting(DevcRS232& port, uint8_t* into, size_t capacity, size_t waiting);
    // Writes bytes as they are; nothing happens on a port that is not open.
    void WriteBytes(DevcRS232& port, const uint8_t* data, size_t length);

    Clock& Time() { return clock_; }
    StatusBar& Status() { return status_; }
    // "Fluke", "Power Supply" or "Chamber" for the three records.
    std::string InstrumentName(const DevcRS232& port) const;

  private:
    Clock& clock_;
    StatusBar& status_;
};

} // namespace qn
