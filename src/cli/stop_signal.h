#pragma once
// How the platform asks vestok-cli to stop, and its standard streams.
#include "cli/cli_run.h"

namespace vestok::cli {

// From now on the platform's stop requests stop the jobs: SIGINT and SIGTERM
// on Linux; Ctrl+C, Ctrl+Break and the closing of the console on Windows.
// A second request ends the program at once with kExitStopped.
void WatchStopSignals(TStopSignal& stop);

// Standard input and output pass table files byte for byte ("-" as the file):
// on Windows they are switched to binary mode, so that no CR is added before
// LF and no Ctrl+Z ends the input; on Linux they already are.
void BinaryStandardStreams();

}  // namespace vestok::cli
