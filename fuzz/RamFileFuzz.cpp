// libFuzzer target: the RAM file reader. The input is read as a whole RAM file or, for an odd
// size, as the file's mark and hint lines (after 512 value lines), so short inputs reach both
// parts. A file written from what was read must read back to the same text.
#include "FuzzCheck.h"
#include "chip/ChipModel.h"
#include "chip/RamPanelState.h"
#include "files/TextFile.h"

#include <span>

// The input is read from memory as the panel reads a file's text: split into views, never copied.
void qn::fuzz::Fuzz(const uint8_t* data, size_t size) {
    // Reads `lines` into a fresh state and image; returns the RAM file written from them.
    const auto readAndWrite = [](std::span<const std::string_view> lines, ChipModel& model) {
        RegImageBytes image{};
        RamPanelState state;
        RamPanelState::LoadRamValues(lines, model, [&](int a, uint8_t v) {
            Require(InRegImage(a));
            image[static_cast<size_t>(a)] = v;
        });
        state.RefreshRam(model, image, false);
        state.LoadRamMarks(lines);
        for (const RamCell& cell : state.Cells()) {
            Require(cell.Text.size() <= 2);
            sink = sink + cell.Text.size() + (cell.Changed ? 1u : 0u);
        }
        return state.RamFileText(model, image);
    };
    // RAM at 0x80..0x17F, a 4-bit register at 0x10; the shown bank comes from the input's size,
    // so bank 4 (past the image) is shown too.
    ChipModel model;
    for (size_t a = 0x80; a < 0x180; ++a) model.ImplementedMask[a] = 0xFF;
    model.ImplementedMask[0x10] = 0x0F;
    model.CurrentBank = static_cast<uint8_t>(size % kRamBankCount);
    std::vector<std::string_view> lines;
    if (size % 2 == 1) lines.assign(kRamFileAddresses, "-");
    for (const std::string_view line : SplitTextLines(Text(data, size))) lines.push_back(line);
    const std::string written = readAndWrite(lines, model);
    Require(written == readAndWrite(SplitTextLines(written), model));
}
