#pragma once
// The hand-over of the transfer jobs, built on Qt's event loop: a worker's
// step becomes a blocking queued call into the user-interface thread, and a
// wait for a worker's end keeps handling those calls (and paints and timers,
// but no user input) until it is over.
#include <QObject>
#include <functional>

#include "jobs/main_thread.h"

namespace vestok {

class TQtMainThread final : public QObject, public IMainThread {
  Q_OBJECT
 public:
  // Lives on the thread that creates it: the user-interface thread.
  explicit TQtMainThread(QObject* parent = nullptr);

  // Worker side: the step runs on the user-interface thread and this returns
  // after it; an exception of the step is rethrown here. On the
  // user-interface thread itself the step runs at once.
  void RunOnMainThread(const std::function<void()>& step) override;
  // User-interface side: handles hand-overs and other non-input events until
  // done() is true. done() is asked again after every batch of events, so a
  // Wake() (or any hand-over) after a change makes it return.
  void ServeUntil(const std::function<bool()>& done) override;
  // Any thread: posts an event that ends the current wait of ServeUntil.
  void Wake() override;

 protected:
  bool event(QEvent* event) override;
};

}  // namespace vestok
