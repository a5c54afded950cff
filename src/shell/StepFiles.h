// The step files of the "File" menu: "Register.txt", "Delay.txt" and "ACM.txt" for the register
// step grid, "Fluke.txt" and "Power.txt" for the calibrator's and the supply's step tables.
// Fixed-width code page 950 text with CR LF lines, made for hand editing.
#pragma once

#include "host/EventPump.h"
#include "host/StatusBar.h"
#include "instruments/StepTable.h"
#include "run/TempTestData.h"

#include <cstddef>
#include <string>
#include <vector>

namespace qn {

inline constexpr const char* kRegisterFile = "Register.txt";
inline constexpr const char* kDelayFile = "Delay.txt";
inline constexpr const char* kAcmFile = "ACM.txt";
inline constexpr const char* kFlukeFile = "Fluke.txt";
inline constexpr const char* kPowerFile = "Power.txt";
inline constexpr const char* kDefaultDelay = "15";
inline constexpr const char* kDefaultAcm = "2.4";

// How much of the register step grid is in use.
struct RegisterCounts {
    size_t RegColumns = 0; // register columns in use, from column 1
    size_t StepCount = 0;  // steps in use, from row 1
};

// Saving counts a header cell that holds a non-zero hexadecimal number; loading counts any
// non-empty header cell. Steps count while column 1 holds a hexadecimal digit.
enum class HeaderRule { NonZeroHex, NonEmpty };
RegisterCounts CountRegisterSteps(const RegisterStepGrid& grid, HeaderRule rule);

// "Save Reg": counts the grid, then writes the three files into `programDir`. The error text is
// empty when all three were written.
std::string SaveReg(const std::string& programDir, const RegisterStepGrid& grid,
                    RegisterCounts& counts);

// What "Download Reg" leaves for the window: the counts and the shape of the TMPData preview.
struct RegDownloadResult {
    std::string Error; // "Cannot open file \"<path>\"" when "Register.txt" cannot be read
    RegisterCounts Counts;
    size_t PreviewColumns = 0;
    size_t PreviewRows = 0;
};

// "Download Reg": empties columns 1..12 of the step rows, reads "Register.txt" (status panel 0
// counts the lines, window messages are let through after each), then "Delay.txt" and, when
// that exists, "ACM.txt". The grid's step count M is read again after every line.
RegDownloadResult DownloadReg(const std::string& programDir, RegisterStepGrid& grid,
                              StatusBar& status, EventPump& events);

// The readers of the files' lines (as stored, code page 950), for the loaders and the fuzzer.
// Line n of "Register.txt" fills row n (line 0 the header row); fields are 4 bytes wide and keep
// their hexadecimal digits; a field without any leaves its cell as it was.
void RegDownloadLines(const std::vector<std::string>& lines, RegisterStepGrid& grid,
                      StatusBar& status, EventPump& events);
// Line s fills column 11 (delay) / 12 (reference text) of row s; rows up to `stepCount` without
// a line, or whose line holds no number, get "15" / "2.4".
void ReadDelayLines(const std::vector<std::string>& lines, RegisterStepGrid& grid,
                    size_t stepCount);
void ReadAcmLines(const std::vector<std::string>& lines, RegisterStepGrid& grid, size_t stepCount);
// Fills the step table from row 1 with the step text (the hexadecimal digits of the first four
// bytes) and the command (the rest). With `skipOff` (the calibrator's file) a line whose step
// text is not a decimal number of at least 1 is skipped.
void ReadStepLines(const std::vector<std::string>& lines, StepTable& table, bool skipOff);

// The step lines of "Fluke.txt" / "Power.txt": each row whose step is on, its step right-aligned
// in four characters directly followed by its command.
std::string StepFileText(const StepTable& table);
// "Save Fluke" / "Save Power": the error text is empty when the file was written.
std::string SaveStepFile(const std::string& path, const StepTable& table);
// "DownLoad Fluke" / "Download Power": empties the table's cells, then reads the file when it
// exists.
void DownloadFluke(const std::string& path, StepTable& table);
void DownloadPower(const std::string& path, StepTable& table);

} // namespace qn
