#pragma once
// The log of the last transfer: one process-wide list of lines, created at
// start-up before the window and released after the event loop. Jobs clear
// and fill it on the user-interface thread; the log window shows it.
#include <memory>
#include <string>
#include <vector>

namespace vestok {

class TOperationLog {
 public:
  void Clear() { lines_.clear(); }
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

extern std::unique_ptr<TOperationLog> OperationLog;

}  // namespace vestok
