// hexwend-scores: Hexwend's score server.
#include "server/cli.h"

int main(int argc, char** argv) { return hexwend::server::runCommandLine(argc, argv); }
