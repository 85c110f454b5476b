#pragma once
// Whether the display that the window system would open can be reached. A
// DISPLAY or WAYLAND_DISPLAY left over from an ended session or copied into a
// cron job names a server that is gone, and a machine without a desktop has
// none at all; the window system would then end the program with an abort.
// Only the server's socket is tried: no X or Wayland library is needed.
#include <optional>
#include <string>

namespace vestok {

// True when `display` (":0", "unix:1.0", "localhost:10.0", "/tmp/launch-x/org:0")
// names a server that accepts a connection within `timeoutMs`. A name this
// cannot understand counts as reachable: the window system decides then.
bool DisplayReachable(const std::string& display, int timeoutMs = 2000);

// True when `name` (WAYLAND_DISPLAY: a socket name under `runtimeDir`, or a
// whole path) names a compositor that accepts a connection within `timeoutMs`.
bool WaylandReachable(const std::string& name, const std::string& runtimeDir, int timeoutMs = 2000);

// What start-up would open, judged from QT_QPA_PLATFORM, DISPLAY,
// WAYLAND_DISPLAY and XDG_RUNTIME_DIR: nothing when a screen would open (or
// a platform other than xcb and wayland was chosen: the window system
// decides then); otherwise the display that does not answer, or an empty
// text when none is named at all.
std::optional<std::string> MissingDisplay();

// With no platform chosen, a dead Wayland display beside a live X display
// would still be tried first: start-up chooses xcb then.
bool PreferLiveXDisplay();

}  // namespace vestok
