// The bridge's own commands: ADC streaming, single ADC and temperature results, bridge status.
#include "link/ChipLink.h"

#include <algorithm>
#include <cmath>

namespace qn {
namespace {

constexpr uint8_t kDone = 0xFA;
constexpr double kTempStartPauseMs = 50;

} // namespace

// The frame goes out with its own bytes only: what lies past it in the buffer is not sent as
// part of the request. Refused without any transfer while the bridge is not open.
bool ChipLink::SendTo(Devc& devc, const LinkFrame& frame) {
    std::copy(frame.Bytes.begin(), frame.Bytes.end(), Io().begin());
    const auto hold = guard_.Begin();
    if (!hold || !devc.Open) return false;
    return usb_.UsbWrite(devc, static_cast<uint8_t>(frame.Bytes.size())) &&
           usb_.UsbRead(devc, frame.ReadLength);
}

// Fetches are paced from the start of the previous one, so that the time the exchange and the
// caller take counts towards the interval rather than adding to it.
AdcRecords ChipLink::FetchAdcSamples(int /*dev*/) {
    clock_.SleepUntilMs(nextFetchMs_);
    AdcRecords records;
    records.AskedMs = clock_.SteadyMs();
    nextFetchMs_ = records.AskedMs + kFetchIntervalMs;
    if (!Send(AdcFetchFrame())) return records;
    // A larger count cannot be true: it reads as none.
    if (Io()[0] > kMaxSamplesPerFetch) Io()[0] = 0;
    records.Count = Io()[0];
    std::copy_n(Io().begin() + 1, kAdcRecordSize * static_cast<size_t>(records.Count),
                records.Bytes.begin());
    return records;
}

bool ChipLink::ReadAdcResult() {
    if (!Send(AdcResultFrame()) || Io()[0] != kDone) return false;
    std::copy_n(Io().begin() + 1, 3, Readings.Adc.begin());
    return true;
}

bool ChipLink::ReadTempResult() {
    if (!Send(TempResultFrame()) || Io()[0] != kDone) return false;
    Readings.Temp = {Io()[1], Io()[2], 0};
    return true;
}

// Sets bits of the register holding `field` and writes it with a one-byte chip write. The value
// goes both to the shadow (taken by QN740x frames) and to the buffer (taken by the other kinds).
bool ChipLink::WriteFieldRegister(const char* field, uint8_t orMask) {
    const int reg = chip_ != nullptr ? chip_->FieldRegister(field) : -1;
    if (reg < 0 || reg >= static_cast<int>(kRegImageSize)) return false;
    const auto value = static_cast<uint8_t>(GetReg(reg) | orMask);
    if (static_cast<size_t>(reg) < kShadowSize) ChipShadow[static_cast<size_t>(reg)] = value;
    // "QN740x" writes send bytes 5 and 6 of the buffer as they stand: the value goes there too.
    Io()[5] = value;
    return WriteChip(static_cast<uint16_t>(reg), std::span(&value, 1));
}

bool ChipLink::StartAdcStream(uint8_t mode) {
    auto shadowAt = [this](const char* field) -> uint8_t {
        const int reg = chip_ != nullptr ? chip_->FieldRegister(field) : -1;
        return reg >= 0 && static_cast<size_t>(reg) < kShadowSize
                   ? ChipShadow[static_cast<size_t>(reg)]
                   : uint8_t{0};
    };
    if (!Send(StreamStartFrame(mode, shadowAt("IRQEN"), shadowAt("TS")))) return false;
    const bool started = Io()[0] == kDone;
    WriteFieldRegister("IRQEN", 0x14);
    return started;
}

bool ChipLink::StopAdcStream() {
    return Send(StreamStopFrame()) && Io()[0] == kDone;
}

bool ChipLink::StartTempConversion() {
    const bool written = WriteFieldRegister("TS", 0x01);
    clock_.DelayMs(kTempStartPauseMs);
    return written;
}

bool ChipLink::ReadBridgeLines(Devc& devc, uint8_t& l1, uint8_t& l2, uint8_t& l3) {
    if (!SendTo(devc, BridgeLinesFrame())) return false;
    l1 = Io()[1];
    l2 = Io()[2];
    l3 = Io()[3];
    return true;
}

bool ChipLink::ReadBridgeVersion(Devc& devc, std::string& version) {
    if (!SendTo(devc, BridgeVersionFrame())) return false;
    version.assign(Io().begin(), Io().begin() + 8);
    return true;
}

} // namespace qn
