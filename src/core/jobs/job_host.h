#pragma once
// What a transfer job borrows of the window: the pages, the action list, the
// Stop action and status panels 1 and 2. Every call comes on the
// user-interface thread. Texts are Windows-1250 bytes.
#include <string>
#include <vector>

namespace vestok {

class IJobHost {
 public:
  virtual ~IJobHost() = default;

  virtual void SetPagesEnabled(bool enabled) = 0;  // pcMain

  // Every action of ActionList, in list order: its enabled state.
  virtual std::vector<bool> ActionStates() const = 0;
  virtual void SetActionStates(const std::vector<bool>& states) = 0;

  virtual void SetStopEnabled(bool enabled) = 0;  // aStop
  virtual void SetStatusText(int panel, const std::string& text) = 0;
};

}  // namespace vestok
