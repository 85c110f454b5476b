#pragma once
// The log of an operation: its lines, cleared and filled by the jobs that are
// handed it (the window keeps one for its whole run; see ui/window_state.h).
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

}  // namespace vestok
