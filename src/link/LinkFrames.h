// The requests of the bridge protocol, each built from its values alone by one function.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qn {

// What a chip read brought: the bytes from its start address on; none when it failed.
using ChipBytes = std::optional<std::vector<uint8_t>>;

// Registers 0..4 of a QN740x chip as the link last read or set them.
inline constexpr size_t kShadowSize = 5;
using ShadowBytes = std::array<uint8_t, kShadowSize>;

// One request: the bytes that go out (their count is the write length) and the length of the
// answer asked for (on the serial link: the bytes waited for).
struct LinkFrame {
    std::vector<uint8_t> Bytes;
    uint8_t ReadLength = 0;

    bool operator==(const LinkFrame&) const = default;
};

// What a "Special" frame depends on besides its address and data.
struct SpecialFrameOptions {
    bool Optocoupler = true;   // with the optocoupler frames start BE, without it BA
    bool ShortAddress = false; // the chip takes the low address byte only (see ChipLinkInfo)
};

// "Special" link: reads answer `n` bytes, writes answer one.
LinkFrame SpecialReadFrame(SpecialFrameOptions options, uint16_t a, uint8_t n);
LinkFrame SpecialWriteFrame(SpecialFrameOptions options, uint16_t a, std::span<const uint8_t> data);

// "QN740x" link: the chip's registers through the bridge. A write of `n` bytes at `a` carries the
// shadow registers from `a` on (zeros past register 4); its bytes 5 and 6 are not read by the
// bridge and go out as `kept`, what the buffer held there.
LinkFrame Qn740xReadFrame(uint16_t a, uint8_t n);
LinkFrame Qn740xWriteFrame(uint16_t a, uint8_t n, const ShadowBytes& shadow,
                           std::array<uint8_t, 2> kept);

// The bridge's own commands.
LinkFrame AdcFetchFrame();
LinkFrame AdcResultFrame();
LinkFrame TempResultFrame();
LinkFrame StreamStartFrame(uint8_t mode, uint8_t irqen, uint8_t ts);
LinkFrame StreamStopFrame();
LinkFrame BridgeLinesFrame();
LinkFrame BridgeVersionFrame();
LinkFrame BridgeControlFrame(uint8_t sub, uint16_t value);
LinkFrame IdentifyFrame();
// The start-up pair sent after an open: first with `first` true, then false.
LinkFrame StartUpFrame(bool first);

// Serial bridge link: the synchronisation request, reads with the address low byte first, and
// writes answered by one acknowledgement byte.
LinkFrame SerialSyncFrame();
LinkFrame SerialReadFrame(uint16_t a, uint8_t n);
LinkFrame SerialWriteFrame(uint16_t a, std::span<const uint8_t> data);

} // namespace qn
