#pragma once
// vestok-cli as the engine's face: its events as lines or JSON events of one
// register, its questions answered from the options, its outcome as the exit
// status.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_output.h"
#include "engine/outcome.h"

namespace vestok::cli {

// The engine's events as lines or JSON events of one register.
class TCliEvents final : public IEngineEvents {
 public:
  // `checkReport`: the check's findings are the command's result (standard output).
  TCliEvents(TOutput& output, std::string reg, bool checkReport)
      : output_(output), reg_(std::move(reg)), checkReport_(checkReport) {}

  void Event(const TEngineEvent& e) override;

 private:
  TOutput& output_;
  const std::string reg_;
  const bool checkReport_;
  std::int32_t errors_ = 0;
};

// A command line asks nobody: rows with errors stay behind, a restore into
// another register needs --force (the engine is told so), all else goes on.
class TCliQuestions final : public IEngineQuestions {
 public:
  TRowsWithErrors RowsWithErrors(const std::vector<std::string>&) override { return TRowsWithErrors::SendGood; }
  void CheckWarnings(const std::vector<std::string>&) override {}
  bool Confirm(TQuestion question, const std::string&) override { return question != TQuestion::OtherRegister; }
};

// The exit status of an outcome (README: exit codes).
int ExitCodeOf(TOutcomeKind kind);

}  // namespace vestok::cli
