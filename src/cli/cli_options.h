#pragma once
// The command line of vestok-cli: the command, its arguments and the
// overrides of the link settings.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/link_settings.h"
#include "tables/table_defs.h"

namespace vestok::cli {

// The exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRecordErrors = 1;
inline constexpr int kExitNoAnswer = 2;
inline constexpr int kExitPortFailed = 3;
inline constexpr int kExitFileFailed = 4;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitStopped = 130;

enum class TCommand {
  None, Help, Fiscal, Download, Upload, DeleteItems, Detect, LinkTest, Fleet, Settings, Backup, Restore,
  Version
};

// A usage error; what() is the message.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TCliRequest {
  TCommand Command = TCommand::None;
  std::string ConfigPath;  // empty: Vestok.ini beside the executable
  bool Json = false;
  int Variant = 0;  // 0 "Seria A", 1 "Standard"
  bool VariantGiven = false;  // --variant was on the line
  TableKind Table = tkNone;
  std::string File;  // the table file, or the plan of a fleet
  std::optional<std::vector<std::int32_t>> Numbers;
  // Overrides of the link settings.
  std::optional<std::string> Port;
  std::optional<std::int32_t> Speed, LogicNo, Cable, RetryCmd, RetryByte;
  // detect and linktest
  std::vector<std::string> Ports;
  std::vector<std::int32_t> Speeds;
  int LogicFrom = 1, LogicTo = 10;
  std::optional<std::int32_t> Blocks;
  // settings: write the link settings back; upload: check only, or only the
  // rows changed since the last exchange; restore: into a register of another
  // fiscal number too.
  bool Save = false, CheckOnly = false, Changed = false, Force = false;
};

// Throws UsageError.
TCliRequest ParseCommandLine(const std::vector<std::string>& args);

// "items" ... "settings"; tkNone for any other name.
TableKind TableFromName(const std::string& name);
const char* TableName(TableKind kind);
// "fiscal" ... "restore"; "" for the commands that talk to no register.
const char* CommandWord(TCommand command);
// "A" / "S" in any letter case; none for anything else.
std::optional<int> VariantFromName(const std::string& name);
// "1,3,7-9": the numbers in order, ranges expanded. Throws UsageError.
std::vector<std::int32_t> ParseNumberList(const std::string& text);

// The overrides of the request written into `s`.
void ApplyOverrides(const TCliRequest& request, TLinkSettings& s);

// The message when the variant does not offer the command on the table (as
// the window does not offer the action); empty when it does.
std::string VariantRefusal(TCommand command, TableKind table, int variant, bool selective);

std::string HelpText();

}  // namespace vestok::cli
