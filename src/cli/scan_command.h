// A scan from the shell: the folders checked, the maps listed and read, the
// report written, and what went wrong said on standard error.
#pragma once

#include "command_line.h"

namespace cli {

// Runs the scan `options` ask for and returns the exit status (command_line.h).
int RunScanCommand(const Options& options);

}  // namespace cli
