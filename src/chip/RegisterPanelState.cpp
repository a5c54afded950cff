// The register panel's logic without windows.
#include "chip/RegisterPanelState.h"

#include "chip/RegField.h"
#include "chip/RegisterRefresh.h"
#include "files/NumberText.h"

#include <algorithm>
#include <iterator>

namespace qn {

uint16_t FsrValue(const RegImageBytes& image, int pair) {
    const IndirectPair& p = kIndirectPairs[pair == 1 ? 1 : 0];
    return static_cast<uint16_t>(ImageByte(image, p.High) * 256 + ImageByte(image, p.Low));
}

uint8_t IndValue(const RegImageBytes& image, int pair) {
    return ImageByte(image, FsrValue(image, pair)); // ImageByte reads 0 beyond the image
}

bool FigureMark::Show(uint16_t value, bool suppressMarks) {
    const bool changed = !suppressMarks && last_ != value;
    last_ = value;
    return changed;
}

CoreFigures CoreFigureTexts(const RegImageBytes& image) {
    CoreFigures figures;
    figures.Work = HexPad(ImageByte(image, kWorkAddress), 2);
    for (int pair = 0; pair < 2; ++pair) {
        const auto i = static_cast<size_t>(pair);
        figures.Fsr[i] = HexPad(FsrValue(image, pair), 3);
        figures.Ind[i] = HexPad(IndValue(image, pair), 2);
    }
    return figures;
}

int EffectivePage(const ChipModel& model, int page) {
    if (page < 0 || page >= kRegPageCount) return 0;
    return model.BitRegCount[static_cast<size_t>(page)] > 0 ? page : 0;
}

const BitRegRecord* BitRowRegister(const ChipModel& model, int page, int row) {
    const ListRange range = PageRange(model, EffectivePage(model, page));
    if (row < 0 || row >= range.Last - range.First) return nullptr;
    return model.BitRegs.Get(range.First + row);
}

std::optional<BitTarget> BitCellTarget(const ChipModel& model, int page, int row, int column) {
    const BitRegRecord* reg = BitRowRegister(model, page, row);
    if (reg == nullptr || column < 1 || column > 8) return std::nullopt;
    if (std::find(std::begin(kNoBitMenuAddresses), std::end(kNoBitMenuAddresses), reg->Address) !=
        std::end(kNoBitMenuAddresses))
        return std::nullopt;
    if (reg->Bits[static_cast<size_t>(column - 1)].Name == "-") return std::nullopt;
    return BitTarget{reg->Address, 8 - column};
}

std::optional<GridCell> GridRegisterAt(int row, int column, int32_t count) {
    if (row < 0 || column < 0 || column >= static_cast<int>(NameGrid::kColumns)) return {};
    const int32_t index = (row / 2) * static_cast<int32_t>(NameGrid::kColumns) + column;
    if (index >= count) return std::nullopt;
    return GridCell{index, row % 2 == 1};
}

RegisterWrite BitWrite(const RegImageBytes& image, BitTarget target, bool set) {
    const auto mask = static_cast<uint8_t>(1u << (target.Bit & 7));
    const uint8_t old = ImageByte(image, target.Address);
    return {target.Address, static_cast<uint8_t>(set ? old | mask : old & ~mask)};
}

RegisterWrites WordWrites(int high, int low, uint32_t value) {
    return {{high, static_cast<uint8_t>((value >> 8) & 0xFF)},
            {low, static_cast<uint8_t>(value & 0xFF)}};
}

RegisterWrites FsrWrites(int pair, uint32_t value) {
    const IndirectPair& p = kIndirectPairs[pair == 1 ? 1 : 0];
    return WordWrites(p.High, p.Low, value);
}

std::string HelpText(const std::string& name, const std::string& description) {
    if (!description.empty()) return description;
    return "No description of " + name + " in the chip file.";
}

} // namespace qn
