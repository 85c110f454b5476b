#pragma once
// A job on a thread of its own, for the users that run a job beside the thread
// that serves its steps (tests, benches). The thread belongs to this, the most
// derived object: it starts once the job is whole and is joined before any
// part of the job goes, so no job class has to stop a thread in its destructor.
// The engine runs its jobs on its own thread with TTransferJob::Run instead.
#include <thread>
#include <utility>

namespace vestok {

template <class Job>
class TJobThread final : public Job {
 public:
  template <class... Args>
  explicit TJobThread(Args&&... args) : Job(std::forward<Args>(args)...) {
    thread_ = std::thread([this] { this->Run(); });
  }
  ~TJobThread() override {
    this->RequestStop();
    this->WaitForEnd();
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

}  // namespace vestok
