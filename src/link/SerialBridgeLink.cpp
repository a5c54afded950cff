// Frames of the serial bridge link: 55/AA synchronisation, C0 reads and 40 writes with AA replies.
#include "link/SerialBridgeLink.h"

#include <algorithm>
#include <cstring>

namespace qn {
namespace {

constexpr uint8_t kSyncRequest = 0x55;
constexpr uint8_t kAck = 0xAA;
constexpr double kSyncWaitMs = 100;
constexpr double kDataWaitMs = 4000;
constexpr double kFailPauseMs = 4000;
constexpr double kAfterDataPauseMs = 100;
constexpr int kReadSyncAttempts = 3;
constexpr int kStatusPanel = 1;

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

size_t SerialBridgeLink::Send(size_t length) {
    return port_.Line->Write(io_.data(), length);
}

bool SerialBridgeLink::Synchronise() {
    if (!port_.IsOpen()) return false;
    port_.Line->DiscardInput();
    const uint8_t sync = kSyncRequest;
    port_.Line->Write(&sync, 1);
    uint32_t errors = 0;
    const size_t queued = WaitQueued(1, kSyncWaitMs, errors);
    Scratch.fill(0);
    const size_t got =
        queued > 0 ? port_.Line->Read(Scratch.data(), std::min(queued, Scratch.size())) : 0;
    if (got > 0 && Scratch[0] == kAck) return true;
    clock_.DelayMs(kFailPauseMs);
    return false;
}

bool SerialBridgeLink::ReadChip(uint16_t a, uint16_t n) {
    if (n > 255) return false; // the count travels in one byte
    bool synced = false;
    for (int attempt = 0; attempt < kReadSyncAttempts && !synced; ++attempt) synced = Synchronise();
    if (!synced || !port_.IsOpen()) return false;
    io_[0] = 0xC0;
    io_[1] = static_cast<uint8_t>(a);
    io_[2] = static_cast<uint8_t>(a >> 8);
    io_[3] = static_cast<uint8_t>(n);
    Send(4);
    uint32_t errors = 0;
    const size_t queued = WaitQueued(n, kDataWaitMs, errors);
    ShowLineError(errors);
    if (queued == 0) {
        status_.SetPanelText(kStatusPanel, "Data Empty");
        clock_.DelayMs(kFailPauseMs);
        return false;
    }
    ReadQueued(io_.data(), queued);
    clock_.DelayMs(kAfterDataPauseMs);
    return true;
}

bool SerialBridgeLink::WriteChip(uint16_t a, uint16_t n) {
    if (n > 255) return false; // the count travels in one byte; the data fit the buffer
    if (!Synchronise()) return false;
    // The data move down by one byte to follow the count.
    std::memmove(io_.data() + 4, io_.data() + 5, n);
    io_[0] = 0x40;
    io_[1] = static_cast<uint8_t>(a);
    io_[2] = static_cast<uint8_t>(a >> 8);
    io_[3] = static_cast<uint8_t>(n);
    Send(size_t{n} + 4);
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
