// The RAM file read and written whole, and the memory's workbook handed to a sheet writer.
#include "chip/RamFiles.h"

#include "files/TextFile.h"

#include <string_view>
#include <vector>

namespace qn {

bool SaveRamFile(const std::string& path, const RamPanelState& state, const ChipModel& model,
                 const RegImageBytes& image, std::string& problem) {
    return ReplaceFileContents(path, state.RamFileText(model, image), &problem);
}

bool LoadRamFile(const std::string& path, RamPanelState& state, const ChipModel& model,
                 const RegisterWriter& store, const std::function<void()>& afterValues,
                 std::string& problem) {
    std::string text;
    FileProblem failure;
    if (!ReadFileContents(path, text, &failure)) {
        problem = failure.Text;
        return false;
    }
    const std::vector<std::string_view> lines = SplitTextLines(text);
    RamPanelState::LoadRamValues(lines, model, store);
    afterValues();
    state.LoadRamMarks(lines);
    return true;
}

bool SaveRamSheet(SheetWriter& writer, const std::string& path, const ChipModel& model,
                  const RegImageBytes& image) {
    return writer.WriteSheet(path, "USER Data", RamSheetCells(model, image));
}

} // namespace qn
