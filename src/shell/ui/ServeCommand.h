// The bench as a SCPI instrument without windows: "--serve" listens for one remote client at a
// time on a TCP port and runs its commands on the bench until SIGTERM or SIGINT.
#pragma once

#include "shell/CommandLine.h"

namespace qn {

// Runs the command on the arguments of the running QCoreApplication and gives the process's exit
// code: 0 after SIGTERM or SIGINT ended it; 1 with a message on stderr when the port could not be
// opened; 2 on a usage error. `parts` are the parts of the bench --simulate chose.
int RunServeCommand(Simulated parts);

} // namespace qn
