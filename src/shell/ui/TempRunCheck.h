// "--temperature-run PLAN --check": the plan, its limits, the bridge, the chip and the three
// instruments looked at as the run would find them, what the run would do and how long it would
// take, with nothing set, switched on, written to the chip or saved.
#pragma once

#include "shell/CommandLine.h"

#include <string>

namespace qn {

class Bench;

// The capture a temperature run makes: the analysis window's "Catch ADC" with the saved settings,
// at the output data rate the chip's registers give.
void WireTempRunCapture(Bench& bench);

// Prints what the run would do and its estimated duration on standard output; 0 when the run
// could start, else 1 with every reason it could not on standard error, one a line.
int RunTempRunCheck(const std::string& planPath, Simulated parts);

} // namespace qn
