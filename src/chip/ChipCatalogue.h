// The chip catalogue of the INCLUDE folder: the chip list and the selection of one chip.
#pragma once

#include "chip/ChipModel.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

inline constexpr std::string_view kChipListFile = "QnSel.INC";

// The chip combo box's entries when the INCLUDE folder has no chip list.
std::vector<std::string> BuiltInChipList();

// What a chip selection gave.
struct ChipSelectOutcome {
    bool Read = false;            // the description file was read to its end
    bool AsksSpecialLink = false; // the chip works on the "Special" link (product "52K12")
};

class ChipCatalogue {
  public:
    explicit ChipCatalogue(std::filesystem::path includeDir) : includeDir_(std::move(includeDir)) {}

    const std::filesystem::path& IncludeDir() const { return includeDir_; }

    // Entries of the chip combo box: word 3, two spaces, word 2 of each chip list line, up to the
    // first line whose word 1 is shorter than 3 characters; the built-in list without a list file.
    std::vector<std::string> LoadChipList() const;

    // Rebuilds `model` from the description file of list entry `chipIndex`; a chip without an
    // "#ADC0S" section clears `configFlag3`.
    ChipSelectOutcome SelectChip(ChipModel& model, uint16_t chipIndex, bool& configFlag3) const;

    // The description file of list entry `chipIndex`; none without chip list or file.
    std::optional<std::filesystem::path> ChipFilePath(uint16_t chipIndex) const;

  private:
    std::filesystem::path includeDir_;
};

} // namespace qn
