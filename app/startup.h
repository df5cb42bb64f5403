// The program's start: one copy only, the program-wide values, and the
// dispatch on the command line.
#pragma once

namespace rivano {

// Returns the process exit code once the run is over.
int runProgram();

}  // namespace rivano
