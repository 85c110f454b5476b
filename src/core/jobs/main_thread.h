#pragma once
// The hand-over between a worker thread and the user-interface thread. A job
// or a port tool runs its loop on a worker thread and hands every step that
// touches the window, a table row or the serial link to the user-interface
// thread, waiting until the step has run. The window implements this with Qt;
// tests use a plain queue (SteppedMainThread).
#include <functional>

namespace vestok {

class IMainThread {
 public:
  virtual ~IMainThread() = default;

  // Worker side: runs `step` on the user-interface thread and returns when it
  // has finished. Called on the user-interface thread itself, it runs `step` at once.
  virtual void RunOnMainThread(const std::function<void()>& step) = 0;

  // User-interface side: carries out handed-over steps (and, in the window,
  // other non-input events) until `done()` is true. `done` is tested again
  // after each step and whenever Wake() is called.
  virtual void ServeUntil(const std::function<bool()>& done) = 0;

  // Worker side: tells a ServeUntil that its condition may have changed (for
  // example because the worker has ended).
  virtual void Wake() = 0;
};

}  // namespace vestok
