// The chip catalogue of the INCLUDE folder: the chip list and the selection of one chip.
#include "chip/ChipCatalogue.h"

#include "chip/ChipFileReader.h"
#include "chip/ChipText.h"
#include "chip/ParsedLine.h"
#include "files/TextFile.h"

#include <optional>

namespace qn {
namespace {

constexpr size_t kMinFileNameLength = 3;
constexpr int kBuiltInRepeats = 16;

// Step 1: hides the instrument menus and ports; the optocoupler box is checked and locked.
void HideInstrumentControls(ChipControls& controls) {
    ChipControls hidden;
    hidden.BankButtons = controls.BankButtons;
    hidden.PageButtons = controls.PageButtons;
    controls = hidden;
}

// Step 2: unit gain tables and no implemented address.
void ClearGainsAndMask(ChipModel& model) {
    model.PgaGainTable.fill(1);
    model.AdcGainTable.fill(1);
    model.ImplementedMask.fill(0);
}

// Step 4: counts, areas and banks as before the first data line; buttons, grids and lists empty.
void ResetForFile(ChipModel& model) {
    model.ChipId = 0;
    model.RomSize = 0x1000;
    model.RegArea = {};
    model.RamBank = {};
    model.BitRegCount = {};
    model.ByteRegCount = model.WordRegCount = model.Reg3ByteCount = 0;
    model.Controls.BankButtons = {};
    model.Controls.PageButtons = {};
    model.ByteGrid.SetRowCount(0);
    model.WordGrid.SetRowCount(0);
    model.BitRegs.Clear();
    model.ByteRegs.Clear();
    model.WordRegs.Clear();
    model.HasAdcSection = false;
}

// Step 6: the RAM panel's bank and the register panel's page must exist on the new chip.
void CheckBankAndPage(ChipModel& model) {
    if (model.CurrentBank >= kRamBankCount || !model.RamBank[model.CurrentBank].Present())
        model.CurrentBank = 0;
    const uint8_t page = model.CurrentPage;
    if (page >= kRegPageCount || (page >= 1 && model.BitRegCount[page] == 0)) model.CurrentPage = 0;
}

// Word 1 of chip list line `index` + 1 (the last line when the list is shorter); none without list.
std::optional<std::string> ChipFileName(const std::filesystem::path& includeDir, uint16_t index) {
    const auto listPath = FindInFolder(includeDir, kChipListFile);
    if (!listPath) return std::nullopt;
    const auto lines = ReadTextLines(*listPath);
    if (!lines) return std::nullopt;
    std::string last;
    for (size_t i = 0; i < lines->size() && i <= index; ++i) last = (*lines)[i];
    return ParsedLine(UpperText950(last)).Word(1);
}

} // namespace

std::vector<std::string> BuiltInChipList() {
    static const char* const kNames[] = {"52W14 (16k)", "52K14  (8k)", "52K13  (4k)",
                                         "52K12  (2k)"};
    std::vector<std::string> entries;
    for (int repeat = 0; repeat < kBuiltInRepeats; ++repeat)
        for (const char* name : kNames) entries.emplace_back(name);
    return entries;
}

std::vector<std::string> ChipCatalogue::LoadChipList() const {
    const auto listPath = FindInFolder(includeDir_, kChipListFile);
    const auto lines = listPath ? ReadTextLines(*listPath) : std::nullopt;
    if (!lines) return BuiltInChipList();
    std::vector<std::string> entries;
    for (const std::string& raw : *lines) {
        const ParsedLine line(UpperText950(raw));
        if (line.WordView(1).size() < kMinFileNameLength) break;
        entries.push_back(StoredText(line.WordView(3)) + "  " + StoredText(line.WordView(2)));
    }
    return entries;
}

std::optional<std::filesystem::path> ChipCatalogue::ChipFilePath(uint16_t chipIndex) const {
    const auto fileName = ChipFileName(includeDir_, chipIndex);
    return fileName ? FindInFolder(includeDir_, *fileName) : std::nullopt;
}

ChipSelectOutcome ChipCatalogue::SelectChip(ChipModel& model, uint16_t chipIndex,
                                            bool& configFlag3) const {
    HideInstrumentControls(model.Controls);
    ClearGainsAndMask(model);
    const auto chipPath = ChipFilePath(chipIndex);
    const auto chipLines = chipPath ? ReadTextLines(*chipPath) : std::nullopt;
    if (!chipLines) return {};
    ResetForFile(model);
    ChipFileReader reader(model);
    for (const std::string& line : *chipLines) reader.ReadLine(line);
    CheckBankAndPage(model);
    if (!model.HasAdcSection) configFlag3 = false;
    return {true, reader.AsksSpecialLink()};
}

} // namespace qn
