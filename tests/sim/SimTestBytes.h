// Byte helpers shared by the simulated bench's tests: exchanges with a bridge and code decoding.
#pragma once

#include "sim/SimBridge.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qn::test {

using Bytes = std::vector<uint8_t>;

// Sends one request and reads `readLength` bytes back; empty when no answer came.
inline Bytes Exchange(SimBridge& bridge, const Bytes& request, size_t readLength = 64) {
    Bytes answer(readLength, 0xEE);
    if (!bridge.Receive(request.data(), request.size())) return {};
    if (!bridge.Answer(answer.data(), answer.size())) return {};
    return answer;
}

// `head` followed by zeros up to `size` bytes, as a whole answer carries it.
inline Bytes Padded(Bytes head, size_t size = 64) {
    head.resize(size, 0);
    return head;
}

inline Bytes Ascii(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// A 24-bit two's complement code stored most significant byte first.
inline int32_t Code24(const uint8_t* at) {
    const int32_t raw = (at[0] << 16) | (at[1] << 8) | at[2];
    return raw >= 0x800000 ? raw - 0x1000000 : raw;
}

} // namespace qn::test
