// The bridge's own commands: ADC streaming, single ADC and temperature results, bridge status.
#include "link/ChipLink.h"

#include <algorithm>

namespace qn {
namespace {

constexpr uint8_t kDone = 0xFA;
constexpr double kFetchPauseMs = 10;
constexpr double kTempStartPauseMs = 50;
constexpr int kShadowSize = 5;

} // namespace

// Bytes of the request that the protocol leaves open go out as zeros, not as leftovers of the
// previous answer.
bool ChipLink::Command(std::initializer_list<uint8_t> request, uint8_t writeLength,
                       uint8_t readLength) {
    const auto padEnd = Io().begin() + std::max<size_t>(writeLength, request.size());
    std::fill(std::copy(request.begin(), request.end(), Io().begin()), padEnd, uint8_t{0});
    return Exchange(stnd_.Usb, writeLength, readLength);
}

// The data the caller put in the buffer after the header go out with it.
bool ChipLink::CommandWithData(std::initializer_list<uint8_t> header, uint8_t writeLength,
                               uint8_t readLength) {
    std::copy(header.begin(), header.end(), Io().begin());
    return Exchange(stnd_.Usb, writeLength, readLength);
}

// One request and its answer; refused without any transfer while the bridge is not open.
bool ChipLink::Exchange(Devc& devc, uint8_t writeLength, uint8_t readLength) {
    const auto hold = guard_.Begin();
    if (!hold || !devc.Open) return false;
    return usb_.UsbWrite(devc, writeLength) && usb_.UsbRead(devc, readLength);
}

int ChipLink::FetchAdcSamples(int /*dev*/) {
    const bool ok = Command({0xC4, 0x04}, 2, 64);
    clock_.DelayMs(kFetchPauseMs);
    if (!ok) return 0;
    if (Io()[0] > kMaxSamplesPerFetch) Io()[0] = 0;
    return Io()[0];
}

bool ChipLink::ReadAdcResult() {
    if (!Command({0xC4, 0x01, 0xA0, 0x05, 0x03}, 6, 64) || Io()[0] != kDone) return false;
    std::copy_n(Io().begin() + 1, 3, Readings.Adc.begin());
    return true;
}

bool ChipLink::ReadTempResult() {
    if (!Command({0xC4, 0x01, 0xA0, 0x06, 0x02}, 6, 64) || Io()[0] != kDone) return false;
    Readings.Temp = {Io()[1], Io()[2], 0};
    return true;
}

// Sets bits of the register holding `field` and writes it with a one-byte chip write. The value
// goes both to the shadow (taken by QN740x frames) and to the buffer (taken by the other kinds).
bool ChipLink::WriteFieldRegister(const char* field, uint8_t orMask) {
    const int reg = chip_ != nullptr ? chip_->FieldRegister(field) : -1;
    if (reg < 0 || reg >= static_cast<int>(kRegImageSize)) return false;
    const auto value = static_cast<uint8_t>(GetReg(reg) | orMask);
    if (reg < kShadowSize) ChipShadow[static_cast<size_t>(reg)] = value;
    Io()[5] = value;
    return WriteChip(static_cast<uint16_t>(reg), 1);
}

bool ChipLink::StartAdcStream(uint8_t mode) {
    auto shadowAt = [this](const char* field) -> uint8_t {
        const int reg = chip_ != nullptr ? chip_->FieldRegister(field) : -1;
        return reg >= 0 && reg < kShadowSize ? ChipShadow[static_cast<size_t>(reg)] : uint8_t{0};
    };
    if (!Command({0xC4, 0x02, mode, shadowAt("IRQEN"), shadowAt("TS")}, 5, 64)) return false;
    const bool started = Io()[0] == kDone;
    WriteFieldRegister("IRQEN", 0x14);
    return started;
}

bool ChipLink::StopAdcStream() {
    return Command({0xC4, 0x03, 0x01}, 6, 64) && Io()[0] == kDone;
}

bool ChipLink::StartTempConversion() {
    const bool written = WriteFieldRegister("TS", 0x01);
    clock_.DelayMs(kTempStartPauseMs);
    return written;
}

bool ChipLink::ReadBridgeLines(Devc& devc, uint8_t& l1, uint8_t& l2, uint8_t& l3) {
    const uint8_t request[3] = {0xB5, 0x07, 0x00};
    std::copy(std::begin(request), std::end(request), Io().begin());
    if (!Exchange(devc, 3, 4)) return false;
    l1 = Io()[1];
    l2 = Io()[2];
    l3 = Io()[3];
    return true;
}

bool ChipLink::ReadBridgeVersion(Devc& devc, std::string& version) {
    const uint8_t request[8] = {0xF9, 0x05, 0, 0, 0, 0, 0, 0};
    std::copy(std::begin(request), std::end(request), Io().begin());
    if (!Exchange(devc, 8, 8)) return false;
    version.assign(Io().begin(), Io().begin() + 8);
    return true;
}

} // namespace qn
