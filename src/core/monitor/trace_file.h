#pragma once
// The trace file: when the environment variable VESTOK_TRACE names a file,
// every line of the line monitor is written there as it happens (UTF-8, one
// line per event, tab-separated columns; see TraceLine). The file is created
// or truncated when the trace starts.
#include <string>

namespace vestok {

// Starts the trace into the file VESTOK_TRACE names; does nothing when it is
// unset or empty. False when the file cannot be created (the error output
// then says so; the run goes on without a trace).
bool StartTraceFromEnvironment();
// Starts the trace into `path` (replacing a trace already running); false
// when the file cannot be created.
bool StartTraceFile(const std::string& path);
// Ends the trace; the file keeps what was written.
void StopTraceFile();

}  // namespace vestok
