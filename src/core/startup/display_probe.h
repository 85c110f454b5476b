#pragma once
// Whether the X display that the window system would open can be reached. A
// DISPLAY left over from an ended remote session or copied into a cron job
// names a server that is gone; the window system would then end the program
// with an abort. Only the server's socket is tried: no X library is needed.
#include <string>

namespace vestok {

// True when `display` (":0", "unix:1.0", "localhost:10.0", "/tmp/launch-x/org:0")
// names a server that accepts a connection within `timeoutMs`. A name this
// cannot understand counts as reachable: the window system decides then.
bool DisplayReachable(const std::string& display, int timeoutMs = 2000);

// True when the program would start on an X display that does not answer:
// the platform is xcb (QT_QPA_PLATFORM unset or "xcb", no Wayland display)
// and DISPLAY is set but unreachable.
bool StaleXDisplay();

}  // namespace vestok
