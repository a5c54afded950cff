// Spreadsheet files (.xlsx) written through libxlsxwriter under a temporary name, then renamed.
#include "platform/XlsxFile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cstdlib>
#include <filesystem>

namespace qn {
namespace {

// Reserves a fresh file name next to `path`; empty when the folder cannot take one.
std::string TemporaryNameBeside(const std::string& path) {
    const std::filesystem::path target(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return {};
    const bool ok = ::fchmod(fd, 0644) == 0;
    if (::close(fd) != 0 || !ok) {
        ::unlink(temp.c_str());
        return {};
    }
    return temp;
}

// Cells count from 1; libxlsxwriter counts rows and columns from 0.
bool WriteCell(lxw_worksheet* sheet, const SheetCell& cell) {
    if (cell.Row < 1 || cell.Column < 1 || cell.Row > LXW_ROW_MAX || cell.Column > LXW_COL_MAX)
        return false;
    const auto row = static_cast<lxw_row_t>(cell.Row - 1);
    const auto column = static_cast<lxw_col_t>(cell.Column - 1);
    const lxw_error error =
        cell.IsNumber ? worksheet_write_number(sheet, row, column, cell.Number, nullptr)
                      : worksheet_write_string(sheet, row, column, cell.Text.c_str(), nullptr);
    return error == LXW_NO_ERROR;
}

// Builds the workbook at `file`; false when any step fails.
bool BuildWorkbook(const std::string& file, const std::string& sheetName,
                   const std::vector<SheetCell>& cells) {
    lxw_workbook* book = workbook_new(file.c_str());
    if (book == nullptr) return false;
    lxw_worksheet* sheet = workbook_add_worksheet(book, sheetName.c_str());
    bool ok = sheet != nullptr;
    for (size_t i = 0; ok && i < cells.size(); ++i) ok = WriteCell(sheet, cells[i]);
    // Closing writes the file and frees the workbook, so it runs even after a failure.
    return workbook_close(book) == LXW_NO_ERROR && ok;
}

} // namespace

bool WriteXlsx(const std::string& path, const std::string& sheetName,
               const std::vector<SheetCell>& cells) {
    const std::string temp = TemporaryNameBeside(path);
    if (temp.empty()) return false;
    if (!BuildWorkbook(temp, sheetName, cells) || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace qn
