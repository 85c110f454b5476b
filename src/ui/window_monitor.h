#pragma once
// The window's line monitor: the one that watches the window's link, LinkPort,
// for the monitor window, the port tools' status lines and the trace file of
// the window's run. It lives on the window's side for the whole run; the
// command line gives each of its links a monitor of its own.
#include "monitor/link_monitor.h"

namespace vestok {

// Attached to LinkPort at its first use.
TLinkMonitor& WindowLinkMonitor();

}  // namespace vestok
