// The serial bridge link (link kind 0): synchronisation, chip reads and writes over a serial port.
#pragma once

#include "host/Clock.h"
#include "host/StatusBar.h"
#include "link/LinkFrames.h"
#include "link/LinkRecords.h"
#include "link/Transport.h"

#include <array>
#include <cstdint>
#include <span>

namespace qn {

class SerialBridgeLink {
  public:
    SerialBridgeLink(DevcRS232& port, std::array<uint8_t, kUsbIoAreaSize>& io, Clock& clock,
                     StatusBar& status)
        : port_(port), io_(io), clock_(clock), status_(status) {}

    // The n bytes at address a, as far as they arrived (the buffer's older bytes past them).
    ChipBytes ReadChip(uint16_t a, uint16_t n);
    bool WriteChip(uint16_t a, std::span<const uint8_t> data);

    // Receives the synchronisation answers.
    std::array<uint8_t, kUsbIoAreaSize> Scratch{};

  private:
    bool Synchronise();
    // Polls until at least `count` bytes are queued or `ms` have passed; returns the bytes queued
    // and leaves the last error word seen in `errors`.
    size_t WaitQueued(size_t count, double ms, uint32_t& errors);
    void ShowLineError(uint32_t errors);
    size_t ReadQueued(uint8_t* into, size_t queued);
    size_t Send(const LinkFrame& frame);

    DevcRS232& port_;
    std::array<uint8_t, kUsbIoAreaSize>& io_;
    Clock& clock_;
    StatusBar& status_;
};

} // namespace qn
