#pragma once
// The hand-over of a program without a window: a job's steps run at once on
// the job's own worker thread, and whoever waits for the job's end sleeps
// until the job wakes it. Each job of the command line has one of its own, so
// the jobs of different lines never wait for each other.
#include <condition_variable>
#include <functional>
#include <mutex>

#include "jobs/main_thread.h"

namespace vestok {

class TDirectMainThread final : public IMainThread {
 public:
  void RunOnMainThread(const std::function<void()>& step) override { step(); }
  void ServeUntil(const std::function<bool()>& done) override;
  void Wake() override;

 private:
  std::mutex mutex_;
  std::condition_variable woken_;
};

}  // namespace vestok
