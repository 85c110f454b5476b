#include "jobs/direct_main_thread.h"

namespace vestok {

void TDirectMainThread::ServeUntil(const std::function<bool()>& done) {
  std::unique_lock lock(mutex_);
  // done() is asked under the lock that Wake() takes, so a wake between the
  // question and the wait is not missed.
  woken_.wait(lock, [&] { return done(); });
}

void TDirectMainThread::Wake() {
  { std::lock_guard lock(mutex_); }
  woken_.notify_all();
}

}  // namespace vestok
