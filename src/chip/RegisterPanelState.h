// The register panel's logic without windows: core-register figures, change highlighting, the
// cells that hold registers, and the register writes each edit makes.
#pragma once

#include "chip/ChipModel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qn {

inline constexpr int kWorkAddress = 0x29;
// Bit registers at these addresses open no bit menu.
inline constexpr int kNoBitMenuAddresses[] = {0x31, 0x32};

// The two indirect-access pairs: FSR high and low byte addresses.
struct IndirectPair {
    int High = 0;
    int Low = 0;
};
inline constexpr IndirectPair kIndirectPairs[2] = {{0x0F, 0x10}, {0x11, 0x12}};

// One byte a panel edit hands to the chip.
struct RegisterWrite {
    int Address = 0;
    uint8_t Value = 0;
    bool operator==(const RegisterWrite&) const = default;
};
using RegisterWrites = std::vector<RegisterWrite>;

// FSRn = image[high] * 256 + image[low].
uint16_t FsrValue(const RegImageBytes& image, int pair);
// The byte FSRn points at; an FSR beyond the image reads 0.
uint8_t IndValue(const RegImageBytes& image, int pair);

// A figure of the core-register strip: highlighted when it changed since it was last shown,
// unless change marks are suppressed. The shown value is always remembered.
class FigureMark {
  public:
    bool Show(uint16_t value, bool suppressMarks);

  private:
    uint16_t last_ = 0;
};

// The texts of the core-register strip.
struct CoreFigures {
    std::string Work;   // 2 hex digits
    std::string Fsr[2]; // 3 hex digits
    std::string Ind[2]; // 2 hex digits
};
CoreFigures CoreFigureTexts(const RegImageBytes& image);
inline constexpr const char* kProgramCounterText = "0";
inline constexpr const char* kCycleText = "00000000";

// Bit registers' page: pages outside 0..3, or without bit registers, are page 0.
int EffectivePage(const ChipModel& model, int page);

// The bit a bit-grid cell stands for; none for name cells, rows past the page, bits named "-"
// and registers whose bits open no menu.
struct BitTarget {
    int Address = 0;
    int Bit = 0; // 0..7
};
std::optional<BitTarget> BitCellTarget(const ChipModel& model, int page, int row, int column);
// The bit register of a bit-grid row of the page; none past its rows.
const BitRegRecord* BitRowRegister(const ChipModel& model, int page, int row);

// The register of a byte or word grid cell: list index and whether the cell is its value cell;
// none when no register of the `count` listed sits there.
struct GridCell {
    int32_t Index = 0;
    bool Value = false;
};
std::optional<GridCell> GridRegisterAt(int row, int column, int32_t count);

// Bit "=1" / "=0": the whole byte with that bit set or cleared.
RegisterWrite BitWrite(const RegImageBytes& image, BitTarget target, bool set);
// A 16-bit value as two bytes: high byte to `high` first, then low byte to `low`.
RegisterWrites WordWrites(int high, int low, uint32_t value);
RegisterWrites FsrWrites(int pair, uint32_t value);

// What the grids' help item shows: the description the chip file gives, or a note that it
// gives none.
std::string HelpText(const std::string& name, const std::string& description);

} // namespace qn
