// libFuzzer target: arbitrary bytes as the lines of "Register.txt", "Delay.txt", "ACM.txt",
// "Fluke.txt" and "Power.txt" through the step-file readers, then the counts and the writers.
#include "FuzzCheck.h"
#include "files/TextFile.h"
#include "host/EventPump.h"
#include "host/StatusBar.h"
#include "instruments/StepTable.h"
#include "run/TempTestData.h"
#include "shell/StepFiles.h"

void qn::fuzz::Fuzz(const uint8_t* data, size_t size) {
    const auto allOf = [](const std::string& text, std::string_view allowed) {
        return text.find_first_not_of(allowed) == std::string::npos;
    };
    constexpr std::string_view kHexDigits = "0123456789ABCDEFabcdef";
    std::vector<std::string> lines;
    for (std::string_view line : SplitTextLines(Text(data, size))) lines.emplace_back(line);
    // The first byte picks the step count M, small enough to keep runs fast.
    const size_t steps = size == 0 ? 1 : data[0] % 64;

    RegisterStepGrid grid;
    grid.Resize(steps);
    StatusRelay status;
    NullEventPump pump;
    RegDownloadLines(lines, grid, status, pump);
    const RegisterCounts counts = CountRegisterSteps(grid, HeaderRule::NonEmpty);
    Require(counts.RegColumns <= kRegisterColumns && counts.StepCount <= steps);
    ReadDelayLines(lines, grid, counts.StepCount);
    ReadAcmLines(lines, grid, counts.StepCount);
    for (size_t r = 0; r <= grid.Steps(); ++r) {
        for (size_t i = 1; i <= kRegisterColumns; ++i)
            Require(grid.Cell(i, r).size() <= 4 && allOf(grid.Cell(i, r), kHexDigits));
        if (r >= 1) Require(allOf(grid.Cell(kDelayColumn, r), "0123456789"));
        if (r >= 1 && r <= counts.StepCount) Require(!grid.Cell(kAcmColumn, r).empty());
    }

    for (const bool skipOff : {true, false}) {
        StepTable table;
        table.Resize(steps);
        ReadStepLines(lines, table, skipOff);
        for (size_t r = 1; r <= table.Steps(); ++r) {
            const std::string& step = table.Row(r).Step;
            Require(step.size() <= 4 && allOf(step, kHexDigits));
            if (skipOff && !step.empty())
                Require(allOf(step, "0123456789") &&
                        step.find_first_not_of('0') != std::string::npos);
        }
        sink = sink + StepFileText(table).size();
    }
}
