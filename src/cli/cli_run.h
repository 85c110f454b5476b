#pragma once
// One command of vestok-cli on one register: the engine's operation on a
// link of its own; its events become lines or JSON events, its outcome the
// exit status.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "config/link_settings.h"

#include "engine/outcome.h"

namespace vestok {
class TEngine;
class TTraceFile;
}

namespace vestok::cli {

// Stop for every operation that runs (Ctrl+C, SIGTERM): the job in hand
// finishes its record and ends with its verdict, and no other starts.
class TStopSignal {
 public:
  void Stop();
  bool Stopped() const { return stopped_.load(); }
  // An engine joins before it may be stopped and leaves before it is released.
  void Join(TEngine* engine);
  void Leave(TEngine* engine);

 private:
  std::atomic<bool> stopped_{false};
  std::mutex mutex_;
  std::set<TEngine*> engines_;
};


struct TRunSetup {
  TCommand Command = TCommand::Fiscal;
  TableKind Table = tkNone;
  int Variant = 0;
  bool VariantGiven = false;  // a restore takes the backup's own variant unless one was asked for
  std::string File;
  std::optional<std::vector<std::int32_t>> Numbers;
  TLinkSettings Settings;  // this register's own settings
  // detect and linktest
  std::vector<std::string> Ports;
  std::vector<std::int32_t> Speeds;
  int LogicFrom = 1, LogicTo = 10;
  std::optional<std::int32_t> Blocks;
  bool CheckOnly = false, Changed = false, Force = false;
  // The trace file the run's link writes to (VESTOK_TRACE); borrowed, none: no trace.
  TTraceFile* Trace = nullptr;
};

// "<port>:<logical number>"
std::string RegisterName(const TLinkSettings& s);

// A download of all records gives up after this many requests in a row that
// brought no record (a register that stopped answering), as the batch run does.
inline constexpr int kIdleRequestLimit = 20;

TRunReport RunCommand(const TRunSetup& setup, TOutput& output, TStopSignal& stop);

}  // namespace vestok::cli
