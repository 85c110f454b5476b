#include "ui/tool_thread.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

namespace vestok {

TToolThread::~TToolThread() {
  // The dialogs wait before they let go of a worker; this is the last guard.
  RequestStop();
  WaitServing();
}

void TToolThread::StopAndWait() {
  RequestStop();
  WaitServing();
}

void TToolThread::WaitServing() {
  if (QThread::currentThread() == this) return;
  QEventLoop loop;
  // The end signal quits at once; the timer catches an end that came between
  // connecting and the test below.
  connect(this, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
  QTimer poll;
  connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
    if (isFinished()) loop.quit();
  });
  poll.start(20);
  if (isRunning() && !isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
  wait();
}

void TToolThread::OnMainThread(const std::function<void()>& step) {
  if (QThread::currentThread() == thread()) {
    step();
    return;
  }
  QMetaObject::invokeMethod(this, [&step] { step(); }, Qt::BlockingQueuedConnection);
}

}  // namespace vestok
