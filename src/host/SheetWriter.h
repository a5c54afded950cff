// Spreadsheet export as the core asks for it: the cells of one sheet and a writer that makes the
// workbook file (the platform's one writes .xlsx).
#pragma once

#include <string>
#include <vector>

namespace qn {

// One cell of a sheet. Row and Column count from 1, as a spreadsheet numbers them ("A1" is row 1,
// column 1). A number cell holds Number, a text cell Text.
struct SheetCell {
    int Row = 1;
    int Column = 1;
    bool IsNumber = false;
    double Number = 0;
    std::string Text;
};

class SheetWriter {
  public:
    virtual ~SheetWriter() = default;
    // Writes a workbook with one sheet named `sheetName` holding `cells` at `path`, replacing
    // the file only when the whole workbook was written. False on any failure.
    virtual bool WriteSheet(const std::string& path, const std::string& sheetName,
                            const std::vector<SheetCell>& cells) = 0;
};

} // namespace qn
