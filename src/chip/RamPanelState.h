// The RAM panel's state without the window: the shown bank's cells, per-address marks and hints,
// the RAM file (".ram") and the spreadsheet export of the memory.
#pragma once

#include "chip/ChipModel.h"
#include "chip/RegField.h"
#include "host/SheetWriter.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

inline constexpr int kRamBankSize = 256;
inline constexpr int kRamGridSide = 16;
// The RAM file covers addresses 0..511.
inline constexpr int kRamFileAddresses = 512;
inline constexpr uint32_t kDefaultMarkColour = 0x808080; // grey, 0xRRGGBB

// One shown cell as the last refresh left it. Address may lie past the image (bank 4).
struct RamCell {
    int Address = 0;
    std::string Text = "-";
    bool Implemented = false;
    bool Changed = false;
};

struct RamMark {
    bool Marked = false;
    uint32_t Colour = 0; // 0xRRGGBB
};

struct RamHint {
    bool Hinted = false;
    std::string Text; // code page 950, as the RAM file stores it
};

// Address of grid cell (column, row), both 1..16, in `bank`; -1 outside the 16 x 16 cells.
int RamCellAddress(int bank, int column, int row);
// Row heading of grid row 1..16: bank 2 gives "200".."2F0".
std::string RamRowHeading(int bank, int row);

class RamPanelState {
  public:
    static constexpr size_t kAddresses = kRegImageSize;

    // Re-reads the current bank from the image: texts and change flags of its 256 cells.
    void RefreshRam(ChipModel& model, const RegImageBytes& image, bool marking);
    // Cell i (0..255) of the shown bank: address i is column i mod 16 + 1, row i div 16 + 1.
    const std::array<RamCell, kRamBankSize>& Cells() const { return cells_; }

    // Mark and hint of an address; nothing marked or hinted past the image.
    RamMark MarkAt(int address) const;
    RamHint HintAt(int address) const;

    // Each acts only on implemented addresses and returns whether it did.
    bool SetMark(const ChipModel& model, int address);
    bool SetMark(const ChipModel& model, int address, uint32_t colour); // also the new colour
    bool ResetMark(const ChipModel& model, int address);
    bool ResetHint(const ChipModel& model, int address);
    // Empty text clears the hint; line ends are dropped so the file keeps its lines.
    bool SetHint(const ChipModel& model, int address, std::string_view cp950Text);
    void ResetAllMarks();
    void ResetAllHints();

    uint32_t MarkColour() const { return markColour_; }

    // The RAM file's contents, CR LF lines.
    std::string RamFileText(const ChipModel& model, const RegImageBytes& image) const;
    // Loading, in two steps with the panel's refresh between them: the 512 value lines through
    // `store` (unimplemented addresses get 0), then the flag, colour and hint lines. Missing lines
    // read as empty. The lines are the file's text as SplitTextLines gives them: views into the
    // text read once, never copied line by line.
    static void LoadRamValues(std::span<const std::string_view> lines, const ChipModel& model,
                              const RegisterWriter& store);
    void LoadRamMarks(std::span<const std::string_view> lines);

  private:
    std::array<RamCell, kRamBankSize> cells_{};
    std::array<RamMark, kAddresses> marks_{};
    std::array<RamHint, kAddresses> hints_{};
    uint32_t markColour_ = kDefaultMarkColour;
};

// Cells of the "USER Data" sheet for addresses 0..511 (a = 16r + c, r 0..31, c 0..15): the shown
// value as a number at row r+3, column c+3 and its hex text with "h" at row r+3, column c+20;
// both "-" for unimplemented addresses. Rows and columns count from 1, as the spreadsheet does.
std::vector<SheetCell> RamSheetCells(const ChipModel& model, const RegImageBytes& image);

} // namespace qn
