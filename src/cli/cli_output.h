#pragma once
// What vestok-cli tells its user: the log lines of a job on standard error
// (with a progress bar in place of the progress lines when standard error is
// a terminal), or with --json one JSON object per event on standard output.
// Every call may come from any thread; lines of different registers never mix.
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vestok::cli {

// The end of one command on one register.
struct TRunReport {
  std::string Register;  // "<port>:<logical number>"
  std::string Port;
  std::string Command;
  std::int32_t Records = 0;
  std::int32_t Errors = 0;
  double Seconds = 0;
  int Status = 0;
};

// Text bytes (Windows-1250) as UTF-8.
std::string Utf8FromCp1250(const std::string& bytes);
// A JSON string literal of UTF-8 text.
std::string JsonString(const std::string& utf8);

// Where the progress bar is drawn.
struct TTerminal {
  int Fd = -1;          // asked for its width at each draw; -1: none
  int Columns = 80;     // when neither the terminal nor COLUMNS says
  bool Escapes = true;  // false under TERM=dumb: the bar is cleared with blanks
};

// Standard error, under the TERM of the environment.
TTerminal ErrorTerminal();
// The terminal's width (TIOCGWINSZ), else COLUMNS, else `Columns`.
int TerminalColumns(const TTerminal& terminal);

class TOutput {
 public:
  // `bar`: draw a progress bar (only when standard error is a terminal and
  // one register runs). Texts given to the calls are Windows-1250 bytes.
  TOutput(bool json, bool bar, std::ostream& out, std::ostream& err);

  void Start(const std::string& reg, const std::string& command, const std::string& table);
  // A log line that is neither a record's progress nor an error (the job's first line).
  void Line(const std::string& reg, const std::string& text);
  // The progress line of record `no`; `total` is 0 when not known.
  void Record(const std::string& reg, const std::string& text, std::int32_t no, std::size_t done, std::size_t total);
  void Error(const std::string& reg, const std::string& text, std::optional<std::int32_t> no = std::nullopt);
  // A finding that does not stop the run (a name the register cuts, a copy
  // that could not be kept): a line, and a "warning" event.
  void Warning(const std::string& reg, const std::string& text, std::optional<std::int32_t> no = std::nullopt);
  // The run was stopped (Ctrl+C, SIGTERM) after `records` records: its
  // line, and a "stop" event.
  void Stop(const std::string& reg, const std::string& text, std::int32_t records);
  void Verdict(const std::string& reg, const std::string& text, std::int32_t errors);
  // A result for the user: the fiscal number, a register found, the counters.
  // Plain: `text` on standard output; JSON: a "result" event with the fields
  // (name and already formatted JSON value).
  void Result(const std::string& reg, const std::string& text,
              const std::vector<std::pair<std::string, std::string>>& fields);
  void Summary(const TRunReport& report);
  // The table of a plan's lines, and the plan's worst status.
  void SummaryTable(const std::vector<TRunReport>& reports, int status);

  bool Json() const { return json_; }
  void SetTerminal(const TTerminal& terminal);

 private:
  std::string Head(const char* event, const std::string& reg) const;
  void EndBar();
  void Plain(const std::string& reg, const std::string& text);
  // An event with a text: a line, or a JSON object with `tail` (",\"no\":5") after its text.
  void TextEvent(const char* event, const std::string& reg, const std::string& text, const std::string& tail);

  const bool json_;
  const bool bar_;
  std::ostream& out_;
  std::ostream& err_;
  const std::chrono::steady_clock::time_point begin_;
  std::mutex mutex_;
  bool barShown_ = false;
  int barColumns_ = 0;  // the widest bar drawn since the last line
  TTerminal terminal_;
  bool prefix_ = false;  // lines carry their register (a plan runs)
  std::chrono::steady_clock::time_point recordsSince_;

 public:
  void PrefixLines(bool on) { prefix_ = on; }
};

}  // namespace vestok::cli
