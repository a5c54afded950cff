// The temperature run without a window: "--temperature-run PLAN" reads a plan file, selects the
// calibrator, supply and chamber on the plan's COM ports, runs "T-Begin" with a progress line per
// step and soak minute, and leaves the result files.
#pragma once

#include "shell/CommandLine.h"

namespace qn {

// Runs the command on the arguments of the running QCoreApplication and gives the process's exit
// code: 0 when every row and step was measured; 1 with a message on stderr when the plan, the
// bridge or an instrument failed, the run did not go through or SIGTERM/SIGINT ended it;
// 2 on a usage error. With --check it runs nothing and gives what RunTempRunCheck gives. `parts`
// are the parts of the bench --simulate chose.
int RunTempRunCommand(Simulated parts);

} // namespace qn
