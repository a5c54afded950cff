// Change detection of the register image and the values and names the register grids show.
#include "chip/RegisterRefresh.h"

#include "files/NumberText.h"

namespace qn {
namespace {

size_t Index(int address) {
    return static_cast<size_t>(address);
}

// The value cell of register k in a 9-column grid, when the grid has that row.
void SetValueCell(NameGrid& grid, int32_t k, const std::string& text) {
    const auto row = static_cast<size_t>(2 * (k / 9) + 1);
    if (row < grid.Rows.size()) grid.Rows[row][static_cast<size_t>(k % 9)] = text;
}

} // namespace

uint8_t ShownValue(const ChipModel& model, const RegImageBytes& image, int address) {
    return static_cast<uint8_t>(ImageByte(image, address) & model.Mask(address));
}

void NoteRamValue(ChipModel& model, int address, uint8_t value, bool marking) {
    if (!InRegImage(address)) return;
    const size_t a = Index(address);
    model.ChangedFlag[a] = marking && value != model.PreviousValue[a] ? 1 : 0;
    if (!model.InRegisterArea(address)) model.PreviousValue[a] = value;
}

void NoteRegisterValue(ChipModel& model, int address, uint8_t value) {
    if (!InRegImage(address)) return;
    const size_t a = Index(address);
    model.ChangedFlag[a] = value != model.PreviousValue[a] ? 1 : 0;
    model.PreviousValue[a] = value;
}

void NoteWordValue(ChipModel& model, int addressH, int addressL, uint8_t high, uint8_t low) {
    if (!InRegImage(addressH) || !InRegImage(addressL)) return;
    const size_t h = Index(addressH);
    const size_t l = Index(addressL);
    const bool highChanged = high != model.PreviousValue[h];
    const bool lowChanged = low != model.PreviousValue[l];
    model.ChangedFlag[h] = 0;
    model.ChangedFlag[l] = 0;
    if (highChanged)
        model.ChangedFlag[h] = 1;
    else if (lowChanged)
        model.ChangedFlag[l] = 1;
    model.PreviousValue[h] = high;
    model.PreviousValue[l] = low;
}

void RefreshRegisterValues(ChipModel& model, const RegImageBytes& image) {
    for (int32_t i = 0; i < model.BitRegs.Count(); ++i) {
        BitRegRecord& reg = *model.BitRegs.Get(i);
        reg.Value = ShownValue(model, image, reg.Address);
        NoteRegisterValue(model, reg.Address, reg.Value);
    }
    for (int32_t k = 0; k < model.ByteRegs.Count(); ++k) {
        ByteRegRecord& reg = *model.ByteRegs.Get(k);
        const uint8_t value = ShownValue(model, image, reg.Address);
        reg.Value = value;
        NoteRegisterValue(model, reg.Address, value);
        SetValueCell(model.ByteGrid, k, HexPad(value, 2));
    }
    for (int32_t k = 0; k < model.WordRegs.Count(); ++k) {
        WordRegRecord& reg = *model.WordRegs.Get(k);
        const uint8_t high = ShownValue(model, image, reg.AddressH);
        const uint8_t low = ShownValue(model, image, reg.AddressL);
        reg.Value = static_cast<uint16_t>(high * 256 + low);
        NoteWordValue(model, reg.AddressH, reg.AddressL, high, low);
        SetValueCell(model.WordGrid, k, HexPad(reg.Value, 4));
    }
}

ListRange PageRange(const ChipModel& model, int page) {
    if (page < 1 || page >= kRegPageCount) page = 0;
    ListRange range;
    for (int p = 0; p < page; ++p) range.First += model.BitRegCount[static_cast<size_t>(p)];
    range.Last = range.First + model.BitRegCount[static_cast<size_t>(page)];
    return range;
}

std::vector<NameGrid::Row> BitGridRows(const ChipModel& model, int page) {
    const ListRange range = PageRange(model, page);
    std::vector<NameGrid::Row> rows;
    for (int32_t i = range.First; i < range.Last; ++i) {
        NameGrid::Row& row = rows.emplace_back();
        const BitRegRecord* reg = model.BitRegs.Get(i);
        if (reg == nullptr) continue; // counted but dropped from the full list
        row[0] = reg->Name;
        for (size_t bit = 0; bit < 8; ++bit) row[bit + 1] = reg->Bits[bit].Name;
    }
    return rows;
}

} // namespace qn
