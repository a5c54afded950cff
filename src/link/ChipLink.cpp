// Chip reads and writes in the frames of each link kind, and register writes with read-back.
#include "link/ChipLink.h"

namespace qn {
namespace {

constexpr double kSpecialPauseMs = 50;
constexpr double kSlowRegisterPauseMs = 1000;
// Largest counts whose frames fit the one-byte transfer length of the bridge.
constexpr uint16_t kMaxQnRead = 250;
constexpr uint16_t kMaxQnWrite = 248;
constexpr uint16_t kMaxSpecialRead = 255;
constexpr uint16_t kMaxSpecialWrite = 250;

} // namespace

uint8_t ChipLink::GetReg(int a, int /*dev*/) const {
    if (a < 0 || a >= static_cast<int>(kRegImageSize)) return 0;
    return stnd_.RegImage[static_cast<size_t>(a)];
}

void ChipLink::SetReg(int a, uint8_t v, int /*dev*/) {
    if (a < 0 || a >= static_cast<int>(kRegImageSize)) return;
    stnd_.RegImage[static_cast<size_t>(a)] = v;
}

void ChipLink::StoreRegister(int a, uint8_t v, int dev) {
    SetReg(a, v, dev);
    panels_.RefreshRamPanel();
    panels_.RefreshRegisterPanel();
    panels_.RefreshAdcPanel();
}

SpecialFrameOptions ChipLink::SpecialOptions() const {
    return {Options.Optocoupler, chip_ != nullptr && chip_->ShortSpecialAddress()};
}

ChipBytes ChipLink::BufferBytes(size_t from, uint16_t n) const {
    const auto begin = Io().begin() + static_cast<std::ptrdiff_t>(from);
    return std::vector<uint8_t>(begin, begin + n);
}

ChipBytes ChipLink::ReadChip(uint16_t a, uint16_t n, int /*dev*/) {
    const auto hold = guard_.Begin();
    if (!hold) return std::nullopt;
    switch (stnd_.Interface) {
    case kLinkSpecial:
        return ReadSpecial(a, n);
    case kLinkQn740x:
        return ReadQn740x(a, n);
    case kLinkRs232:
        return serial_.ReadChip(a, n);
    default:
        return std::nullopt;
    }
}

bool ChipLink::WriteChip(uint16_t a, std::span<const uint8_t> data, int /*dev*/) {
    const auto hold = guard_.Begin();
    if (!hold) return false;
    switch (stnd_.Interface) {
    case kLinkSpecial:
        return WriteSpecial(a, data);
    case kLinkQn740x:
        return data.size() <= kMaxQnWrite && WriteQn740x(a, static_cast<uint16_t>(data.size()));
    case kLinkRs232:
        return serial_.WriteChip(a, data);
    default:
        return false;
    }
}

ChipBytes ChipLink::ReadSpecial(uint16_t a, uint16_t n) {
    if (n > kMaxSpecialRead) return std::nullopt;
    if (!Send(SpecialReadFrame(SpecialOptions(), a, static_cast<uint8_t>(n)))) return std::nullopt;
    clock_.DelayMs(kSpecialPauseMs);
    return BufferBytes(0, n);
}

bool ChipLink::WriteSpecial(uint16_t a, std::span<const uint8_t> data) {
    if (data.size() > kMaxSpecialWrite) return false;
    if (!Send(SpecialWriteFrame(SpecialOptions(), a, data))) return false;
    clock_.DelayMs(kSpecialPauseMs);
    return true;
}

// The answer carries the bytes from its second byte on.
ChipBytes ChipLink::ReadQn740x(uint16_t a, uint16_t n) {
    if (n > kMaxQnRead) return std::nullopt;
    if (!Send(Qn740xReadFrame(a, static_cast<uint8_t>(n)))) return std::nullopt;
    for (size_t i = 0; i < n && a + i < kShadowSize; ++i) ChipShadow[a + i] = Io()[1 + i];
    return BufferBytes(1, n);
}

bool ChipLink::WriteQn740x(uint16_t a, uint16_t n) {
    return Send(Qn740xWriteFrame(a, static_cast<uint8_t>(n), ChipShadow, {Io()[5], Io()[6]}));
}

void ChipLink::WriteRegister(int a, uint8_t v, int dev) {
    const auto hold = guard_.Begin();
    if (!hold || a < 0 || a >= static_cast<int>(kRegImageSize)) return;
    const auto addr = static_cast<uint16_t>(a);
    if (stnd_.Interface == kLinkQn740x) {
        if (addr >= kShadowSize) return;
        ChipShadow[addr] = v;
        if (WriteChip(addr, std::span(&v, 1), dev) && ReadChip(addr, 1, dev))
            StoreRegister(a, ChipShadow[addr], dev);
        return;
    }
    uint8_t readBack = 0;
    if (a == kPairedRegister) {
        const uint8_t pair[2] = {GetReg(kPairBaseRegister), v};
        if (!WriteChip(kPairBaseRegister, pair, dev)) return;
    } else {
        const bool written = WriteChip(addr, std::span(&v, 1), dev);
        if (a == kSlowRegisterA || a == kSlowRegisterB)
            clock_.DelayMs(kSlowRegisterPauseMs);
        else if (!written)
            return;
        const ChipBytes got = ReadChip(addr, 1, dev);
        if (!got) return;
        readBack = got->front();
    }
    StoreRegister(a, readBack, dev);
    KeepPreset(a, v);
}

void ChipLink::KeepPreset(int a, uint8_t v) {
    size_t entry = 0;
    if (a >= kPresetFirstRegister && a <= kPresetLastRegister)
        entry = static_cast<size_t>(a - kPresetFirstRegister);
    else if (a == kPresetExtraRegister)
        entry = kPresetExtraEntry;
    else
        return;
    if (Options.FunctionChoice == 0) AdcPresetA[entry] = v;
    if (Options.FunctionChoice == 1) AdcPresetB[entry] = v;
}

} // namespace qn
