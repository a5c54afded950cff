// Chip reads and writes in the frames of each link kind, and register writes with read-back.
#include "link/ChipLink.h"

namespace qn {
namespace {

constexpr double kSpecialPauseMs = 50;
constexpr double kSlowRegisterPauseMs = 1000;
constexpr int kShadowSize = 5;
// Largest counts whose frames fit the one-byte transfer length of the bridge.
constexpr uint16_t kMaxQnRead = 250;
constexpr uint16_t kMaxQnWrite = 248;
constexpr uint16_t kMaxSpecialRead = 255;
constexpr uint16_t kMaxSpecialWrite = 250;

uint8_t Lo(uint16_t a) {
    return static_cast<uint8_t>(a);
}
// Address bits 8..12 moved into bits 2..6 of the "Special" frame's second byte.
uint8_t HighBits(uint16_t a) {
    return static_cast<uint8_t>((a >> 6) & 0x7C);
}

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

bool ChipLink::SpecialProduct() const {
    if (chip_ == nullptr) return false;
    const std::string name = chip_->ProductName();
    return name == "52K12" || name == "52K21";
}

bool ChipLink::ReadChip(uint16_t a, uint16_t n, int /*dev*/) {
    const auto hold = guard_.Begin();
    if (!hold) return false;
    switch (stnd_.Interface) {
    case kLinkSpecial:
        return ReadSpecial(a, n);
    case kLinkQn740x:
        return ReadQn740x(a, n);
    case kLinkRs232:
        return serial_.ReadChip(a, n);
    default:
        return false;
    }
}

bool ChipLink::WriteChip(uint16_t a, uint16_t n, int /*dev*/) {
    const auto hold = guard_.Begin();
    if (!hold) return false;
    switch (stnd_.Interface) {
    case kLinkSpecial:
        return WriteSpecial(a, n);
    case kLinkQn740x:
        return WriteQn740x(a, n);
    case kLinkRs232:
        return serial_.WriteChip(a, n);
    default:
        return false;
    }
}

uint8_t ChipLink::SpecialLead() const {
    return Options.Optocoupler ? 0xBE : 0xBA;
}

bool ChipLink::ReadSpecial(uint16_t a, uint16_t n) {
    if (n > kMaxSpecialRead) return false;
    const auto count = static_cast<uint8_t>(n);
    const auto x = SpecialProduct() ? uint8_t{0xC0} : static_cast<uint8_t>(0x80 + HighBits(a));
    if (!Command({SpecialLead(), x, Lo(a), count, count}, 5, count)) return false;
    clock_.DelayMs(kSpecialPauseMs);
    return true;
}

// The data are already at bytes 5.. of the buffer.
bool ChipLink::WriteSpecial(uint16_t a, uint16_t n) {
    if (n > kMaxSpecialWrite) return false;
    const auto count = static_cast<uint8_t>(n);
    const uint8_t y = SpecialProduct() ? 0x40 : HighBits(a);
    if (!CommandWithData({SpecialLead(), y, Lo(a), count, count}, static_cast<uint8_t>(n + 5), 1))
        return false;
    clock_.DelayMs(kSpecialPauseMs);
    return true;
}

bool ChipLink::ReadQn740x(uint16_t a, uint16_t n) {
    if (n > kMaxQnRead) return false;
    const auto count = static_cast<uint8_t>(n);
    if (!Command({0xC4, 0x01, 0xA0, Lo(a), count}, static_cast<uint8_t>(n + 5), 64)) return false;
    for (int i = 0; i < n && a + i < kShadowSize; ++i)
        ChipShadow[static_cast<size_t>(a + i)] = Io()[static_cast<size_t>(1 + i)];
    return true;
}

// Bytes 5 and 6 stay as they are; the data follow from byte 7, taken from the shadow.
bool ChipLink::WriteQn740x(uint16_t a, uint16_t n) {
    if (n > kMaxQnWrite) return false;
    for (int i = 0; i < n; ++i)
        Io()[static_cast<size_t>(7 + i)] =
            a + i < kShadowSize ? ChipShadow[static_cast<size_t>(a + i)] : uint8_t{0};
    return CommandWithData({0xC4, 0x00, 0xA0, Lo(a), static_cast<uint8_t>(n)},
                           static_cast<uint8_t>(n + 7), 64);
}

void ChipLink::WriteRegister(int a, uint8_t v, int dev) {
    const auto hold = guard_.Begin();
    if (!hold || a < 0 || a >= static_cast<int>(kRegImageSize)) return;
    const auto addr = static_cast<uint16_t>(a);
    if (stnd_.Interface == kLinkQn740x) {
        if (a >= kShadowSize) return;
        ChipShadow[addr] = v;
        if (WriteChip(addr, 1, dev) && ReadChip(addr, 1, dev))
            StoreRegister(a, ChipShadow[addr], dev);
        return;
    }
    auto& io = Io();
    io[5] = v;
    if (a == kSlowRegisterA || a == kSlowRegisterB) {
        WriteChip(addr, 1, dev);
        clock_.DelayMs(kSlowRegisterPauseMs);
        if (!ReadChip(addr, 1, dev)) return;
    } else if (a == kPairedRegister) {
        io[5] = GetReg(kPairBaseRegister);
        io[6] = v;
        if (!WriteChip(kPairBaseRegister, 2, dev)) return;
    } else if (!WriteChip(addr, 1, dev) || !ReadChip(addr, 1, dev)) {
        return;
    }
    StoreRegister(a, a == kPairedRegister ? uint8_t{0} : io[0], dev);
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
