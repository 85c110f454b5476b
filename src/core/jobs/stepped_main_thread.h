#pragma once
// A plain hand-over for tests, benches and command-line use: the thread that
// creates it is the "main" thread; workers queue steps and wait for them, and
// the main thread carries them out inside ServeUntil. Like the window's own
// hand-over, every step crosses threads and wakes the main thread.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "jobs/main_thread.h"

namespace vestok {

class SteppedMainThread final : public IMainThread {
 public:
  SteppedMainThread();

  void RunOnMainThread(const std::function<void()>& step) override;
  void ServeUntil(const std::function<bool()>& done) override;
  void Wake() override;

  // Called on the main thread after every step it has carried out (tests use
  // it to act "between two steps", as a user pressing Stop would).
  std::function<void()> AfterStep;

 private:
  struct Pending {
    const std::function<void()>* step;
    bool done = false;
  };

  std::thread::id main_;
  std::mutex mutex_;
  std::condition_variable queued_;    // a step was queued or Wake() was called
  std::condition_variable finished_;  // a step has run
  std::deque<Pending*> queue_;
  unsigned wakes_ = 0;
};

}  // namespace vestok
