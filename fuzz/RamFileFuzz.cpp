// libFuzzer target: the RAM file reader. The input is read as a whole RAM file and again as the
// file's mark and hint lines (after 512 value lines), so short inputs reach both parts. A file
// written from what was read must read back to the same text.
#include "chip/ChipModel.h"
#include "chip/RamPanelState.h"
#include "platform/TextFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

volatile size_t sink = 0; // keeps every result observable

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

std::vector<std::string> Lines(std::string_view content) {
    std::vector<std::string> lines;
    for (std::string_view line : qn::SplitTextLines(content)) lines.emplace_back(line);
    return lines;
}

// RAM at 0x80..0x17F, a 4-bit register at 0x10; the shown bank comes from the input's size, so
// bank 4 (past the image) is shown too.
qn::ChipModel Model(size_t size) {
    qn::ChipModel model;
    for (size_t a = 0x80; a < 0x180; ++a) model.ImplementedMask[a] = 0xFF;
    model.ImplementedMask[0x10] = 0x0F;
    model.CurrentBank = static_cast<uint8_t>(size % qn::kRamBankCount);
    return model;
}

// Reads `lines` into a fresh state and image; returns the RAM file written from them.
std::string ReadAndWrite(const std::vector<std::string>& lines, qn::ChipModel& model) {
    qn::RegImageBytes image{};
    qn::RamPanelState state;
    qn::RamPanelState::LoadRamValues(lines, model, [&](int a, uint8_t v) {
        Require(qn::InRegImage(a));
        image[static_cast<size_t>(a)] = v;
    });
    state.RefreshRam(model, image, false);
    state.LoadRamMarks(lines);
    for (const qn::RamCell& cell : state.Cells()) {
        Require(cell.Text.size() <= 2);
        sink = sink + cell.Text.size() + (cell.Changed ? 1u : 0u);
    }
    return state.RamFileText(model, image);
}

void CheckRoundTrip(const std::vector<std::string>& lines, qn::ChipModel& model) {
    const std::string written = ReadAndWrite(lines, model);
    Require(written == ReadAndWrite(Lines(written), model));
    sink = sink + written.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    qn::ChipModel model = Model(size);
    CheckRoundTrip(Lines(content), model);
    std::vector<std::string> marksOnly(qn::kRamFileAddresses, "-");
    for (std::string& line : Lines(content)) marksOnly.push_back(std::move(line));
    CheckRoundTrip(marksOnly, model);
    return 0;
}
