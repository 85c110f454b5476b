#include "ui/window_monitor.h"

#include "ui/window_state.h"

namespace vestok {

namespace {

// Made at the first use, during the run, so it goes before LinkPort at the
// end: the link is closed and let go of first, and the monitor's thread is
// joined with every line delivered.
struct TWindowMonitor {
  TWindowMonitor() { monitor.Attach(LinkPort); }
  ~TWindowMonitor() {
    CloseLink(LinkPort);
    monitor.Detach(LinkPort);
  }
  TLinkMonitor monitor;
};

}  // namespace

TLinkMonitor& WindowLinkMonitor() {
  static TWindowMonitor window;
  return window.monitor;
}

}  // namespace vestok
