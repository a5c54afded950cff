// The noise table without a window: "--noise-table" sweeps every gain and data rate of the chip,
// prints a line per point and writes the datasheet-style CSV file.
#pragma once

#include "shell/CommandLine.h"

namespace qn {

// Runs the sweep on the arguments of the running QCoreApplication and gives the process's exit
// code: 0 after a complete table, 1 with a one-line message on stderr;
// 2 on a usage error. `parts` are the parts of the bench --simulate chose.
int RunNoiseTableCommand(Simulated parts);

} // namespace qn
