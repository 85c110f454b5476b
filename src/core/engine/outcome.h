#pragma once
// How a run of the engine ended, set where it became known, and the events it
// tells as it goes. The faces only translate them: the command line into
// lines, JSON events and exit codes (cli/exit_codes), the window into its
// boxes and panels.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vestok {

enum class TOutcomeKind {
  Done,          // every record went through
  RecordErrors,  // the run ended, some records (or rows left out by the check) failed
  NoAnswer,      // the register did not answer the fiscal number query
  PortFailed,    // the port would not open (Reason says why)
  FileFailed,    // a file could not be read or written (Reason names it)
  Stopped,       // Stop ended the run (Records: how many were worked on)
  Refused,       // nothing was sent: the run's input is not sound (Reasons)
  Cancelled,     // the user chose not to go on; nothing was sent
};

struct TOutcome {
  TOutcomeKind Kind = TOutcomeKind::Done;
  std::int32_t Records = 0;  // records worked on (never a download's end-of-table request)
  std::int32_t Errors = 0;   // the error events of the run
  std::string Reason;        // PortFailed: why; FileFailed: the file
  std::vector<std::string> Reasons;  // Refused: every reason found; FileFailed: its lines
  bool RegisterAnswered = false;  // the fiscal number query was answered
  std::string FiscalNumber;        // as the register answered (it may be empty)
  bool NothingToSend = false;  // an upload of the changes found none
};

// "done", "record-errors", ... for JSON and tests.
const char* OutcomeName(TOutcomeKind kind);

enum class TEventKind {
  Start,    // a job began (Text: its first line)
  Line,     // a line of the run that is neither a record nor a finding
  Record,   // a record went through (No, Done of Total; Total 0 when not known)
  Warning,  // a finding that does not stop the run
  Error,    // a record or a step failed (No when a record)
  Stop,     // Stop ended the run after Done records (Text: the stop line)
  Verdict,  // a job's or a run's verdict
  Result,   // a result for the user (the fiscal number, a register found, counters)
};

struct TEngineEvent {
  TEngineEvent(TEventKind kind = TEventKind::Line, std::string text = {}) : Kind(kind), Text(std::move(text)) {}
  TEventKind Kind = TEventKind::Line;
  std::string Text;  // Windows-1250 bytes
  std::optional<std::int32_t> No;
  std::int32_t Done = 0;
  std::int32_t Total = 0;
  // Result: named values (Windows-1250); `Text` true for a text, false for a number.
  struct TField {
    std::string Name;
    std::string Value;
    bool Text = false;
  };
  std::vector<TField> Fields;
};

// Called on the thread that serves the run's steps (the user-interface thread
// in the window), one call at a time.
class IEngineEvents {
 public:
  virtual ~IEngineEvents() = default;
  virtual void Event(const TEngineEvent& event) = 0;
};

// What a run may ask its user halfway (the window asks in boxes; the command
// line and the batch run answer from their options). Called like the events.
class IEngineQuestions {
 public:
  virtual ~IEngineQuestions() = default;
  enum class TRowsWithErrors { SendGood, SendAll, SendNothing };
  enum class TQuestion {
    OtherRegister,  // the backup is of a register with another fiscal number
    RestoreTables,  // what a restore will send
    NoCopy,         // no copy of the last exchange: send the whole table?
    SendChanges,    // the rows changed since the copy
  };
  // Some rows to be sent have errors; `lines` are the check's findings.
  virtual TRowsWithErrors RowsWithErrors(const std::vector<std::string>& lines) = 0;
  // The check found warnings only: shown, the upload goes on.
  virtual void CheckWarnings(const std::vector<std::string>& lines) = 0;
  // A yes/no question of the run (`text` Windows-1250): a restore into
  // another register, the tables a restore will send, no copy to compare with.
  virtual bool Confirm(TQuestion question, const std::string& text) = 0;
};

}  // namespace vestok
