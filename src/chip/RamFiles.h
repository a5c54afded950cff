// The RAM panel's files: the RAM file (".ram") saved and loaded, and the "USER Data" workbook.
#pragma once

#include "chip/ChipModel.h"
#include "chip/RamPanelState.h"
#include "chip/RegField.h"
#include "host/SheetWriter.h"

#include <functional>
#include <string>

namespace qn {

// Writes the RAM file of `state` and the image at `path` (replacing it whole); false with the
// reason in `problem` when it cannot.
bool SaveRamFile(const std::string& path, const RamPanelState& state, const ChipModel& model,
                 const RegImageBytes& image, std::string& problem);

// Reads the RAM file at `path`: its values go through `store`, then `afterValues` runs (the
// panel's refresh), then its marks and hints replace those of `state`. False with the reason in
// `problem`, and nothing changed, when the file cannot be read.
bool LoadRamFile(const std::string& path, RamPanelState& state, const ChipModel& model,
                 const RegisterWriter& store, const std::function<void()>& afterValues,
                 std::string& problem);

// Writes the "USER Data" sheet of RamSheetCells through `writer`.
bool SaveRamSheet(SheetWriter& writer, const std::string& path, const ChipModel& model,
                  const RegImageBytes& image);

} // namespace qn
