// The .xlsx writer: what it writes reads back in a spreadsheet reader; a failed export leaves no
// file behind.
#include "platform/XlsxFile.h"
#include "TestDoubles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace qn {
namespace {

TEST(XlsxFile, WorkbookReadsBackInASpreadsheetReader) {
    test::TempFolder folder;
    const std::string file = folder.File("ram.xlsx");
    XlsxSheetWriter writer;
    ASSERT_TRUE(writer.WriteSheet(
        file, "USER Data",
        {{3, 3, false, 0, "-"}, {11, 8, true, 60, ""}, {4, 20, false, 0, "05h"}}));
    const std::string command =
        "/usr/bin/python3 -c \"import openpyxl,sys; wb=openpyxl.load_workbook(sys.argv[1]); "
        "ws=wb['USER Data']; print(ws.cell(3,3).value, ws.cell(11,8).value, "
        "ws.cell(4,20).value)\" " +
        file;
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char out[128] = {};
    const size_t n = std::fread(out, 1, sizeof out - 1, pipe);
    ::pclose(pipe);
    EXPECT_EQ(std::string(out, n), "- 60 05h\n");
    EXPECT_EQ(folder.EntryCount(), 1);
}

// A missing folder or a cell outside the sheet fails, and nothing is left in the folder.
TEST(XlsxFile, FailedExportLeavesNoFile) {
    test::TempFolder folder;
    const std::pair<const char*, std::vector<SheetCell>> cases[] = {
        {"none/x.xlsx", {}},
        {"x.xlsx", {{0, 1, false, 0, "row 0"}}},
    };
    for (const auto& [name, cells] : cases) {
        EXPECT_FALSE(WriteXlsx(folder.File(name), "USER Data", cells)) << name;
        EXPECT_EQ(folder.EntryCount(), 0) << name;
    }
}

} // namespace
} // namespace qn
