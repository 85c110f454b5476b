#pragma once
// Waits with a deadline, shared by the terminal and the network port: every
// wait of the serial layer is a poll() with a time-out, never a spin.
#include <cerrno>
#include <chrono>
#ifndef _WIN32
#include <poll.h>
#endif

namespace vestok::poll_wait {

using Clock = std::chrono::steady_clock;

// Milliseconds until the deadline, rounded up so that a wait never ends early.
inline int MsLeft(Clock::time_point deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

#ifndef _WIN32
// Waits for `events` on fd until the deadline: the events seen, 0 on
// time-out, -1 with errno on failure. Signals do not cut the wait short.
inline int PollUntil(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int r = poll(&p, 1, MsLeft(deadline));
    if (r > 0) return p.revents;
    if (r == 0) return 0;
    if (errno != EINTR) return -1;
  }
}

#endif

}  // namespace vestok::poll_wait
