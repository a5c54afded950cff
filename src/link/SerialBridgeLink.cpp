// Frames of the serial bridge link: 55/AA synchronisation, C0 reads and 40 writes with AA replies.
#include "link/SerialBridgeLink.h"

#include <algorithm>

namespace qn {
namespace {

constexpr uint8_t kAck = 0xAA;
constexpr double kSyncWaitMs = 100;
constexpr double kDataWaitMs = 4000;
constexpr double kFailPauseMs = 4000;
constexpr double kAfterDataPauseMs = 100;
constexpr int kReadSyncAttempts = 3;
constexpr StatusPanel kStatusPanel = StatusPanel::Link;

} // namespace

size_t SerialBridgeLink::WaitQueued(size_t count, double ms, uint32_t& errors) {
    const double start = clock_.SteadyMs();
    size_t queued = 0;
    errors = 0;
    for (;;) {
        uint32_t e = 0;
        if (!port_.Line->QueryStatus(e, queued)) queued = 0;
        if (e != 0) errors = e;
        if (e == kLineErrorParity) status_.SetPanelText(kStatusPanel, "Parity Fail");
        if (queued >= count || clock_.ElapsedMs(start) >= ms) return queued;
        clock_.SleepMs(1);
    }
}

void SerialBridgeLink::ShowLineError(uint32_t errors) {
    if (errors == kLineErrorParity)
        status_.SetPanelText(kStatusPanel, "Parity Fail");
    else if (errors != 0)
        status_.SetPanelText(kStatusPanel, "Other Err");
    else
        status_.SetPanelText(kStatusPanel, "");
}

// Never reads more than the buffer holds, however much the other end sent.
size_t SerialBridgeLink::ReadQueued(uint8_t* into, size_t queued) {
    return port_.Line->Read(into, std::min(queued, kUsbIoAreaSize));
}

// The frame goes out from the buffer, where the answer then arrives.
size_t SerialBridgeLink::Send(const LinkFrame& frame) {
    std::copy(frame.Bytes.begin(), frame.Bytes.end(), io_.begin());
    return port_.Line->Write(io_.data(), frame.Bytes.size());
}

bool SerialBridgeLink::Synchronise() {
    if (!port_.IsOpen()) return false;
    port_.Line->DiscardInput();
    const LinkFrame sync = SerialSyncFrame();
    port_.Line->Write(sync.Bytes.data(), sync.Bytes.size());
    uint32_t errors = 0;
    const size_t queued = WaitQueued(1, kSyncWaitMs, errors);
    Scratch.fill(0);
    const size_t got =
        queued > 0 ? port_.Line->Read(Scratch.data(), std::min(queued, Scratch.size())) : 0;
    if (got > 0 && Scratch[0] == kAck) return true;
    clock_.DelayMs(kFailPauseMs);
    return false;
}

ChipBytes SerialBridgeLink::ReadChip(uint16_t a, uint16_t n) {
    if (n > 255) return std::nullopt; // the count travels in one byte
    bool synced = false;
    for (int attempt = 0; attempt < kReadSyncAttempts && !synced; ++attempt) synced = Synchronise();
    if (!synced || !port_.IsOpen()) return std::nullopt;
    Send(SerialReadFrame(a, static_cast<uint8_t>(n)));
    uint32_t errors = 0;
    const size_t queued = WaitQueued(n, kDataWaitMs, errors);
    ShowLineError(errors);
    if (queued == 0) {
        status_.SetPanelText(kStatusPanel, "Data Empty");
        clock_.DelayMs(kFailPauseMs);
        return std::nullopt;
    }
    ReadQueued(io_.data(), queued);
    clock_.DelayMs(kAfterDataPauseMs);
    return std::vector<uint8_t>(io_.begin(), io_.begin() + n);
}

bool SerialBridgeLink::WriteChip(uint16_t a, std::span<const uint8_t> data) {
    if (data.size() > 255) return false; // the count travels in one byte; the data fit the buffer
    if (!Synchronise()) return false;
    Send(SerialWriteFrame(a, data));
    uint32_t errors = 0;
    const size_t queued = WaitQueued(1, kSyncWaitMs, errors);
    ShowLineError(errors);
    if (queued == 0) return false;
    ReadQueued(io_.data(), queued);
    const bool acknowledged = io_[0] == kAck;
    if (!acknowledged) clock_.DelayMs(kFailPauseMs);
    clock_.DelayMs(kAfterDataPauseMs);
    return acknowledged;
}

} // namespace qn
