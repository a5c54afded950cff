// Byte layout of every request of the bridge protocol.
#include "link/LinkFrames.h"

#include <algorithm>
#include <iterator>

namespace qn {
namespace {

constexpr uint8_t kQnAnswer = 64;
constexpr uint8_t kControlAnswer = 8;

uint8_t Lo(uint16_t a) {
    return static_cast<uint8_t>(a);
}
uint8_t Hi(uint16_t a) {
    return static_cast<uint8_t>(a >> 8);
}
// Address bits 8..12 moved into bits 2..6 of the "Special" frame's second byte.
uint8_t HighBits(uint16_t a) {
    return static_cast<uint8_t>((a >> 6) & 0x7C);
}
uint8_t SpecialLead(SpecialFrameOptions options) {
    return options.Optocoupler ? 0xBE : 0xBA;
}
uint8_t Count(std::span<const uint8_t> data) {
    return static_cast<uint8_t>(data.size());
}
LinkFrame WithData(std::vector<uint8_t> header, std::span<const uint8_t> data, uint8_t read) {
    header.insert(header.end(), data.begin(), data.end());
    return {std::move(header), read};
}

} // namespace

LinkFrame SpecialReadFrame(SpecialFrameOptions options, uint16_t a, uint8_t n) {
    const auto x = options.ShortAddress ? uint8_t{0xC0} : static_cast<uint8_t>(0x80 + HighBits(a));
    return {{SpecialLead(options), x, Lo(a), n, n}, n};
}

LinkFrame SpecialWriteFrame(SpecialFrameOptions options, uint16_t a,
                            std::span<const uint8_t> data) {
    const uint8_t y = options.ShortAddress ? 0x40 : HighBits(a);
    return WithData({SpecialLead(options), y, Lo(a), Count(data), Count(data)}, data, 1);
}

LinkFrame Qn740xReadFrame(uint16_t a, uint8_t n) {
    std::vector<uint8_t> bytes(size_t{n} + 5, 0);
    const uint8_t header[] = {0xC4, 0x01, 0xA0, Lo(a), n};
    std::copy(std::begin(header), std::end(header), bytes.begin());
    return {std::move(bytes), kQnAnswer};
}

LinkFrame Qn740xWriteFrame(uint16_t a, uint8_t n, const ShadowBytes& shadow,
                           std::array<uint8_t, 2> kept) {
    std::vector<uint8_t> bytes(size_t{n} + 7, 0);
    const uint8_t header[] = {0xC4, 0x00, 0xA0, Lo(a), n, kept[0], kept[1]};
    std::copy(std::begin(header), std::end(header), bytes.begin());
    for (size_t i = 0; i < n && a + i < kShadowSize; ++i) bytes[7 + i] = shadow[a + i];
    return {std::move(bytes), kQnAnswer};
}

LinkFrame AdcFetchFrame() {
    return {{0xC4, 0x04}, kQnAnswer};
}

LinkFrame AdcResultFrame() {
    return {{0xC4, 0x01, 0xA0, 0x05, 0x03, 0}, kQnAnswer};
}

LinkFrame TempResultFrame() {
    return {{0xC4, 0x01, 0xA0, 0x06, 0x02, 0}, kQnAnswer};
}

LinkFrame StreamStartFrame(uint8_t mode, uint8_t irqen, uint8_t ts) {
    return {{0xC4, 0x02, mode, irqen, ts}, kQnAnswer};
}

LinkFrame StreamStopFrame() {
    return {{0xC4, 0x03, 0x01, 0, 0, 0}, kQnAnswer};
}

LinkFrame BridgeLinesFrame() {
    return {{0xB5, 0x07, 0x00}, 4};
}

LinkFrame BridgeVersionFrame() {
    return {{0xF9, 0x05, 0, 0, 0, 0, 0, 0}, kControlAnswer};
}

LinkFrame BridgeControlFrame(uint8_t sub, uint16_t value) {
    return {{0xF9, sub, Lo(value), Hi(value)}, kControlAnswer};
}

LinkFrame IdentifyFrame() {
    return {{0xF9, 0xAC}, kControlAnswer};
}

LinkFrame StartUpFrame(bool first) {
    return {{0xC5, 0xFF, first ? uint8_t{0x01} : uint8_t{0x00}, 0x00}, kQnAnswer};
}

LinkFrame SerialSyncFrame() {
    return {{0x55}, 1};
}

LinkFrame SerialReadFrame(uint16_t a, uint8_t n) {
    return {{0xC0, Lo(a), Hi(a), n}, n};
}

LinkFrame SerialWriteFrame(uint16_t a, std::span<const uint8_t> data) {
    return WithData({0x40, Lo(a), Hi(a), Count(data)}, data, 1);
}

} // namespace qn
