#pragma once
// The worker of a port tool dialog (the detection, the link test): a thread
// that hands its display updates to the user-interface thread and waits for
// each, a stop flag read between two rounds, and a wait for its end that keeps
// serving those updates.
#include <QThread>
#include <atomic>
#include <functional>

namespace vestok {

class TToolThread : public QThread {
  Q_OBJECT
 public:
  using QThread::QThread;
  ~TToolThread() override;

  void RequestStop() { stop_.store(true); }
  bool StopRequested() const { return stop_.load(); }

  // User-interface side: tells the worker to stop and returns once it has
  // ended, carrying out its display updates (and other non-input events)
  // meanwhile. Does nothing for a thread that never started.
  void StopAndWait();
  // The same without telling it to stop.
  void WaitServing();

 protected:
  // Worker side: runs `step` on the thread this object belongs to (the
  // user-interface thread) and returns when it has run.
  void OnMainThread(const std::function<void()>& step);

 private:
  std::atomic<bool> stop_{false};
};

}  // namespace vestok
