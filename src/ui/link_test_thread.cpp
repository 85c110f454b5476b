#include "ui/link_test_thread.h"

#include "ui/window_state.h"

namespace vestok {

TTestThread::TTestThread(TLinkTestSetup setup, TTestThreadDisplay display, QObject* parent)
    : TToolThread(parent), setup_(std::move(setup)), display_(std::move(display)) {}

TTestThread::~TTestThread() { StopAndWait(); }

void TTestThread::run() {
  const TLinkTestCounters zero;
  OnMainThread([this, &zero] {
    if (display_.Started) display_.Started();
    if (display_.ShowCounters) display_.ShowCounters(zero);
  });
  TLinkTestHooks hooks;
  hooks.StopRequested = [this] { return StopRequested(); };
  hooks.CountersChanged = [this](const TLinkTestCounters& counters) {
    OnMainThread([this, &counters] {
      if (display_.ShowCounters) display_.ShowCounters(counters);
    });
  };
  result_ = RunLinkTest(LinkPort, setup_, hooks);
  OnMainThread([this] {
    if (display_.Finished) display_.Finished();
  });
}

}  // namespace vestok
