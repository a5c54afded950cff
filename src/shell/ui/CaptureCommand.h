// The capture without a window, for scripts and lab automation: "--capture N" takes N samples the
// way the analysis window's "Catch ADC" does, writes the data file and prints the noise figures.
#pragma once

#include "shell/CommandLine.h"

namespace qn {

// Runs the capture command on the arguments of the running QCoreApplication and gives the
// process's exit code: 0 after a complete capture, 1 with a one-line message on stderr;
// 2 on a usage error. `parts` are the parts of the bench --simulate chose.
int RunCaptureCommand(Simulated parts);

} // namespace qn
