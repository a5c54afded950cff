// Change detection of the register image and the values and names the register grids show.
#pragma once

#include "chip/ChipModel.h"
#include "chip/RegField.h"

#include <cstdint>
#include <vector>

namespace qn {

// The value a panel shows at `address`: the image byte AND the implemented mask.
uint8_t ShownValue(const ChipModel& model, const RegImageBytes& image, int address);

// RAM panel rule: marks the address changed when marking is on and the value differs from the
// previous one; the previous value follows, except inside the register areas.
void NoteRamValue(ChipModel& model, int address, uint8_t value, bool marking);
// Register panel rule for bit and byte registers: changed when the value differs; previous follows.
void NoteRegisterValue(ChipModel& model, int address, uint8_t value);
// Register panel rule for a word register: only the high byte is marked when both bytes changed.
void NoteWordValue(ChipModel& model, int addressH, int addressL, uint8_t high, uint8_t low);

// Takes the current values of every bit, byte and word register from the image, updates the
// change flags and writes the byte (2 hex digits) and word (4 hex digits) value cells.
void RefreshRegisterValues(ChipModel& model, const RegImageBytes& image);

// List indexes [First, Last) of a bit-register page; pages other than 1..3 are page 0.
struct ListRange {
    int32_t First = 0;
    int32_t Last = 0;
};
ListRange PageRange(const ChipModel& model, int page);

// Rows of the bit grid for a page: register name, then the names of bits 7..0.
std::vector<NameGrid::Row> BitGridRows(const ChipModel& model, int page);

} // namespace qn
