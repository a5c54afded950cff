// Spreadsheet files (.xlsx) written through libxlsxwriter.
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

// Writes a workbook with one sheet named `sheetName` holding `cells`. The workbook is built under
// a temporary name in the target's folder and renamed over `path`, so a failed export never leaves
// half a file. False on any failure (cells outside the sheet included).
bool WriteXlsx(const std::string& path, const std::string& sheetName,
               const std::vector<SheetCell>& cells);

} // namespace qn
