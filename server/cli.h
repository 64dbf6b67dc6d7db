// The command line of hexwend-scores: serving, and the operator's commands.
#pragma once

namespace hexwend::server {

// Runs the program; answers its exit status.
int runCommandLine(int argc, char** argv);

} // namespace hexwend::server
