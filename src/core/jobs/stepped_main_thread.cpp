#include "jobs/stepped_main_thread.h"

#include <exception>

namespace vestok {

SteppedMainThread::SteppedMainThread() : main_(std::this_thread::get_id()) {}

void SteppedMainThread::RunOnMainThread(const std::function<void()>& step) {
  if (std::this_thread::get_id() == main_) {
    step();
    return;
  }
  Pending pending{&step};
  std::unique_lock lock(mutex_);
  queue_.push_back(&pending);
  queued_.notify_one();
  finished_.wait(lock, [&] { return pending.done; });
}

void SteppedMainThread::ServeUntil(const std::function<bool()>& done) {
  std::unique_lock lock(mutex_);
  for (;;) {
    while (!queue_.empty()) {
      Pending* pending = queue_.front();
      queue_.pop_front();
      lock.unlock();
      std::exception_ptr error;
      try {
        (*pending->step)();
      } catch (...) {
        error = std::current_exception();
      }
      // The worker is released even when the step threw; the error goes to
      // whoever serves.
      lock.lock();
      pending->done = true;
      finished_.notify_all();
      if (error) std::rethrow_exception(error);
      if (AfterStep) {
        // Between two steps, as the window's own events are: the worker is
        // free again, and a nested ServeUntil (Stop waiting for the end) works.
        lock.unlock();
        AfterStep();
        lock.lock();
      }
    }
    // Taken before done() is asked, so a Wake() after that question is not missed.
    const unsigned seen = wakes_;
    lock.unlock();
    if (done()) return;
    lock.lock();
    queued_.wait(lock, [&] { return !queue_.empty() || wakes_ != seen; });
  }
}

void SteppedMainThread::Wake() {
  std::lock_guard lock(mutex_);
  ++wakes_;
  queued_.notify_all();
}

}  // namespace vestok
