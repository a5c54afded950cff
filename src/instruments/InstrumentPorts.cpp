// The polled exchanges on an instrument port: writing texts, collecting answer lines and queries.
#include "instruments/InstrumentPorts.h"

#include <algorithm>
#include <cstring>

namespace qn {
namespace {

constexpr uint8_t kCr = 13;
constexpr uint8_t kLf = 10;
// How long a polling loop gives up the processor between two status queries.
constexpr uint32_t kPollSliceMs = 1;

} // namespace

bool InstrumentPorts::QueryStatus(DevcRS232& port, size_t& waiting) {
    waiting = 0;
    if (!port.IsOpen()) {
        // The serial layer closes a line whose device went away: the instrument is no longer
        // reachable, so its port stops counting as selected and the user is told once.
        if (port.Selected == 1) {
            port.Selected = 0;
            status_.SetPanelText(kInstrumentStatusPanel,
                                 InstrumentName(port) + " Uart  lost: " + port.PortName);
        }
        return false;
    }
    uint32_t errors = 0;
    size_t queued = 0;
    const bool answered = port.Line->QueryStatus(errors, queued);
    Buffers.ErrorWord = errors;
    Buffers.Waiting = answered ? queued : 0;
    waiting = Buffers.Waiting;
    return answered;
}

size_t InstrumentPorts::QueryWaiting(DevcRS232& port) {
    size_t waiting = 0;
    QueryStatus(port, waiting);
    return waiting;
}

size_t InstrumentPorts::ReadWaiting(DevcRS232& port, uint8_t* into, size_t capacity,
                                    size_t waiting) {
    if (!port.IsOpen() || waiting == 0) return 0;
    const size_t kept = port.Line->Read(into, std::min(capacity, waiting));
    // What does not fit is taken off the port all the same, so the next exchange starts clean.
    std::array<uint8_t, 256> scratch{};
    for (size_t left = waiting - kept; left > 0;) {
        const size_t got = port.Line->Read(scratch.data(), std::min(left, scratch.size()));
        if (got == 0) break;
        left -= got;
    }
    Buffers.BytesRead = kept;
    return kept;
}

void InstrumentPorts::WriteBytes(DevcRS232& port, const uint8_t* data, size_t length) {
    Buffers.BytesWritten = port.IsOpen() ? port.Line->Write(data, length) : 0;
}

void InstrumentPorts::SendText(DevcRS232& port, std::string_view text) {
    if (text.empty()) return;
    const size_t length = std::min(text.size(), kMaxSendText);
    std::memcpy(Buffers.TxBuffer.data(), text.data(), length);
    WriteBytes(port, Buffers.TxBuffer.data(), length);
    Pause(kSendTextPauseMs);
}

size_t InstrumentPorts::ReadLine(DevcRS232& port) {
    const double start = clock_.SteadyMs();
    size_t length = 0;
    bool ended = false;
    for (;;) {
        const size_t waiting = QueryWaiting(port);
        if (waiting > 0) {
            const size_t got =
                ReadWaiting(port, Buffers.TxBuffer.data(), Buffers.TxBuffer.size(), waiting);
            for (size_t i = 0; i < got; ++i) {
                const uint8_t byte = Buffers.TxBuffer[i];
                if (byte == kCr) {
                    ended = true; // bytes after the CR in the same read are dropped
                    break;
                }
                if (length < Buffers.LineArea.size()) Buffers.LineArea[length++] = byte;
            }
        }
        if (ended || clock_.ElapsedMs(start) >= kReadLineTimeoutMs) break;
        clock_.SleepMs(kPollSliceMs);
    }
    if (!ended) return 0;
    std::copy_n(Buffers.LineArea.begin(), length, Buffers.TxBuffer.begin());
    return length;
}

std::string InstrumentPorts::LineText(size_t length) const {
    const auto* begin = reinterpret_cast<const char*>(Buffers.TxBuffer.data());
    return std::string(begin, std::min(length, Buffers.TxBuffer.size()));
}

bool InstrumentPorts::SendQuery(DevcRS232& port, std::string_view text, std::string& answer) {
    const size_t stale = QueryWaiting(port);
    if (stale > 0) ReadWaiting(port, Buffers.RxBuffer.data(), Buffers.RxBuffer.size(), stale);

    const size_t length = std::min(text.size(), Buffers.TxBuffer.size() - 2);
    std::memcpy(Buffers.TxBuffer.data(), text.data(), length);
    Buffers.TxBuffer[length] = kCr;
    Buffers.TxBuffer[length + 1] = kLf;
    WriteBytes(port, Buffers.TxBuffer.data(), length + 2);
    Pause(kQueryWaitMs);

    const size_t waiting = QueryWaiting(port);
    if (waiting == 0) return false;
    const size_t got = ReadWaiting(port, Buffers.RxBuffer.data(), Buffers.RxBuffer.size(), waiting);
    if (got == 0) return false;
    answer.assign(reinterpret_cast<const char*>(Buffers.RxBuffer.data()), got);
    return true;
}

std::string InstrumentPorts::InstrumentName(const DevcRS232& port) const {
    if (&port == &PowerPort) return "Power Supply";
    if (&port == &ChamberPort) return "Chamber";
    return "Fluke";
}

} // namespace qn
