#include "ui/qt_main_thread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>
#include <exception>

namespace vestok {

namespace {

// Carries nothing: its arrival is what wakes a waiting ServeUntil.
const QEvent::Type kWakeEvent = QEvent::Type(QEvent::registerEventType());

}  // namespace

TQtMainThread::TQtMainThread(QObject* parent) : QObject(parent) {}

void TQtMainThread::RunOnMainThread(const std::function<void()>& step) {
  if (QThread::currentThread() == thread()) {
    step();
    return;
  }
  std::exception_ptr error;
  // The call waits for the step; the event loop, a modal box's loop or
  // ServeUntil on the user-interface thread carries it out.
  QMetaObject::invokeMethod(
      this,
      [&] {
        try {
          step();
        } catch (...) {
          error = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  if (error) std::rethrow_exception(error);
}

void TQtMainThread::ServeUntil(const std::function<bool()>& done) {
  while (!done()) {
    // Returns after a batch of events; sleeps while there is none. A hand-over
    // and Wake() are posted events, so neither is missed between the question
    // and the sleep.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
  }
}

void TQtMainThread::Wake() { QCoreApplication::postEvent(this, new QEvent(kWakeEvent)); }

bool TQtMainThread::event(QEvent* event) {
  if (event->type() == kWakeEvent) return true;
  return QObject::event(event);
}

}  // namespace vestok
