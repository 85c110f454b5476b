#pragma once
// A plan of many registers: one CSV line per register and command
// ("port,logic,variant,command,table,file"). Lines on different ports run at
// the same time, one thread per port, each line on a link of its own; the
// lines of one port (registers sharing a line) run one after another.
#include <string>
#include <vector>

#include "cli/cli_run.h"

namespace vestok::cli {

struct TPlanLine {
  int LineNo = 0;  // in the file, from 1
  TRunSetup Setup;
};

// The plan's lines; `base` gives every setting a line does not name. Throws
// UsageError naming the file's line for a line that is not understood.
std::vector<TPlanLine> ParsePlan(const std::string& text, const TLinkSettings& base);

// Why the file a command writes cannot be saved (its folder is missing or
// not writable, the name is a folder's); empty when it can, and for every
// command that writes no file.
std::string OutputProblem(const TRunSetup& setup);

// A command refused before it talks to its register: its start, the error
// `text` and its summary, with the status of a file that cannot be written.
TRunReport RefuseRun(const TRunSetup& setup, const std::string& text, TOutput& output);

// Runs the plan; every line whose OutputProblem is not empty is refused
// before any register is asked. The reports in plan order.
std::vector<TRunReport> RunPlan(const std::vector<TPlanLine>& plan, TOutput& output, TStopSignal& stop);

// The worst status of the reports (the largest); 0 for none.
int WorstStatus(const std::vector<TRunReport>& reports);

}  // namespace vestok::cli
