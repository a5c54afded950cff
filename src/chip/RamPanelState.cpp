// The RAM panel's state: shown cells, marks, hints, the RAM file and the spreadsheet cells.
#include "chip/RamPanelState.h"

#include "chip/RegisterRefresh.h"
#include "files/NumberText.h"
#include "files/TextFile.h"

#include <utility>

namespace qn {
namespace {

// Longest hint text kept from a file; longer ones are cut at a character boundary.
constexpr size_t kMaxHintBytes = 1024;

size_t Index(int address) {
    return static_cast<size_t>(address);
}

// The RAM file keeps colours as the original tool stored them: decimal numbers of 0xBBGGRR
// values, so files stay exchangeable with it. In memory colours are 0xRRGGBB; the swap of the
// red and blue bytes converts in either direction.
uint32_t SwapRedBlue(uint32_t colour) {
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Line n of a file, empty past its end.
std::string_view LineAt(std::span<const std::string_view> lines, size_t n) {
    return n < lines.size() ? lines[n] : std::string_view();
}

// A flag field of the "%2d%2d" line: true only for the number 1.
bool FlagAt(std::string_view line, size_t offset) {
    if (offset >= line.size()) return false;
    return ParseDecimal(Trimmed(line.substr(offset, 2))) == 1;
}

// A hint as kept: without CR or LF (each would break the RAM file's lines), at most
// kMaxHintBytes of code page 950 text, never ending inside a double-byte character.
std::string HintText(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') continue;
        const bool lead = static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size() &&
                          text[i + 1] != '\r' && text[i + 1] != '\n';
        if (out.size() + (lead ? 2 : 1) > kMaxHintBytes) break;
        out += text[i];
        if (lead) out += text[++i];
    }
    return out;
}

// The two flags as "%2d%2d" writes 0 and 1.
std::string FlagsLine(bool marked, bool hinted) {
    return {' ', marked ? '1' : '0', ' ', hinted ? '1' : '0'};
}

} // namespace

int RamCellAddress(int bank, int column, int row) {
    if (column < 1 || column > kRamGridSide || row < 1 || row > kRamGridSide) return -1;
    return bank * kRamBankSize + (row - 1) * kRamGridSide + (column - 1);
}

std::string RamRowHeading(int bank, int row) {
    return HexPad(static_cast<uint16_t>(bank * kRamGridSide + row - 1), 2) + "0";
}

void RamPanelState::RefreshRam(ChipModel& model, const RegImageBytes& image, bool marking) {
    for (int i = 0; i < kRamBankSize; ++i) {
        RamCell& cell = cells_[Index(i)];
        cell.Address = model.CurrentBank * kRamBankSize + i;
        const uint8_t value = ShownValue(model, image, cell.Address);
        cell.Implemented = model.Mask(cell.Address) != 0; // false past the image (bank 4)
        cell.Text = cell.Implemented ? HexPad(value, 2) : "-";
        NoteRamValue(model, cell.Address, value, marking);
        cell.Changed = InRegImage(cell.Address) && model.ChangedFlag[Index(cell.Address)] != 0;
    }
}

RamMark RamPanelState::MarkAt(int address) const {
    return InRegImage(address) ? marks_[Index(address)] : RamMark{};
}

RamHint RamPanelState::HintAt(int address) const {
    return InRegImage(address) ? hints_[Index(address)] : RamHint{};
}

bool RamPanelState::SetMark(const ChipModel& model, int address) {
    return SetMark(model, address, markColour_);
}

bool RamPanelState::SetMark(const ChipModel& model, int address, uint32_t colour) {
    if (model.Mask(address) == 0) return false;
    markColour_ = colour;
    marks_[Index(address)] = {true, colour};
    return true;
}

bool RamPanelState::ResetMark(const ChipModel& model, int address) {
    if (model.Mask(address) == 0) return false;
    marks_[Index(address)].Marked = false;
    return true;
}

bool RamPanelState::ResetHint(const ChipModel& model, int address) {
    if (model.Mask(address) == 0) return false;
    hints_[Index(address)] = {};
    return true;
}

bool RamPanelState::SetHint(const ChipModel& model, int address, std::string_view cp950Text) {
    if (model.Mask(address) == 0) return false;
    std::string text = HintText(cp950Text);
    hints_[Index(address)] = {!text.empty(), std::move(text)};
    return true;
}

void RamPanelState::ResetAllMarks() {
    for (RamMark& mark : marks_) mark.Marked = false;
}

void RamPanelState::ResetAllHints() {
    hints_.fill({});
}

std::string RamPanelState::RamFileText(const ChipModel& model, const RegImageBytes& image) const {
    constexpr size_t kTypicalBytes = 16; // a value line, or a mark's three lines without a hint
    std::string out;
    out.reserve(kRamFileAddresses * 2 * kTypicalBytes);
    for (int a = 0; a < kRamFileAddresses; ++a)
        AppendLine(out, model.Mask(a) == 0 ? std::string("-") : HexPad(ImageByte(image, a), 2));
    for (size_t a = 0; a < kRamFileAddresses; ++a) {
        AppendLine(out, FlagsLine(marks_[a].Marked, hints_[a].Hinted));
        AppendLine(out, std::to_string(SwapRedBlue(marks_[a].Colour)));
        AppendLine(out, hints_[a].Text);
    }
    return out;
}

void RamPanelState::LoadRamValues(std::span<const std::string_view> lines, const ChipModel& model,
                                  const RegisterWriter& store) {
    for (int a = 0; a < kRamFileAddresses; ++a) {
        const uint32_t value = model.Mask(a) == 0 ? 0 : ParseHex(LineAt(lines, Index(a)));
        store(a, static_cast<uint8_t>(value));
    }
}

void RamPanelState::LoadRamMarks(std::span<const std::string_view> lines) {
    for (size_t a = 0; a < kRamFileAddresses; ++a) {
        const size_t first = kRamFileAddresses + 3 * a;
        const std::string_view flags = LineAt(lines, first);
        const auto number = static_cast<uint32_t>(ParseDecimal(Trimmed(LineAt(lines, first + 1))));
        marks_[a] = {FlagAt(flags, 0), SwapRedBlue(number & 0xFFFFFF)};
        hints_[a] = {FlagAt(flags, 2), HintText(LineAt(lines, first + 2))};
    }
}

std::vector<SheetCell> RamSheetCells(const ChipModel& model, const RegImageBytes& image) {
    std::vector<SheetCell> cells;
    for (int a = 0; a < kRamFileAddresses; ++a) {
        const int row = a / kRamGridSide + 3;
        const int column = a % kRamGridSide;
        const uint8_t value = ShownValue(model, image, a);
        const bool shown = model.Mask(a) != 0;
        cells.push_back({row, column + 3, shown, static_cast<double>(value), shown ? "" : "-"});
        cells.push_back({row, column + 20, false, 0, shown ? HexPad(value, 2) + "h" : "-"});
    }
    return cells;
}

} // namespace qn
