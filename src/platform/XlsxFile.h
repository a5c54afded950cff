// Spreadsheet files (.xlsx) written through libxlsxwriter.
#pragma once

#include "host/SheetWriter.h"

#include <string>
#include <vector>

namespace qn {

// Writes a workbook with one sheet named `sheetName` holding `cells`. The workbook is built under
// a temporary name in the target's folder and renamed over `path`, so a failed export never leaves
// half a file. False on any failure (cells outside the sheet included).
bool WriteXlsx(const std::string& path, const std::string& sheetName,
               const std::vector<SheetCell>& cells);

// The spreadsheet export of the program: .xlsx files through WriteXlsx.
class XlsxSheetWriter final : public SheetWriter {
  public:
    bool WriteSheet(const std::string& path, const std::string& sheetName,
                    const std::vector<SheetCell>& cells) override {
        return WriteXlsx(path, sheetName, cells);
    }
};

} // namespace qn
