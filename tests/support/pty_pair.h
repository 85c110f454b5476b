#pragma once
// A real pseudo-terminal pair: the port under test opens the slave by its
// path, the test plays the far end on the master descriptor.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "serial/block_serial.h"

namespace vestok::test {

struct PtyPair {
  int master = -1;
  int slave = -1;  // held so the pair outlives the port's own descriptor
  std::string path;

  PtyPair() {
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) == 0) path = name;
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  }
  ~PtyPair() {
    CloseMaster();
    if (slave >= 0) close(slave);
  }
  void CloseMaster() {
    if (master >= 0) close(master);
    master = -1;
  }
  void Write(const std::string& bytes) const { (void)!write(master, bytes.data(), bytes.size()); }
  // Up to n bytes from the far end, waiting at most timeoutMs in all.
  std::string Read(std::size_t n, int timeoutMs) const {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < n && std::chrono::steady_clock::now() < end) {
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, 10) <= 0) continue;
      char buf[4096];
      const ssize_t r = read(master, buf, std::min(sizeof buf, n - got.size()));
      if (r > 0) got.append(buf, static_cast<std::size_t>(r));
    }
    return got;
  }
};

// Waits until the port's driver holds n received bytes (they arrive through
// the kernel's flip buffer a moment after the far end wrote them).
inline bool WaitQueued(TBlockSerial& port, int n) {
  for (int i = 0; i < 200; ++i) {
    if (port.QueuedInput() >= n) return true;
    poll(nullptr, 0, 5);
  }
  return false;
}

inline long long MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace vestok::test
