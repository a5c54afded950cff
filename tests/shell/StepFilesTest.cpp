// The register, delay, reference-voltage and instrument step files: readers, writers, round trips.
#include "shell/StepFiles.h"

#include "TestDoubles.h"
#include "files/Cp950Text.h"
#include "shell/SettingsFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

namespace qn::test {
namespace {

std::array<std::string, 11> RegisterRow(const RegisterStepGrid& grid, size_t row) {
    std::array<std::string, 11> cells;
    for (size_t i = 1; i <= 10; ++i) cells[i] = grid.Cell(i, row);
    return cells;
}

// Every row of a step table as "step command".
std::vector<std::string> StepRows(const StepTable& table) {
    std::vector<std::string> rows;
    for (size_t r = 1; r <= table.Steps(); ++r)
        rows.push_back(table.Row(r).Step + " " + table.Row(r).Input);
    return rows;
}

TEST(StepFiles, RegisterLinesFillFourByteFieldsOfTheirRows) {
    RegisterStepGrid grid;
    grid.Resize(2);
    grid.Cell(5, 2) = "77";
    RecordingStatus status;
    ScriptedPump pump;
    // Line n fills row n; fields keep their hexadecimal digits; the fourth line exceeds M = 2.
    RegDownloadLines({"  31  32  37", " x1A  -g", "  ab    cD", "  99"}, grid, status, pump);
    EXPECT_EQ(RegisterRow(grid, 0), (std::array<std::string, 11>{"", "31", "32", "37"}));
    EXPECT_EQ(RegisterRow(grid, 1), (std::array<std::string, 11>{"", "1A"}));
    EXPECT_EQ(RegisterRow(grid, 2), (std::array<std::string, 11>{"", "ab", "", "cD", "", "77"}));
    EXPECT_EQ(status.Texts, (std::vector<std::pair<StatusPanel, std::string>>{
                                {StatusPanel::Bridge, "Download Register Value - 1"},
                                {StatusPanel::Bridge, "Download Register Value - 2"}}));
    EXPECT_EQ(pump.Pumps, 2);
}

TEST(StepFiles, DelayAndReferenceLinesWithDefaultsUpToTheStepCount) {
    RegisterStepGrid grid;
    grid.Resize(6);
    grid.Cell(kDelayColumn, 5) = "old"; // a step without a line gets the default, not its old text
    ReadDelayLines({"    20", " 0030x", "  12ab", "9"}, grid, 5);
    ReadAcmLines({"  2.50", "   1e3", "  1.2.", "", "   .5z"}, grid, 5);
    const std::array<const char*, 7> delays{"Delay", "20", "30", "15", "9", "15", ""};
    const std::array<const char*, 7> references{"ACM", "2.5", "1000", "2.4", "2.4", "0.5", ""};
    for (size_t s = 0; s <= 6; ++s) {
        EXPECT_EQ(grid.Cell(kDelayColumn, s), delays[s]) << s;
        EXPECT_EQ(grid.Cell(kAcmColumn, s), references[s]) << s;
    }
}

TEST(StepFiles, StepLinesOfTheCalibratorSkipStepsOffAndOfTheSupplyKeepThem) {
    const std::vector<std::string> lines = {"   1cmd", "   0off", "  1Amixed",
                                            "   2" + Utf8ToCp950("輸出 5V"), "x"};
    // Whether steps that are off are skipped; the rows read, as step and command.
    const std::pair<bool, std::vector<std::string>> cases[] = {
        {true, {"1 cmd", "2 輸出 5V", " ", " ", " ", " "}},
        {false, {"1 cmd", "0 off", "1A mixed", "2 輸出 5V", " ", " "}},
    };
    for (const auto& [skipOff, rows] : cases) {
        StepTable table;
        table.Resize(6);
        ReadStepLines(lines, table, skipOff);
        EXPECT_EQ(StepRows(table), rows) << skipOff;
    }
}

TEST(StepFiles, StepTablesRoundTripThroughTheirFiles) {
    const TempFolder folder;
    const std::string path = folder.File(kFlukeFile);
    StepTable saved;
    saved.Resize(3);
    saved.Row(1) = {"1", "OUT 1V"};
    saved.Row(2) = {"", "ignored"};
    saved.Row(3) = {"12345", "輸出"};
    EXPECT_EQ(SaveStepFile(path, saved), "");
    EXPECT_EQ(Slurp(path), "   1OUT 1V\r\n12345" + Utf8ToCp950("輸出") + "\r\n");

    StepTable loaded;
    loaded.Resize(3);
    loaded.Row(3) = {"9", "old"};
    DownloadFluke(path, loaded);
    // Four bytes of step, the rest is the command.
    EXPECT_EQ(StepRows(loaded), (std::vector<std::string>{"1 OUT 1V", "1234 5輸出", " "}));

    DownloadPower(folder.File(kPowerFile), loaded); // missing: the table stays empty
    EXPECT_EQ(StepRows(loaded), std::vector<std::string>(3, " "));
}

TEST(StepFiles, RegisterStepsRoundTripThroughTheirFiles) {
    const TempFolder folder;
    const std::string dir = folder.File("");
    RegisterStepGrid grid;
    grid.Resize(4);
    const std::array<const char*, 4> headers{"", "10", "1F", "0"};
    for (size_t i = 1; i <= 3; ++i) grid.Cell(i, 0) = headers[i];
    grid.Cell(1, 1) = "A5", grid.Cell(2, 1) = "3", grid.Cell(3, 1) = "FF";
    grid.Cell(kDelayColumn, 1) = "15", grid.Cell(kAcmColumn, 1) = "2.4";
    grid.Cell(1, 2) = "5A", grid.Cell(kDelayColumn, 2) = "1234567";
    grid.Cell(1, 3) = "-", grid.Cell(1, 4) = "01"; // a row without digits ends the steps

    RegisterCounts counts;
    EXPECT_EQ(SaveReg(dir, grid, counts), "");
    EXPECT_EQ(std::pair(counts.RegColumns, counts.StepCount), (std::pair<size_t, size_t>(2, 2)));
    const std::string blank(32, ' ');
    EXPECT_EQ(Slurp(folder.File(kRegisterFile)),
              "  10  1F" + blank + "\r\n  A5   3" + blank + "\r\n  5A    " + blank + "\r\n");
    EXPECT_EQ(Slurp(folder.File(kDelayFile)), "    15\r\n1234567\r\n");
    EXPECT_EQ(Slurp(folder.File(kAcmFile)), "   2.4\r\n      \r\n");

    RegisterStepGrid loaded;
    loaded.Resize(4);
    loaded.Cell(7, 4) = "old";
    RecordingStatus status;
    NullEventPump pump;
    const RegDownloadResult result = DownloadReg(dir, loaded, status, pump);
    EXPECT_EQ(result.Error, "");
    EXPECT_EQ((std::array{result.Counts.RegColumns, result.Counts.StepCount, result.PreviewColumns,
                          result.PreviewRows}),
              (std::array<size_t, 4>{2, 2, 3, 2}));
    EXPECT_EQ(RegisterRow(loaded, 0), (std::array<std::string, 11>{"", "10", "1F"}));
    EXPECT_EQ(RegisterRow(loaded, 1), (std::array<std::string, 11>{"", "A5", "3"}));
    EXPECT_EQ(loaded.Cell(7, 4), "");
    EXPECT_EQ(loaded.Cell(kDelayColumn, 2), "123456"); // six bytes of a delay line count
    EXPECT_EQ(loaded.Cell(kAcmColumn, 1), "2.4");
    EXPECT_EQ(loaded.Cell(kAcmColumn, 2), "2.4");
    EXPECT_EQ(status.Last(StatusPanel::Bridge), "Download Register Value OK !!!");

    // Without "ACM.txt" the delays load but no completion; without "Register.txt" nothing does.
    std::filesystem::remove(folder.File(kAcmFile));
    DownloadReg(dir, loaded, status, pump);
    EXPECT_EQ(loaded.Cell(kDelayColumn, 1), "15");
    EXPECT_EQ(loaded.Cell(kAcmColumn, 1), "");
    EXPECT_EQ(status.Last(StatusPanel::Bridge), "Download Register Value - 3");
    std::filesystem::remove(folder.File(kRegisterFile));
    EXPECT_EQ(DownloadReg(dir, loaded, status, pump).Error,
              "Cannot open file \"" + folder.File(kRegisterFile) + "\"");
    EXPECT_EQ(loaded.Cell(1, 1) + loaded.Cell(kDelayColumn, 1), "");
}

} // namespace
} // namespace qn::test
