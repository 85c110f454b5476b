#pragma once
// One command of vestok-cli on one register: the fiscal number query first,
// then the same job the window runs, on a link of its own.
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

namespace vestok {
class TTransferJob;
}

namespace vestok::cli {

// Stop for every job that runs (Ctrl+C, SIGTERM): each finishes the record
// in hand and ends with its verdict.
class TStopSignal {
 public:
  void Stop();
  bool Stopped() const { return stopped_.load(); }
  // A job joins before it may be stopped and leaves before it is released.
  void Join(TTransferJob* job);
  void Leave(TTransferJob* job);

 private:
  std::atomic<bool> stopped_{false};
  std::mutex mutex_;
  std::set<TTransferJob*> jobs_;
};

struct TRunSetup {
  TCommand Command = TCommand::Fiscal;
  TableKind Table = tkNone;
  int Variant = 0;
  std::string File;
  std::optional<std::vector<std::int32_t>> Numbers;
  TLinkSettings Settings;  // this register's own settings
  // detect and linktest
  std::vector<std::string> Ports;
  std::vector<std::int32_t> Speeds;
  int LogicFrom = 1, LogicTo = 10;
  std::optional<std::int32_t> Blocks;
  bool CheckOnly = false, Changed = false, Force = false;
};

// "<port>:<logical number>"
std::string RegisterName(const TLinkSettings& s);

// A download of all records gives up after this many requests in a row that
// brought no record (a register that stopped answering), as the batch run does.
inline constexpr int kIdleRequestLimit = 20;

TRunReport RunCommand(const TRunSetup& setup, TOutput& output, TStopSignal& stop);

}  // namespace vestok::cli
