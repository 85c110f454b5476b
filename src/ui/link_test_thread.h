#pragma once
// TTestThread: runs the link test of the PC communication dialog on a worker
// thread. The test itself is RunLinkTest; the dialog's redraws and button
// states are handed to the user-interface thread.
#include <functional>

#include "tools/link_test.h"
#include "ui/tool_thread.h"

namespace vestok {

struct TTestThreadDisplay {
  std::function<void()> Started;   // counters to 0, "Test comunicatie" off, "Stop test" on
  std::function<void(const TLinkTestCounters&)> ShowCounters;
  std::function<void()> Finished;  // "Test comunicatie" on, "Stop test" off
};

class TTestThread final : public TToolThread {
  Q_OBJECT
 public:
  TTestThread(TLinkTestSetup setup, TTestThreadDisplay display, QObject* parent = nullptr);
  ~TTestThread() override;

  // The final counters, once the thread has ended.
  const TLinkTestCounters& Result() const { return result_; }

 protected:
  void run() override;

 private:
  TLinkTestSetup setup_;
  TTestThreadDisplay display_;
  TLinkTestCounters result_;
};

}  // namespace vestok
