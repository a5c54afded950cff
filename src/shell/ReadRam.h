// "Read RAM": the chip's whole register and RAM space read into the register image in chunks
// that fit each link's largest transfer.
#pragma once

#include "chip/ChipModel.h"
#include "shell/Bench.h"

#include <cstdint>
#include <vector>

namespace qn {

// One read: `Count` bytes from chip address `Start`.
struct MemoryChunk {
    uint16_t Start = 0;
    uint16_t Count = 0;

    bool operator==(const MemoryChunk&) const = default;
};

// The reads of a chunked link ("Special" or "RS232") in their order, for the register area and
// RAM banks the chip defines. Registers 26 and 27 are never read. Other link kinds have none.
std::vector<MemoryChunk> ReadRamPlan(uint16_t linkKind, const ChipModel& model);

// How a "Read RAM" ended, told on status panel 2.
inline constexpr char kReadRamDone[] = "Read RAM OK !!!";
inline constexpr char kReadRamFailed[] = "Read RAM Error !!!!!";

// Reads the whole space into the image and tells the outcome on the status bar. False when a
// read failed: the operation ends there, the chunks already read stay in the image and the
// panels are not redrawn. On "QN740x" the five registers of the link and the ADC and temperature
// results are read instead. False without a word when another operation owns the link.
bool ReadRam(Bench& bench);

} // namespace qn
